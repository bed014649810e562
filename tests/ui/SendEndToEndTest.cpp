// The main road, end to end: the window, both worker threads and the carrier lab in-process.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <optional>

#include "app/CoreThread.h"
#include "app/QueueThread.h"
#include "base/Paths.h"
#include "carrier-lab/LabServer.h"
#include "carrier-lab/WebServices.h"
#include "res/StringTable.h"
#include "runtime/PostToTarget.h"
#include "service/Upgrade.h"
#include "support/InProcessLab.h"
#include "ui/MainWindowFixture.h"
#include "ui/ModalDriver.h"
#include "ui/dialogs/DialogIds.h"
#include "ui/dialogs/DonateDlg.h"
#include "ui/dialogs/NewVersionDlg.h"
#include "ui/main/SenderField.h"
#include "ui/platform/QtUiServices.h"

using namespace std::chrono_literals;

namespace {

class SendEndToEnd : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_NO_THROW(lab.Start(dir.path()));

        AppSettings().CounterReported = 1;  // keep the start-up report out of the counter
        queue = std::make_shared<CQueueThread>();
        core = std::make_shared<CCoreThread>();
        ASSERT_TRUE(queue->CreateThread());
        ASSERT_TRUE(core->CreateThread());
        RegisterWorker(PostTarget::QueueThread, queue);
        RegisterWorker(PostTarget::CoreThread, core);
    }

    void TearDown() override {
        CloseWindow();
        RegisterWorker(PostTarget::QueueThread, nullptr);
        RegisterWorker(PostTarget::CoreThread, nullptr);
        for (auto& worker :
             {std::shared_ptr<CWorkerThread>(queue), std::shared_ptr<CWorkerThread>(core)}) {
            worker->PostQuitMessage();
            worker->Join(10s);
        }
        lab.Stop();
        MainWindowTest::TearDown();
    }

    // Types the three fields, presses "Go !" and waits for the batch's message box.
    std::string SendAndWait(const QString& to, const QString& message) {
        const std::size_t before = ui->MessageBoxes().size();
        dialog->ToField()->setEditText(to);
        dialog->FromList()->setEditText("Dana, 5559876543, dana@example.org");
        dialog->MessageField()->setPlainText(message);
        QTest::mouseClick(dialog->SendButton(), Qt::LeftButton);
        if (ui->MessageBoxes().size() == before) {
            EXPECT_EQ(dialog->SendButton()->text(), "Sending...");
            EXPECT_FALSE(dialog->SendButton()->isEnabled());
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui->MessageBoxes().size() > before; }, 30000));
        EXPECT_EQ(dialog->SendButton()->text(), "Go !");
        return ui->MessageBoxes().empty() ? std::string() : ui->MessageBoxes().back().text;
    }

    bool NoProtocolError() {
        for (const auto& entry : lab.Log()) {
            if (!entry.protocolError.empty()) {
                ADD_FAILURE() << entry.host << entry.target << ": " << entry.protocolError;
                return false;
            }
        }
        return true;
    }

    InProcessLab lab;
    std::shared_ptr<CQueueThread> queue;
    std::shared_ptr<CCoreThread> core;
};

}  // namespace

TEST_F(SendEndToEnd, AMessageReachesThePhoneAndTheUserHearsItWasSent) {
    CMainDlg& w = Open();
    EXPECT_EQ(SendAndWait("5551230007", "Hello"), "Your message was sent!");
    EXPECT_EQ(ui->MessageBoxes().back().icon, MbIcon::Information);
    EXPECT_EQ(w.MessageField()->toPlainText(), "");

    const auto inbox = lab.Inbox("5551230007");
    ASSERT_EQ(inbox.size(), 1u);
    EXPECT_EQ(inbox[0].text, "Hello");
    EXPECT_EQ(inbox[0].sender, "Dana");  // T-Mobile's form shows the sender's name
    EXPECT_EQ(AppSettings().MessageCount, 1);
    EXPECT_TRUE(NoProtocolError());
}

// The route as the Delivery dialog hands it over, to each of the lab's web services over TLS
// with the host name checked; three recipients each get the text exactly as typed.
TEST_F(SendEndToEnd, EachWebServicePresetDeliversTheBatchAsTyped) {
    CMainDlg& w = Open();
    const QString typed = QString::fromUtf8("\u041f\u0440\u0438\u0432\u0435\u0442, caf\u00e9 \u263a");
    const struct {
        WebPreset preset;
        lab::WebService service;
    } cases[] = {{PresetFormAccount, lab::WebService::Form},
                 {PresetJsonToken, lab::WebService::Json},
                 {PresetPhoneGateway, lab::WebService::Phone}};
    int sent = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset);
        RouteSettings route;
        route.route = RouteWebService;
        route.webPreset = c.preset;
        route.webBase = "https://localhost:" + std::to_string(lab.Ports().https) +
                        lab::WebServices::BasePath(c.service);
        route.webAccount = lab::LabOptions().webAccount;
        route.webSender = "5550100999";
        route.webPerMinute = 600;
        route.webSecret = lab::LabOptions().webSecret;
        emit w.findChild<CSenderField*>()->routeChanged(route);
        EXPECT_EQ(SendAndWait("5551230007, 5551230001, 5551230005", typed),
                  "Your message was sent!");
        sent += 3;
        for (const char* number : {"5551230007", "5551230001", "5551230005"}) {
            const auto inbox = lab.Inbox(number);
            ASSERT_FALSE(inbox.empty()) << number;
            EXPECT_EQ(inbox.back().text, typed.toStdString()) << number;
            EXPECT_FALSE(inbox.back().route.empty()) << number;
        }
    }
    EXPECT_EQ(AppSettings().MessageCount, sent);
    // A secret the service refuses reads as such, naming the recipient.
    RouteSettings wrong = w.Route();
    wrong.webSecret = "not-it";
    emit w.findChild<CSenderField*>()->routeChanged(wrong);
    EXPECT_EQ(SendAndWait("5551230007", typed),
              "An error occurred while sending your message to 5551230007\n"
              "Unable to deliver your message because the service refused the account or its "
              "secret");
}

TEST_F(SendEndToEnd, FailuresAreReportedWithTheContactsNames) {
    AppSettings().AddressBook = {
        {"Ann Lee", "", "5551230009", CarrierAllTel},  // a Verizon phone filed under AllTel
        {"Zed", "", "5551230000", CarrierAutoDetect},  // a phone of no carrier
        {"Bob", "", "5551230005", CarrierAutoDetect},  // a Nextel phone, to be detected
    };
    CMainDlg& w = Open();
    EXPECT_EQ(SendAndWait("ann lee", "One failure"),
              "An error occurred while sending your message to Ann Lee\n"
              "The carrier selected for this number is incorrect");
    EXPECT_EQ(w.MessageField()->toPlainText(), "One failure");

    EXPECT_EQ(SendAndWait("Ann Lee, Zed", "Two failures"),
              "Errors occurred while sending your message to the following recipients:\n"
              "  -Ann Lee: The carrier selected for this number is incorrect\n"
              "  -Zed: Your message was sent, but delivery could not be confirmed\n");

    // Auto-detection finds Bob's carrier and the address book learns it.
    EXPECT_EQ(SendAndWait("Bob", "Found you"), "Your message was sent!");
    EXPECT_EQ(lab.Inbox("5551230005").size(), 1u);
    auto bobCarrier = [] {
        for (const CContact& c : AppSettings().AddressBook) {
            if (c.Name == "Bob")
                return c.Carrier;
        }
        return -1;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return bobCarrier() == CarrierNextel; }, 5000));
    EXPECT_TRUE(NoProtocolError());
}

TEST_F(SendEndToEnd, ALongMessageArrivesAsItsPartsInOrder) {
    Open();
    std::string words;
    for (int i = 0; words.size() < 300; ++i) words += "word" + std::to_string(i) + " ";
    EXPECT_EQ(SendAndWait("5551230007", QString::fromStdString(words)), "Your message was sent!");
    const auto inbox = lab.Inbox("5551230007");
    ASSERT_GE(inbox.size(), 2u);
    EXPECT_TRUE(inbox.front().text.ends_with("...(cont)"));
    EXPECT_TRUE(inbox.back().text.starts_with("(cont)..."));
    EXPECT_EQ(AppSettings().MessageCount, static_cast<int>(inbox.size()));
    EXPECT_TRUE(NoProtocolError());
}

TEST_F(SendEndToEnd, TheFiftiethMessageBringsUpTheDonationPromptWithTheSiteValues) {
    AppSettings().MessageCount = 49;
    std::string siteText, opened;
    ModalDriver<CDonateDlg> prompt([&](CDonateDlg& d) {
        siteText = Control<QLabel>(&d, DonateIds::kSiteText)->text().toStdString();
        QTest::mouseClick(Control<QPushButton>(&d, DonateIds::kDonate), Qt::LeftButton);
        opened = ui->Links().empty() ? std::string() : ui->Links().back();
        PressOk(d);
    });
    Open();
    EXPECT_EQ(SendAndWait("5551230007", "Hello"), "Your message was sent!");
    EXPECT_TRUE(QTest::qWaitFor([&] { return prompt.Runs() == 1; }, 10000));
    EXPECT_EQ(AppSettings().MessageCount, 50);
    EXPECT_EQ(siteText, AppSettings().SiteInfo().SiteUrlText);
    EXPECT_EQ(opened, AppSettings().SiteInfo().PaypalUrl);
    EXPECT_FALSE(opened.empty());
}

// The upgrade as the user takes it: the site names a newer version, the offer comes up, "Yes"
// downloads and starts the installer for real, and the offer and then the program close.
TEST_F(SendEndToEnd, AnAcceptedUpgradeRunsTheInstallerAndTheProgramClosesAndSaves) {
    InstallUiServices(std::make_shared<QtUiServices>());
    lab.SetLatestVersion("1.07");
    QStringList statuses;
    ModalDriver<CNewVersionDlg> offer([&](CNewVersionDlg& d) {
        QObject::connect(d.StatusField(), &QLineEdit::textChanged,
                         [&](const QString& text) { statuses << text; });
        QTest::mouseClick(d.YesButton(), Qt::LeftButton);
        EXPECT_FALSE(d.NoButton()->isEnabled());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 20000));
    });
    CMainDlg& w = Open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return offer.Runs() == 1 && !w.isVisible(); }, 30000));
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.front(), "Connecting...");
    EXPECT_TRUE(statuses.contains("DownloadComplete!"));
    EXPECT_EQ(statuses.back(), "Shutting Down...");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !lab.InstallerRuns().empty(); }, 10000));
    ASSERT_EQ(lab.InstallerRuns().size(), 1u);
    EXPECT_EQ(lab.InstallerRuns()[0].arguments, "/SILENT");

    EXPECT_FALSE(std::filesystem::exists(dir / "Quillo.bin"));
    CloseWindow();  // as the application's end does once the window has closed
    EXPECT_TRUE(std::filesystem::exists(dir / "Quillo.bin"));
    EXPECT_TRUE(std::filesystem::exists(dir / "QuilloUpgrade.exe"));
}

// Closing the offer while the download is stalled means "stop": the transfer ends at once (the
// next upgrade runs to its end long before the stalled answer would come), nothing is started,
// nothing runnable stays behind, and the program carries on.
TEST_F(SendEndToEnd, ClosingTheOfferDuringTheUpgradeCancelsItAndTheNextOfferCanBeTaken) {
    InstallUiServices(std::make_shared<QtUiServices>());
    lab.SetLatestVersion("1.07");
    const std::string location = LoadString(IDS_DOWNLOAD_URL);
    lab::Fault stall;
    stall.kind = lab::FaultKind::Delay;
    stall.path = location.substr(location.find('/'));
    stall.delay = 30s;
    lab.InjectFault(location.substr(0, location.find(':')), stall);
    auto upgradeFiles = [&] {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            count += entry.path().filename().string().starts_with(kInstallerFileName);
        return count;
    };

    std::optional<ModalDriver<CNewVersionDlg>> second;
    QStringList statuses;
    int filesWhenTheNextBegan = -1;
    ModalDriver<CNewVersionDlg> first([&](CNewVersionDlg& d) {
        QTest::mouseClick(d.YesButton(), Qt::LeftButton);
        // The lab has the download's request, and holds back its answer.
        EXPECT_TRUE(QTest::qWaitFor([&] { return lab.PendingFaults().empty(); }, 10000));
        EXPECT_TRUE(d.close());  // the close box, or Alt+F4
        second.emplace([&](CNewVersionDlg& next) {
            QObject::connect(next.StatusField(), &QLineEdit::textChanged, [&](const QString& t) {
                if (statuses.isEmpty())
                    filesWhenTheNextBegan = upgradeFiles();
                statuses << t;
            });
            QTest::mouseClick(next.YesButton(), Qt::LeftButton);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !next.isVisible(); }, 20000));
        });
        PostToTarget(PostTarget::MainWindow, WM_APP_NEW_VERSION);
    });
    CMainDlg& w = Open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return second && second->Runs() == 1; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 20000));
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.front(), "Connecting...");
    EXPECT_EQ(filesWhenTheNextBegan, 0);
    EXPECT_EQ(statuses.back(), "Shutting Down...");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !lab.InstallerRuns().empty(); }, 10000));
    EXPECT_EQ(lab.InstallerRuns().size(), 1u);
}
