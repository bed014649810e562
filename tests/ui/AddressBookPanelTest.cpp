// The address-book panel: every trigger of its list and buttons, driven with mouse and keys.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ui/AddressBookFixture.h"
#include "ui/addressbook/AddContactDlg.h"
#include "ui/addressbook/AddressBookIds.h"
#include "ui/addressbook/EditContactDlg.h"

namespace {

const std::vector<std::string> kFive = {"Ann", "Bob", "Carl", "Dana", "Eve"};

QPushButton* Button(CMainDlg& w, ControlName button) {
    return Control<QPushButton>(&w, button);
}

// Press and release, then the double click, as the mouse sends them.
void DoubleClick(QWidget* viewport, QPoint at) {
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
}

}  // namespace

TEST_F(AddressBookTest, TheNameColumnNarrowsOnceTheRowsNeedAScrollBar) {
    for (auto [entries, width] : {std::pair{17, 110}, std::pair{18, 95}}) {
        OpenWith(std::vector<std::string>(static_cast<std::size_t>(entries), "Ann"));
        EXPECT_EQ(List()->columnWidth(0), width) << entries;
        EXPECT_EQ(List()->columnWidth(1), List()->maximumViewportSize().width() - width) << entries;
        EXPECT_EQ(List()->model()->rowCount(), entries);
    }
}

TEST_F(AddressBookTest, DeletingSeveralRowsAsksAndRemovesExactlyThoseWithoutSaving) {
    CMainDlg& w = OpenWith(kFive);
    Select({1, 3, 4});
    ui->QueueAnswer(MbResult::No);
    QTest::mouseClick(Button(w, PanelIds::kDelete), Qt::LeftButton);
    EXPECT_EQ(BookNames(), kFive);

    Select({1, 3, 4});
    ui->QueueAnswer(MbResult::Yes);
    QTest::mouseClick(Button(w, PanelIds::kDelete), Qt::LeftButton);
    EXPECT_EQ(BookNames(), (std::vector<std::string>{"Ann", "Carl"}));
    EXPECT_EQ(List()->model()->rowCount(), 2);
    const std::string question = "Are you sure you want to delete all of the selected entries?";
    ASSERT_EQ(ui->MessageTexts(), (std::vector<std::string>{question, question}));
    EXPECT_EQ(ui->MessageBoxes()[0].buttons, MbButtons::YesNo);
    EXPECT_EQ(ui->MessageBoxes()[0].icon, MbIcon::Question);
    EXPECT_FALSE(SettingsSaved());
}

TEST_F(AddressBookTest, TheDeleteKeyOnTheListRemovesOneRowWithoutAQuestion) {
    OpenWith(kFive);
    QTest::keyClick(List(), Qt::Key_Delete);  // nothing selected: nothing happens
    Select({2});
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(BookNames(), (std::vector<std::string>{"Ann", "Bob", "Dana", "Eve"}));
    // Elsewhere the key is the field's own.
    Select({0});
    dialog->ToField()->setFocus();
    QTest::keyClick(dialog->ToField(), Qt::Key_Delete);
    EXPECT_TRUE(ui->MessageTexts().empty());
    EXPECT_EQ(BookNames().size(), 4u);
}

TEST_F(AddressBookTest, SendToAndAppendingPutTheSelectedNamesIntoTheToField) {
    CMainDlg& w = OpenWith(kFive);
    Select({0, 1});
    QTest::mouseClick(Button(w, PanelIds::kSendTo), Qt::LeftButton);
    EXPECT_EQ(ToText(), "Ann, Bob");

    w.ToField()->setEditText("Carl");
    ChooseFromContextMenu(1, "Append to Recipient List");
    EXPECT_EQ(menuItems, (QStringList{"Append to Recipient List", "Import Contacts... (CSV)"}));
    EXPECT_EQ(ToText(), "Carl, Ann, Bob");

    // A right double click appends too, once; a text already past 499 characters takes nothing.
    w.ToField()->setEditText("Dana");
    RightDoubleClick(RowCentre(0));
    EXPECT_EQ(ToText(), "Dana, Ann, Bob");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    w.ToField()->setEditText(QString(500, 'x'));
    ChooseFromContextMenu(0, "Append to Recipient List");
    EXPECT_EQ(ToText(), QString(500, 'x'));

    List()->clearSelection();
    QTest::mouseClick(Button(w, PanelIds::kSendTo), Qt::LeftButton);
    EXPECT_EQ(ToText(), "");
}

TEST_F(AddressBookTest, DoubleClickTakesTheFirstSelectedNameOrOpensTheAddDialog) {
    OpenWith(kFive);
    DoubleClick(List()->viewport(), RowCentre(3));
    EXPECT_EQ(ToText(), "Dana");

    QString title;
    WhenDialogOpens<CAddContactDlg>([&](CAddContactDlg& d) {
        title = d.windowTitle();
        d.reject();
    });
    const QPoint below(10, List()->viewport()->height() - 4);
    DoubleClick(List()->viewport(), below);
    EXPECT_TRUE(opened);
    EXPECT_EQ(title, "Add Number to Address Book");
    EXPECT_EQ(BookNames(), kFive);
}

TEST_F(AddressBookTest, EditOpensForExactlyOneRowAndStoresTheChangeAtOnce) {
    CMainDlg& w = OpenWith(kFive);
    Select({1, 2});
    WhenDialogOpens<CEditContactDlg>([](CEditContactDlg& d) { d.reject(); });
    QTest::mouseClick(Button(w, PanelIds::kEdit), Qt::LeftButton);
    EXPECT_FALSE(opened);
    EXPECT_EQ(ui->MessageTexts(),
              std::vector<std::string>{"You cannot edit more than one entry at a time!"});

    Select({1});
    WhenDialogOpens<CEditContactDlg>([](CEditContactDlg& d) {
        d.NameField()->setText("Zoe");
        d.CarrierList()->setCurrentIndex(CarrierTMobile);
        PressOk(d);
    });
    QTest::mouseClick(Button(w, PanelIds::kEdit), Qt::LeftButton);
    EXPECT_TRUE(opened);
    EXPECT_EQ(AppSettings().AddressBook.back(),
              (CContact{"Zoe", "", "5550000001", CarrierTMobile}));
    EXPECT_EQ(List()->model()->index(4, 0).data().toString(), "Zoe");
    EXPECT_TRUE(SettingsSaved());
}

TEST_F(AddressBookTest, NewStoresTheEntryInNameOrderAndSavesBeforeTheDialogCloses) {
    CMainDlg& w = OpenWith(kFive);
    bool savedWhileOpen = false;
    WhenDialogOpens<CAddContactDlg>([&](CAddContactDlg& d) {
        QTest::keyClicks(d.NameField(), "  Cleo ");
        QTest::keyClicks(d.NumberField(), "5559876543");
        QObject::connect(&d, &QDialog::finished, [&] { savedWhileOpen = SettingsSaved(); });
        d.accept();
    });
    QTest::mouseClick(Button(w, PanelIds::kNew), Qt::LeftButton);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(savedWhileOpen);
    EXPECT_EQ(AppSettings().AddressBook[3], (CContact{"Cleo", "", "5559876543", 0}));
    EXPECT_EQ(List()->model()->index(3, 1).data().toString(), "(555) 987-6543");
}

TEST_F(AddressBookTest, EitherEditorsEntryIsStoredAndSavedBeforeTheEditorCloses) {
    for (ControlName button : {PanelIds::kNew, PanelIds::kEdit}) {
        CMainDlg& w = OpenWith(kFive);
        std::filesystem::remove(dir / "Quillo.bin");  // written as the last window closed
        Select({1});
        bool storedAndSaved = false;
        WhenDialogOpens<CContactFieldsDlg>([&](CContactFieldsDlg& d) {
            d.NameField()->setText("Zoe");
            d.NumberField()->setText("5559876543");
            QObject::connect(&d, &QDialog::finished, [&] {
                storedAndSaved = BookNames().back() == "Zoe" && SettingsSaved();
            });
            PressOk(d);
        });
        QTest::mouseClick(Button(w, button), Qt::LeftButton);
        EXPECT_TRUE(opened) << button.name;
        EXPECT_TRUE(storedAndSaved) << button.name;
    }
}
