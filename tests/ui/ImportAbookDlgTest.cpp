// The CSV import as the user runs it from the panel's context menu.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "ui/AddressBookFixture.h"
#include "ui/addressbook/ImportAbookDlg.h"
#include "ui/platform/QtUiServices.h"

namespace {

class ImportContacts : public AddressBookTest {
protected:
    // Chooses "Import Contacts... (CSV)" with `file` as the answer of the file dialog and runs
    // `act` on the import dialog.
    void RunImport(std::optional<std::filesystem::path> file,
                   std::function<void(CImportAbookDlg&)> act) {
        ui->QueueFile(std::move(file));
        WhenDialogOpens<CImportAbookDlg>(std::move(act));
        ChooseFromContextMenu(0, "Import Contacts... (CSV)");
    }
    static QStringList Items(QComboBox* list) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
        return items;
    }
};

}  // namespace

TEST_F(ImportContacts, TheChosenFieldsAreImportedCountedAndShownInNameOrder) {
    OpenWith({"Zed"});
    const auto file = dir / "contacts.csv";
    WriteFileBytes(file, "Name,Phone\nAnn,555-123-4567\nBob,12345\n");
    QStringList names;
    int nameChoice = -1, numberChoice = -1;
    RunImport(file, [&](CImportAbookDlg& d) {
        names = Items(d.NameList());
        nameChoice = d.NameList()->currentIndex();
        numberChoice = d.NumberList()->currentIndex();
        PressOk(d);
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(ui->FileFilters(),
              std::vector<std::string>{
                  "Comma-Seperated Value Files (*.csv)|*.csv|All Files (*.*)|*.*||"});
    EXPECT_EQ(names, (QStringList{"Name", "Phone"}));
    EXPECT_EQ(nameChoice, 0);
    EXPECT_EQ(numberChoice, 1);
    ASSERT_EQ(ui->MessageBoxes().size(), 1u);
    EXPECT_EQ(ui->MessageBoxes()[0].text,
              "1 records were imported successfully into the address book\n"
              "1 records were not imported due to missing or invalid data");
    EXPECT_EQ(ui->MessageBoxes()[0].icon, MbIcon::Information);
    EXPECT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(List()->model()->index(0, 1).data().toString(), "(555) 123-4567");
    EXPECT_FALSE(SettingsSaved());  // saved with the next settings save
}

TEST_F(ImportContacts, OkAsksForTheMissingFieldAndCancelImportsNothing) {
    OpenWith({"Zed"});
    const auto single = dir / "single.csv";
    WriteFileBytes(single, "Ann\n");
    struct Case {
        std::filesystem::path file;
        std::string message;
    } cases[] = {
        {single, "Please select the field that contains the numbers you want to import"},
        {dir.path(), "Please select the field that contains the names you want to import"},
    };
    for (const Case& c : cases) {
        bool stayed = false;
        RunImport(c.file, [&](CImportAbookDlg& d) {
            PressOk(d);
            stayed = d.isVisible();
            d.reject();
        });
        EXPECT_TRUE(stayed);
        EXPECT_EQ(ui->MessageTexts().back(), c.message);
    }
    RunImport(std::nullopt, [](CImportAbookDlg& d) { d.accept(); });
    EXPECT_FALSE(opened);
    EXPECT_EQ(AppSettings().AddressBook.size(), 1u);
}

TEST_F(ImportContacts, AFirstLineOfTenThousandFieldsIsOfferedWhole) {
    OpenWith({"Zed"});
    std::string headings = "Name,Phone";
    for (int i = 2; i < 10000; ++i) headings += ",f" + std::to_string(i);
    const auto file = dir / "wide.csv";
    WriteFileBytes(file, headings + "\nAnn,5551234567\n");
    int offered = 0;
    RunImport(file, [&](CImportAbookDlg& d) {
        offered = d.NumberList()->count();
        PressOk(d);
    });
    EXPECT_EQ(offered, 10000);
    EXPECT_EQ(
        ui->MessageTexts(),
        std::vector<std::string>{"1 records were imported successfully into the address book"});
}

TEST_F(ImportContacts, AVCardFileOffersItsPropertiesWithTheNameAndMobileChosen) {
    OpenWith({"Zed"});
    const auto file = dir / "phone.vcf";
    WriteFileBytes(
        file,
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Ann;;;\r\nFN:Ann Doe\r\n"
        "TEL;TYPE=HOME:555-222-3333\r\nTEL;TYPE=CELL,VOICE:+1 555 123 4567\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob\r\nTEL;TYPE=HOME:555-987-6543\r\nEND:VCARD\r\n");
    QStringList names;
    QString name, number;
    RunImport(file, [&](CImportAbookDlg& d) {
        names = Items(d.NumberList());
        name = d.NameList()->currentText();
        number = d.NumberList()->currentText();
        PressOk(d);
    });
    EXPECT_EQ(names, (QStringList{"FN", "N", "TEL (home)", "TEL (cell)"}));
    EXPECT_EQ(name, "FN");
    EXPECT_EQ(number, "TEL (cell)");
    EXPECT_EQ(
        ui->MessageTexts(),
        std::vector<std::string>{"1 records were imported successfully into the address book\n"
                                 "1 records were not imported due to missing or invalid data"});
    ASSERT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(List()->model()->index(0, 0).data().toString(), "Ann Doe");
    EXPECT_EQ(List()->model()->index(0, 1).data().toString(), "(555) 123-4567");
}

// With the real file dialog and message box: "All Files" lists a file without a dot, and every
// window of the import opens centred over the one it belongs to (the result box included,
// which comes up as the import dialog closes).
TEST_F(ImportContacts, TheRealDialogsListEveryFileAndOpenOverTheirOwners) {
    InstallUiServices(std::make_shared<QtUiServices>());
    CMainDlg& w = OpenWith({"Zed"});
    // Away from the middle of the screen, with room around it for the file dialog.
    w.move(212, 199);
    WriteFileBytes(dir / "contacts", "Name,Phone\nAnn,555-123-4567\n");
    QStringList filters, listed, centred;
    auto checkCentred = [&](QWidget& d) {
        if ((d.geometry().center() - w.geometry().center()).manhattanLength() <= 2)
            centred << d.windowTitle();
    };
    WhenDialogOpens<QFileDialog>([&](QFileDialog& d) {
        checkCentred(d);
        filters = d.nameFilters();
        d.setDirectory(QString::fromStdString(dir.path().string()));
        QTest::keyClick(d.findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Down);
        auto* view = d.findChild<QListView*>("listView");
        QModelIndex file;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            listed.clear();
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
                listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
                if (listed.back() == "contacts")
                    file = view->model()->index(row, 0, view->rootIndex());
            }
            return file.isValid();
        })) << listed.join(", ").toStdString();
        const QPoint at = view->visualRect(file).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        if (d.isVisible()) {
            ADD_FAILURE() << "the file dialog did not take the file";
            d.reject();
        }
        // Set last: a new poll replaces the one running this.
        WhenDialogOpens<CImportAbookDlg>([&](CImportAbookDlg& import) {
            checkCentred(import);
            WhenDialogOpens<QMessageBox>([&](QMessageBox& box) {
                checkCentred(box);
                box.button(QMessageBox::Ok)->click();
            });
            PressOk(import);
            if (import.isVisible()) {
                ADD_FAILURE() << "the import dialog stayed open";
                import.reject();
            }
        });
    });
    ChooseFromContextMenu(0, "Import Contacts... (CSV)");
    EXPECT_EQ(filters, (QStringList{"Comma-Seperated Value Files (*.csv)", "All Files (*.*)"}));
    EXPECT_EQ(centred.size(), 3) << centred.join(", ").toStdString();
    EXPECT_EQ(List()->model()->rowCount(), 2);
}
