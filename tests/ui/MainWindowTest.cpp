#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "delivery/SendFailure.h"
#include "delivery/SendJob.h"
#include "runtime/PostToTarget.h"
#include "support/RecordingWorker.h"
#include "ui/MainWindowFixture.h"
#include "ui/ModalDriver.h"
#include "ui/addressbook/AddressBookIds.h"
#include "ui/addressbook/AddressBookPanel.h"
#include "ui/dialogs/OptionsDlg.h"
#include "ui/main/MainWindowIds.h"
#include "ui/main/MessageEditor.h"
#include "ui/main/PartPreviewLabel.h"
#include "ui/platform/GuiText.h"

using namespace std::chrono_literals;

namespace {

// Stands in for the queue thread: keeps every job the window queues.
class JobRecorder : public RecordingWorker {
public:
    std::vector<QueueEntry> Entries() const {
        std::vector<QueueEntry> entries;
        for (Message& m : Messages()) {
            if (auto* entry = m.Get<QueueEntry>())
                entries.push_back(*entry);
        }
        return entries;
    }
};

class MainWindow : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        recorder = std::make_shared<JobRecorder>();
        ASSERT_TRUE(recorder->CreateThread());
        RegisterWorker(PostTarget::QueueThread, recorder);
    }
    void TearDown() override {
        CloseWindow();
        RegisterWorker(PostTarget::QueueThread, nullptr);
        recorder->PostQuitMessage();
        recorder->Join(5s);
        MainWindowTest::TearDown();
    }

    void Type(QWidget* w, const QString& text) {
        w->setFocus();
        QTest::keyClicks(w, text);
    }

    // Fills the three fields as a user would and presses "Go !".
    void Send(const QString& to, const QString& from, const QString& message) {
        dialog->ToField()->setEditText(to);
        dialog->FromList()->setEditText(from);
        dialog->MessageField()->setPlainText(message);
        QTest::mouseClick(dialog->SendButton(), Qt::LeftButton);
    }

    QStringList Items(QComboBox* combo) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return items;
    }

    std::shared_ptr<JobRecorder> recorder;
};

}  // namespace

TEST_F(MainWindow, EveryControlSitsWhereTheTemplatePutsItAndEveryCaptionFits) {
    AppSettings().AddressBookStartup = CAppSettings::StartupOpen;
    CMainDlg& w = Open();
    using namespace MainWindowIds;
    for (ControlName c :
         {kTo, kFrom, kMessage, kAddressBook, kOptions, kAbout, kGo, PanelIds::kFrame,
          PanelIds::kList, PanelIds::kNew, PanelIds::kEdit, PanelIds::kDelete, PanelIds::kSendTo}) {
        EXPECT_EQ(ControlIdOf(Control(&w, c)), c.id) << c.name;
    }
    EXPECT_EQ(w.width(), CMainDlg::FullClientWidth());
    EXPECT_EQ(w.minimumSize(), w.maximumSize());  // not resizable
    ExpectCaptionsFit(w, 4);

    // Collapsed, the window ends just left of the panel's frame and right of everything else.
    auto* frame = Control<QGroupBox>(&w, PanelIds::kFrame);
    QTest::mouseClick(Control<QPushButton>(&w, kAddressBook), Qt::LeftButton);
    EXPECT_EQ(w.width(), CMainDlg::FullClientWidth() - 236);
    EXPECT_LE(w.width(), frame->x());
    EXPECT_GE(w.width(), frame->x() - 8);
    EXPECT_GT(w.width(), w.SendButton()->geometry().right());
    EXPECT_FALSE(w.AddressList()->isEnabled());
    QTest::mouseClick(Control<QPushButton>(&w, kAddressBook), Qt::LeftButton);
    EXPECT_EQ(w.width(), CMainDlg::FullClientWidth());
    EXPECT_TRUE(Control(&w, PanelIds::kSendTo)->isEnabled());

    // Closing twice narrows once.
    w.Panel()->Close();
    w.Panel()->Close();
    EXPECT_EQ(w.width(), CMainDlg::FullClientWidth() - 236);
    EXPECT_EQ(AppSettings().PanelClosed, 1);
}

TEST_F(MainWindow, AltAndAnUnderlinedLetterReachEveryControl) {
    AppSettings().AddressBookStartup = CAppSettings::StartupOpen;
    CMainDlg& w = Open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    for (auto [key, field] :
         {std::pair{Qt::Key_T, MainWindowIds::kTo}, {Qt::Key_R, MainWindowIds::kFrom}}) {
        QTest::keyClick(&w, key, Qt::AltModifier);
        EXPECT_TRUE(Control(&w, field)->hasFocus()) << field.name;
    }
    // A button's letter presses it: "Address Book" closes the panel.
    const int wide = w.width();
    QTest::keyClick(&w, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.width() < wide; }, 3000));
}

TEST_F(MainWindow, ThePanelStartsAsTheOptionSays) {
    struct Case {
        int startup, last;
        bool open;
    } cases[] = {{0, 1, true}, {1, 0, false}, {2, 1, false}, {2, 0, true}, {7, 0, true}};
    for (const Case& c : cases) {
        AppSettings().AddressBookStartup = c.startup;
        AppSettings().AddressBookLastSetting = c.last;
        AppSettings().PanelClosed = 0;
        CMainDlg& w = Open();
        EXPECT_EQ(w.width() == CMainDlg::FullClientWidth(), c.open) << c.startup << "/" << c.last;
        EXPECT_EQ(w.AddressList()->isEnabled(), c.open || c.startup == 7);
    }
}

TEST_F(MainWindow, InitialisationFillsTheListsAndThePanelSortedByName) {
    CAppSettings& s = AppSettings();
    s.AddressBookStartup = CAppSettings::StartupOpen;
    s.RecentTo = {"Ann", "5551234567"};
    s.RecentFrom = {"Dana", "Eve"};
    s.AddressBook = {
        {"\xE9lise", "", "5550000004", 0},  // e acute sorts as its capital 0xC9, after Z
        {"bob", "", "5550000002", 0},
        {"Alice", "", "5550000001", 0},
        {"alice", "", "5550000003", 0}};
    CMainDlg& w = Open();
    EXPECT_EQ(w.ToField()->currentText(), "Ann");
    EXPECT_EQ(Items(w.FromList()), (QStringList{"Dana", "Eve", "MyInfo..."}));
    EXPECT_EQ(w.FromList()->currentText(), "Dana");
    const QAbstractItemModel* rows = w.AddressList()->model();
    ASSERT_EQ(rows->rowCount(), 4);
    EXPECT_EQ(rows->index(3, 0).data().toString(), QString::fromUtf8("\xC3\xA9lise"));
    EXPECT_EQ(rows->index(0, 0).data().toString(), "Alice");
    EXPECT_EQ(rows->index(0, 1).data().toString(), "(555) 000-0001");
    EXPECT_EQ(rows->index(1, 0).data().toString(), "alice");
    EXPECT_EQ(rows->index(2, 0).data().toString(), "bob");
    EXPECT_EQ(w.AddressList()->columnWidth(0), 110);
    EXPECT_TRUE(w.ToField()->hasFocus() || w.ToField()->lineEdit()->hasFocus());
    EXPECT_TRUE(w.MessageField()->font().bold() ||
                w.MessageField()->font().weight() >= QFont::DemiBold);

    // The MyInfo entry chosen last time is chosen again.
    s.MyInfoSelectedInRecentFromList = 1;
    s.MyName = "Dana";
    CMainDlg& again = Open();
    EXPECT_EQ(again.FromList()->currentText(), "MyInfo: Dana");
}

TEST_F(MainWindow, ValidationAndResolutionErrorsQueueNothing) {
    AppSettings().AddressBook = {{"Ann Lee", "", "5550000001", CarrierVerizon}};
    Open();
    Send("", "", "");
    Send("Ann Lee", "", "");
    Send("Ann Lee", "", "Hello");
    Send("Ann Lee, 12345", "Dana", "Hello");
    Send("Ann Lee,  nobody here ", "Dana", "Hello");
    EXPECT_EQ(ui->MessageTexts(),
              (std::vector<std::string>{
                  "No recipient has been entered.", "There is no message to send!",
                  "Please put your information in the \"From\" field.",
                  "Error: The destination number \"12345\" does not have 10 digits",
                  "Error: An address Book entry was not found for \"nobody here\""}));
    for (const auto& box : ui->MessageBoxes()) {
        EXPECT_EQ(box.buttons, MbButtons::Ok);
        EXPECT_EQ(box.icon, MbIcon::None);
    }
    EXPECT_TRUE(dialog->SendButton()->isEnabled());
    EXPECT_EQ(dialog->SendButton()->text(), "Go !");
    EXPECT_TRUE(recorder->Entries().empty());
    // The recent lists keep the texts of the sends that got past validation.
    EXPECT_EQ(AppSettings().RecentTo,
              (std::vector<std::string>{"Ann Lee,  nobody here ", "Ann Lee, 12345"}));
}

TEST_F(MainWindow, OneJobPerRecipientWithSenderDetailsAndTheBookCarrier) {
    AppSettings().AddressBook = {{"Ann Lee", "", "5550000001", CarrierVerizon}};
    Open();
    Send("  ann lee , 5551234567,5551234567", "Dana, 555 987 6543, d@example.org", "Hi\nthere");
    ASSERT_TRUE(recorder->WaitForCount(3));
    auto entries = recorder->Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].payload.number, "5550000001");
    EXPECT_EQ(entries[0].payload.carrier, CarrierVerizon);
    EXPECT_EQ(entries[1].payload.number, "5551234567");
    EXPECT_EQ(entries[2].payload.number, "5551234567");
    EXPECT_EQ(entries[2].payload.carrier, CarrierAutoDetect);
    for (const auto& e : entries) {
        EXPECT_EQ(e.message, WM_APP_SEND_JOB);
        EXPECT_EQ(e.reportTarget, PostTarget::MainWindow);
        EXPECT_EQ(e.payload.senderName, "Dana");
        EXPECT_EQ(e.payload.replyNumber, "5559876543");
        EXPECT_EQ(e.payload.replyEmail, "d@example.org");
        EXPECT_EQ(e.payload.text, "Hi\r\nthere");  // line breaks as a form sends them
    }
    EXPECT_FALSE(dialog->SendButton()->isEnabled());
    EXPECT_EQ(dialog->SendButton()->text(), "Sending...");
}

TEST_F(MainWindow, BlankRecipientItemsAreSkippedAndOnlyBlanksAreReported) {
    AppSettings().AddressBook = {{"Ann Lee", "", "5550000001", 0}, {"Bob", "", "5550000002", 0}};
    Open();
    Send("Bob, ,", "Dana", "Hi");
    ASSERT_TRUE(recorder->WaitForCount(1));
    dialog->SendButton()->setEnabled(true);
    Send(" , ", "Dana", "Hi");
    EXPECT_EQ(ui->MessageTexts(), (std::vector<std::string>{"No recipient has been entered."}));
    auto entries = recorder->Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].payload.number, "5550000002");
}

TEST_F(MainWindow, RecentListsKeepTenRecipientsAndFiveSenders) {
    Open();
    for (int i = 0; i < 12; ++i) {
        dialog->SendButton()->setEnabled(true);
        Send(QString("555000%1").arg(1000 + i), QString("Sender %1").arg(i), "x");
    }
    dialog->SendButton()->setEnabled(true);
    Send("5550001011", "Sender 11", "x");  // the same texts again stay once, on top
    ASSERT_EQ(AppSettings().RecentTo.size(), 10u);
    EXPECT_EQ(AppSettings().RecentTo.front(), "5550001011");
    EXPECT_EQ(AppSettings().RecentTo.back(), "5550001002");
    EXPECT_EQ(dialog->ToField()->count(), 10);
    EXPECT_EQ(
        AppSettings().RecentFrom,
        (std::vector<std::string>{"Sender 11", "Sender 10", "Sender 9", "Sender 8", "Sender 7"}));
    dialog->FromList()->showPopup();  // dropping the list down refreshes it
    dialog->FromList()->hidePopup();
    EXPECT_EQ(dialog->FromList()->count(), 6);
    EXPECT_EQ(dialog->FromList()->itemText(5), "MyInfo...");
}

TEST_F(MainWindow, TheMyInfoEntryAsksToSetUpDetailsWhenThereAreNone) {
    AppSettings().RecentFrom = {"Dana"};
    CMainDlg& w = Open();
    QComboBox* from = w.FromList();
    ui->QueueAnswer(MbResult::No);
    from->setFocus();
    QTest::keyClick(from, Qt::Key_Down);  // Dana -> MyInfo...
    ASSERT_EQ(ui->MessageBoxes().size(), 1u);
    EXPECT_EQ(ui->MessageBoxes()[0].text, "Would you like to set up MyInfo?");
    EXPECT_EQ(ui->MessageBoxes()[0].buttons, MbButtons::YesNo);
    EXPECT_EQ(ui->MessageBoxes()[0].icon, MbIcon::Question);
    EXPECT_EQ(from->currentText(), "");

    // Yes opens the options; leaving them without details clears the entry again.
    from->setCurrentIndex(0);
    ui->QueueAnswer(MbResult::Yes);
    ModalDriver<COptionsDlg> options([](COptionsDlg& d) { d.reject(); });
    QTest::keyClick(from, Qt::Key_Down);
    EXPECT_EQ(options.Runs(), 1);
    EXPECT_EQ(ui->MessageBoxes().size(), 2u);
    EXPECT_EQ(from->currentText(), "");
}

TEST_F(MainWindow, TypingTheKeywordChoosesTheMyInfoEntry) {
    AppSettings().MyName = "Dana";
    AppSettings().RecentFrom = {"Eve"};
    CMainDlg& w = Open();
    w.FromList()->setEditText("");
    Type(w.FromList()->lineEdit(), "mYiNfO");
    w.MessageField()->setFocus();
    EXPECT_EQ(w.FromList()->currentText(), "MyInfo: Dana");

    // Sending with it marks the entry without adding it to the recent senders.
    Send("5551234567", w.FromList()->currentText(), "Hi");
    ASSERT_TRUE(recorder->WaitForCount(1));
    EXPECT_EQ(AppSettings().MyInfoSelectedInRecentFromList, 1);
    EXPECT_EQ(AppSettings().RecentFrom, (std::vector<std::string>{"Eve"}));
    EXPECT_EQ(recorder->Entries()[0].payload.senderName, "Dana");
}

TEST_F(MainWindow, EnterSendsOnlyWhenTheOptionIsOn) {
    CMainDlg& w = Open();
    w.ToField()->setEditText("5551234567");
    w.FromList()->setEditText("Dana");
    AppSettings().SendOnEnter = 0;
    for (QWidget* field : {static_cast<QWidget*>(w.ToField()->lineEdit()),
                           static_cast<QWidget*>(w.FromList()->lineEdit())}) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_TRUE(w.MessageField()->hasFocus());
    }
    Type(w.MessageField(), "Hello");
    QTest::keyClick(w.MessageField(), Qt::Key_Return);
    EXPECT_EQ(w.MessageField()->toPlainText(), "Hello");  // no line break, nothing sent
    EXPECT_TRUE(w.MessageField()->hasFocus());
    EXPECT_TRUE(w.SendButton()->isEnabled());

    AppSettings().SendOnEnter = 1;
    QTest::keyClick(w.MessageField(), Qt::Key_Return);
    ASSERT_TRUE(recorder->WaitForCount(1));
    EXPECT_EQ(recorder->Entries()[0].payload.text, "Hello");
    // While the batch is out, Enter does nothing: a marker queued after it comes second.
    QTest::keyClick(w.MessageField(), Qt::Key_Return);
    QueueEntry marker;
    marker.payload.number = "marker";
    PostToTarget(PostTarget::QueueThread, WM_APP_QUEUE_JOB, marker);
    ASSERT_TRUE(recorder->WaitForCount(2));
    EXPECT_EQ(recorder->Entries()[1].payload.number, "marker");
    EXPECT_EQ(w.SendButton()->text(), "Sending...");
}

TEST_F(MainWindow, TheBatchReportReArmsTheButtonAndClearsTheMessageOnlyOnSuccess) {
    AppSettings().AddressBook = {{"Ann Lee", "", "5550000001", 0}};
    CMainDlg& w = Open();
    Send("Ann Lee", "Dana", "Hello");
    ASSERT_TRUE(recorder->WaitForCount(1));

    Message failed{WM_APP_SEND_REPORT,
                   SendFailureList{{4,
                                    "Unable to deliver your message because a network "
                                    "connection was not detected",
                                    "5550000001"}},
                   0};
    EXPECT_EQ(w.OnAppMessage(failed), 1);
    EXPECT_TRUE(w.SendButton()->isEnabled());
    EXPECT_EQ(w.SendButton()->text(), "Go !");
    EXPECT_EQ(w.MessageField()->toPlainText(), "Hello");
    EXPECT_EQ(ui->MessageTexts().back(),
              "An error occurred while sending your message to Ann Lee\nUnable to deliver your "
              "message because a network connection was not detected");

    Message ok{WM_APP_SEND_REPORT, SendFailureList{}, 0};
    w.OnAppMessage(ok);
    EXPECT_EQ(ui->MessageBoxes().back().text, "Your message was sent!");
    EXPECT_EQ(ui->MessageBoxes().back().icon, MbIcon::Information);
    EXPECT_EQ(w.MessageField()->toPlainText(), "");
    EXPECT_TRUE(w.MessageField()->hasFocus());
}

TEST_F(MainWindow, ADetectedCarrierReachesEveryEntryWithThatNumber) {
    AppSettings().AddressBook = {
        {"A", "", "5550000001", 0}, {"B", "", "5550000001", 0}, {"C", "", "5550000002", 0}};
    Open();
    std::thread([] {
        PostToTarget(PostTarget::MainWindow, WM_APP_CARRIER_FOUND, std::string("5550000001"), 7);
    }).join();
    EXPECT_TRUE(QTest::qWaitFor([] { return AppSettings().AddressBook[0].Carrier == 7; }, 5000));
    EXPECT_EQ(AppSettings().AddressBook[1].Carrier, 7);
    EXPECT_EQ(AppSettings().AddressBook[2].Carrier, 0);
}

TEST_F(MainWindow, EscapeKeepsTheWindowAndAPositionOffScreenIsNotStored) {
    AppSettings().WindowX = 40;
    AppSettings().WindowY = 30;
    CMainDlg& w = Open();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());

    w.move(-20, 50);
    w.reject();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(AppSettings().WindowX, 40);
    EXPECT_EQ(AppSettings().WindowY, 30);

    CMainDlg& again = Open();
    again.move(70, 80);
    again.reject();
    EXPECT_EQ(AppSettings().WindowX, again.frameGeometry().x());
    EXPECT_GE(AppSettings().WindowX, 0);
}

TEST_F(MainWindow, TheMessageFieldTakesAtMost2500Characters) {
    CMainDlg& w = Open();
    w.MessageField()->setPlainText(QString(2499, 'a'));
    w.MessageField()->moveCursor(QTextCursor::End);
    Type(w.MessageField(), "bcd");
    EXPECT_EQ(w.MessageField()->toPlainText().size(), 2500);
    EXPECT_TRUE(w.MessageField()->toPlainText().endsWith("ab"));
}

TEST_F(MainWindow, BadInputInTheFieldsEndsInAClearOutcome) {
    const QString nul(QChar(0));
    QString numbers;
    while (numbers.size() < 100 * 1024) numbers += "5551234567, ";
    const std::string longName(100 * 1024, 'x');
    // A line editor keeps at most 32,767 characters of what is pasted into it.
    const std::string keptName(32767, 'x');
    const std::string longMessage(2500, 'm');
    QString fifty;
    for (int i = 0; i < 50; ++i) fifty += QString("55500000%1,").arg(i, 2, 10, QChar('0'));

    const struct {
        const char* what;
        QString to, from, message;
        std::string box;           // the message box shown, or empty when jobs were queued
        std::size_t jobs;          // jobs queued
        std::string sender, text;  // of the last job
    } kCases[] = {
        {"100 KB name", QString::fromStdString(longName), "Dana", "Hi",
         "Error: An address Book entry was not found for \"" + keptName + "\"", 0, "", ""},
        {"100 KB of numbers", numbers, "Dana", "Hi",
         "Error: The destination number \"5551234\" does not have 10 digits", 0, "", ""},
        {"NUL in To", "555" + nul + "1234567", "Dana", "Hi", "", 1, "Dana", "Hi"},
        {"NUL in From and message", "5551234567", "Da" + nul + "na", "H" + nul + "i", "", 1,
         std::string("Da\0na", 5), std::string("H\0i", 3)},
        {"Cyrillic and emoji in From and message", "5551234567",
         QString::fromUtf8("Иван \U0001F600"), QString::fromUtf8("Привет \U0001F600"), "", 1,
         "???? ?", "?????? ?"},
        {"Cyrillic in To", QString::fromUtf8("Иван"), "Dana", "Hi",
         "Error: An address Book entry was not found for \"????\"", 0, "", ""},
        {"2,500 characters to 50 recipients", fifty, "Dana", QString::fromStdString(longMessage),
         "", 50, "Dana", longMessage},
    };
    CMainDlg& w = Open();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        const std::size_t boxes = ui->MessageBoxes().size();
        const std::size_t queued = recorder->Entries().size();
        Send(c.to, c.from, c.message);
        if (!c.box.empty()) {
            ASSERT_EQ(ui->MessageBoxes().size(), boxes + 1);
            EXPECT_EQ(ui->MessageBoxes().back().text, c.box);
            EXPECT_TRUE(w.SendButton()->isEnabled());
            continue;
        }
        ASSERT_TRUE(recorder->WaitForCount(queued + c.jobs));
        const auto entries = recorder->Entries();
        EXPECT_EQ(entries.size(), queued + c.jobs);
        EXPECT_EQ(entries.back().payload.senderName, c.sender);
        EXPECT_EQ(entries.back().payload.text, c.text);
        EXPECT_EQ(ui->MessageBoxes().size(), boxes);
        // The batch's report puts the window back for the next case.
        EXPECT_EQ(w.SendButton()->text(), "Sending...");
        Message report{WM_APP_SEND_REPORT, SendFailureList{}, 0};
        w.OnAppMessage(report);
        EXPECT_TRUE(w.SendButton()->isEnabled());
    }
}

TEST_F(MainWindow, TheReadOutFollowsEveryFieldAndTheBook) {
    AppSettings().AddressBookStartup = CAppSettings::StartupOpen;
    AppSettings().AddressBook = {{"Vera Zon", "", "5550000009", CarrierVerizon},
                                 {"Al", "", "5550000001", CarrierAutoDetect}};
    CMainDlg& w = Open();
    QLabel* readOut = w.PartPreview();
    const auto tip = [&] { return readOut->toolTip().toStdString(); };
    EXPECT_EQ(readOut->text(), "");

    Type(w.ToField()->lineEdit(), "vera zon");
    Type(w.FromList()->lineEdit(), "Me");
    w.MessageField()->setPlainText(QString(150, 'm'));
    EXPECT_EQ(readOut->text(), "150/1");
    EXPECT_EQ(tip(), "150 characters in 1 part\nVera Zon (Verizon): 1 part");

    // A longer sender text leaves less room; a second recipient adds a line.
    Type(w.FromList()->lineEdit(), "rs Zon, 555-987-6543");
    EXPECT_EQ(readOut->text(), "150/2");
    Type(w.ToField()->lineEdit(), ", Al");
    EXPECT_NE(tip().find("\nAl (Auto-Detect): 1\u20132 parts"), std::string::npos) << tip();

    // A carrier found, a contact deleted: the read-out follows the book at once.
    Message found{WM_APP_CARRIER_FOUND, std::string("5550000001"), CarrierNextel};
    w.OnAppMessage(found);
    EXPECT_NE(tip().find("\nAl (Nextel): 1 part"), std::string::npos) << tip();
    w.Panel()->DeleteRows({0});
    EXPECT_EQ(tip(), "150 characters in 2 parts\nVera Zon (Verizon): 2 parts");

    // Line breaks count as the two characters they are sent as.
    w.MessageField()->setPlainText("a\nb");
    EXPECT_EQ(readOut->text(), "4/1");
}

TEST_F(MainWindow, UnsendableCharactersAreShownAndReplacedOnRequest) {
    CMainDlg& w = Open();
    QLabel* readOut = w.PartPreview();
    w.ToField()->setEditText("5551234567");
    w.FromList()->setEditText(QString::fromUtf8("Иван"));
    w.MessageField()->setPlainText(QString::fromUtf8("1\u2009000 \u2192 ok \U0001F600"));
    EXPECT_TRUE(readOut->text().startsWith(QString::fromUtf8("\u26A0 ")));
    EXPECT_TRUE(readOut->toolTip().startsWith(
        QString::fromUtf8("7 characters cannot be sent: И в а н \u2009 \u2192 \U0001F600\n")))
        << readOut->toolTip().toStdString();

    const std::unique_ptr<QMenu> menu(w.Editor()->CreateMenu({}));
    QAction* replace = menu->actions().back();
    EXPECT_EQ(replace->text(), "Replace unsendable characters");
    ASSERT_TRUE(replace->isEnabled());
    replace->trigger();
    EXPECT_EQ(w.MessageField()->toPlainText(), QString::fromUtf8("1 000 -> ok \U0001F600"));
    EXPECT_TRUE(readOut->toolTip().startsWith(
        QString::fromUtf8("5 characters cannot be sent: И в а н \U0001F600\n")));
    w.MessageField()->undo();  // one step back to what was typed
    EXPECT_EQ(w.MessageField()->toPlainText(),
              QString::fromUtf8("1\u2009000 \u2192 ok \U0001F600"));

    // Nothing left to replace: the item stays but cannot be chosen. The widest read-out fits.
    w.MessageField()->setPlainText(QString(2498, QLatin1Char('x')) +
                                   QString::fromUtf8("\U0001F600"));
    const std::unique_ptr<QMenu> again(w.Editor()->CreateMenu({}));
    EXPECT_FALSE(again->actions().back()->isEnabled());
    w.ToField()->setEditText("5551234567, 5551234568");
    EXPECT_LE(readOut->fontMetrics().horizontalAdvance(readOut->text()), readOut->width())
        << readOut->text().toStdString();
}

TEST_F(MainWindow, OnTheModemRouteTheReadOutCountsAsTheNetworkDoesAndOffersCheaperCharacters) {
    CMainDlg& w = Open();
    w.Editor()->SetRoute(RouteModem);
    QLabel* readOut = w.PartPreview();
    w.ToField()->setEditText(QString::fromUtf8("Иван"));  // no warning: everything can be sent
    w.MessageField()->setPlainText(QString(150, QLatin1Char('x')) + QString::fromUtf8("\u2192"));
    EXPECT_EQ(readOut->text(), "151/3");
    EXPECT_NE(
        readOut->toolTip().indexOf(QString::fromUtf8("\u2192 makes this 3 texts instead of 1")), -1)
        << readOut->toolTip().toStdString();

    const std::unique_ptr<QMenu> menu(w.Editor()->CreateMenu({}));
    QAction* replace = menu->actions().back();
    EXPECT_EQ(replace->text(), "Replace characters that cost extra texts");
    ASSERT_TRUE(replace->isEnabled());
    replace->trigger();
    EXPECT_EQ(w.MessageField()->toPlainText(), QString(150, QLatin1Char('x')) + "->");
    EXPECT_EQ(readOut->text(), "152/1");
}
