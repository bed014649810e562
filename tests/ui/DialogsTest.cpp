// The options, About, donation and new-version dialogs and the link label, with real widgets.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <thread>

#include "res/StringTable.h"
#include "runtime/PostToTarget.h"
#include "runtime/WindowEndpoint.h"
#include "runtime/WorkerThread.h"
#include "ui/MainWindowFixture.h"
#include "ui/ModalDriver.h"
#include "ui/dialogs/AboutDlg.h"
#include "ui/dialogs/DialogIds.h"
#include "ui/dialogs/DonateDlg.h"
#include "ui/dialogs/LinkLabel.h"
#include "ui/dialogs/NewVersionDlg.h"
#include "ui/dialogs/OptionsDlg.h"
#include "ui/main/MainWindowIds.h"
#include "ui/platform/GuiText.h"

using namespace std::chrono_literals;

namespace {

// Stands in for the core thread: keeps the window each upgrade request names.
class UpgradeRecorder : public CWorkerThread {
public:
    const char* ClassName() const override { return "UpgradeRecorder"; }
    WindowRef Window() {
        std::lock_guard lock(m_mutex);
        return m_window;
    }

protected:
    bool Dispatch(Message& m) override { return DispatchFrom(this, kMap, m); }

private:
    void OnUpgrade(Message& m) {
        std::lock_guard lock(m_mutex);
        m_window = *m.Get<WindowRef>();
    }
    static constexpr std::array<MessageMapEntry<UpgradeRecorder>, 1> kMap = {
        {{WM_APP_UPGRADE, &UpgradeRecorder::OnUpgrade}}};
    std::mutex m_mutex;
    WindowRef m_window;
};

QStringList Texts(const QWidget& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    return texts;
}

class Dialogs : public MainWindowTest {
protected:
    void TearDown() override {
        CloseWindow();
        MainWindowTest::TearDown();
    }

    // Runs `act` in the options dialog that the Options button opens.
    void WithOptions(const std::function<void(COptionsDlg&)>& act) {
        ModalDriver<COptionsDlg> driver(act);
        QTest::mouseClick(Control<QPushButton>(dialog.get(), MainWindowIds::kOptions),
                          Qt::LeftButton);
        EXPECT_EQ(driver.Runs(), 1);
    }
};

}  // namespace

TEST_F(Dialogs, EachOpensModallyOverTheMainWindowFromItsPlaceWithCaptionsThatFit) {
    CMainDlg& w = Open();
    auto handle = [&](std::uint32_t id) {
        Message m{id, {}, 0};
        w.OnAppMessage(m);
    };
    const struct {
        const char* caption;
        std::function<void()> open;
    } cases[] = {
        {"Quillo Options",
         [&] {
             QTest::mouseClick(Control<QPushButton>(&w, MainWindowIds::kOptions), Qt::LeftButton);
         }},
        {"About Quillo",
         [&] {
             QTest::mouseClick(Control<QPushButton>(&w, MainWindowIds::kAbout), Qt::LeftButton);
         }},
        {"About Quillo", [&] { QTest::keyClick(&w, Qt::Key_F1); }},
        {"Make a donation!", [&] { handle(WM_APP_FIFTIETH_MESSAGE); }},
        {"New Version Available", [&] { handle(WM_APP_NEW_VERSION); }},
    };
    for (const auto& c : cases) {
        ModalDriver<> driver([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), c.caption);
            EXPECT_EQ(d.parentWidget(), &w);
            EXPECT_TRUE(d.isModal());
            EXPECT_EQ(d.minimumSize(), d.maximumSize());
            ExpectCaptionsFit(d, 8);
            QTest::keyClick(&d, Qt::Key_F1);  // no help, and no About box on top
            EXPECT_EQ(QApplication::activeModalWidget(), &d);
            QTest::keyClick(&d, Qt::Key_Escape);
            EXPECT_FALSE(d.isVisible());
        });
        c.open();
        EXPECT_EQ(driver.Runs(), 1) << c.caption;
    }
}

TEST_F(Dialogs, TheOptionsShowTheSettingsAndOkStoresEveryFieldAsTyped) {
    CAppSettings& s = AppSettings();
    s.MyName = "Dana";
    s.MyNumber = "5551234567";
    s.MyEmail = "dana@example.org";
    s.AddressBookStartup = CAppSettings::StartupLastSetting;
    s.SendOnEnter = 1;
    COptionsDlg options(nullptr);
    QSignalSpy changed(&options, &COptionsDlg::optionsChanged);  // heard by the main window
    options.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&options));
    EXPECT_TRUE(options.NameField()->hasFocus());
    EXPECT_EQ(options.NameField()->cursorPosition(), 4);
    EXPECT_FALSE(options.NameField()->hasSelectedText());
    EXPECT_EQ(options.NumberField()->text(), "(555) 123-4567");
    EXPECT_EQ(options.EmailField()->text(), "dana@example.org");
    EXPECT_EQ(options.StartupList()->currentText(), "Last Setting");
    EXPECT_TRUE(options.SendOnEnterBox()->isChecked());
    EXPECT_TRUE(Texts(options).contains(
        "This information may be seen by the recipients of your messages and will be used for "
        "replies.  It will not be used for any other purpose."));

    // Letters vanish and the number takes its display form while it is typed.
    options.NumberField()->clear();
    QTest::keyClicks(options.NumberField(), "555x98765");
    EXPECT_EQ(options.NumberField()->text(), "(555) 987-65");
    EXPECT_EQ(options.NumberField()->cursorPosition(), options.NumberField()->text().size());
    QTest::keyClicks(options.NameField(), " Lee");
    options.EmailField()->clear();
    options.StartupList()->setCurrentIndex(CAppSettings::StartupOpen);
    QTest::mouseClick(options.SendOnEnterBox(), Qt::LeftButton);
    PressOk(options);

    EXPECT_FALSE(options.isVisible());
    EXPECT_EQ(s.MyName, "Dana Lee");
    EXPECT_EQ(s.MyNumber, "55598765");  // digits only, of any count
    EXPECT_EQ(s.MyEmail, "");
    EXPECT_EQ(s.AddressBookStartup, CAppSettings::StartupOpen);
    EXPECT_EQ(s.SendOnEnter, 0);
    EXPECT_EQ(changed.size(), 1);
}

TEST_F(Dialogs, AnUnknownStartupChoiceShowsNothingAndCancelChangesNothing) {
    CAppSettings& s = AppSettings();
    s.AddressBookStartup = 7;
    s.MyNumber = "555";
    for (bool ok : {false, true}) {
        COptionsDlg options(nullptr);
        options.show();
        EXPECT_EQ(options.StartupList()->currentIndex(), -1);
        EXPECT_EQ(options.NumberField()->text(), "(555");
        QTest::keyClicks(options.NameField(), "Eve");
        options.NumberField()->clear();
        QTest::mouseClick(Control<QPushButton>(&options, ok ? kOkButton : kCancelButton),
                          Qt::LeftButton);
        EXPECT_FALSE(options.isVisible());
        EXPECT_EQ(s.MyName, ok ? "Eve" : "");
        EXPECT_EQ(s.MyNumber, ok ? "" : "555");
        EXPECT_EQ(s.AddressBookStartup, ok ? -1 : 7);
        s.MyName.clear();
        s.MyNumber = "555";
        s.AddressBookStartup = 7;
    }
}

TEST_F(Dialogs, AfterTheOptionsTheFromListShowsTheDetailsOnlyWhenThereAreSome) {
    enum From { MyInfoEntry, RecentEntry, Keyword };  // what the From field holds before
    const struct {
        const char* nameBefore;
        From from;
        const char* typed;  // null: Cancel
        const char* fromText;
        const char* lastItem;
    } cases[] = {
        {"", MyInfoEntry, nullptr, "", "MyInfo..."},
        {"", MyInfoEntry, "", "", "MyInfo..."},
        {"", MyInfoEntry, "Dana", "MyInfo: Dana", "MyInfo: Dana"},
        {"", Keyword, "Dana", "MyInfo: Dana", "MyInfo: Dana"},
        {"Dana", MyInfoEntry, nullptr, "MyInfo: Dana", "MyInfo: Dana"},
        {"Dana", MyInfoEntry, "Eve", "MyInfo: Eve", "MyInfo: Eve"},
        {"", RecentEntry, "Dana", "Ann", "MyInfo..."},  // another sender: the list stays as it was
    };
    for (const auto& c : cases) {
        AppSettings().MyName = c.nameBefore;
        AppSettings().RecentFrom = {"Ann"};
        CMainDlg& w = Open();
        QComboBox* from = w.FromList();
        auto act = [&](COptionsDlg& options) {
            options.NameField()->clear();
            if (c.typed == nullptr) {
                QTest::keyClick(&options, Qt::Key_Escape);
                return;
            }
            QTest::keyClicks(options.NameField(), c.typed);
            QTest::keyClick(options.NameField(), Qt::Key_Return);
        };
        if (c.from == Keyword) {
            ModalDriver<COptionsDlg> driver(act);
            from->setEditText("myinfo...");
            from->lineEdit()->setFocus();
            w.MessageField()->setFocus();  // leaving the field opens the options
            EXPECT_EQ(driver.Runs(), 1);
        } else {
            from->setCurrentIndex(c.from == MyInfoEntry ? 1 : 0);
            WithOptions(act);
        }
        EXPECT_EQ(from->currentText(), c.fromText) << c.nameBefore << "/" << c.typed;
        EXPECT_EQ(from->itemText(from->count() - 1), c.lastItem) << c.nameBefore;
    }
}

TEST_F(Dialogs, TheEnterOptionTakesEffectAtOnce) {
    AppSettings().SendOnEnter = 1;
    CMainDlg& w = Open();
    w.ToField()->setEditText("5551234567");
    w.FromList()->setEditText("Dana");
    w.MessageField()->setPlainText("Hi");
    for (bool sends : {false, true}) {
        WithOptions([](COptionsDlg& options) {
            QTest::keyClick(options.SendOnEnterBox(), Qt::Key_Space);
            QTest::keyClick(options.SendOnEnterBox(), Qt::Key_Return);
        });
        w.ToField()->lineEdit()->setFocus();
        QTest::keyClick(w.ToField()->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(w.SendButton()->text(), sends ? "Sending..." : "Go !");
    }
}

TEST_F(Dialogs, AboutShowsTheVersionTheCountAndTheSiteValuesOrTheirDefaults) {
    AppSettings().MessageCount = 42;
    for (bool published : {false, true}) {
        SiteInfoValues site;
        if (published) {
            site = {"text", "http://site.test/", "http://pay.test/", "1 Main St", "1.06", "x/y"};
            AppSettings().SetSiteInfo(site);
        }
        CAboutDlg about(nullptr);
        EXPECT_EQ(Control<QLabel>(&about, AboutIds::kVersion)->text(), "Quillo v1.06");
        EXPECT_EQ(Control<QLineEdit>(&about, AboutIds::kMessageCount)->text(), "42");
        EXPECT_TRUE(Control<QLineEdit>(&about, AboutIds::kMessageCount)->isReadOnly());
        EXPECT_EQ(about.SiteLink()->Link(), published ? site.SiteUrl : LoadString(IDS_SITE_URL));
        EXPECT_EQ(FromQt(Control<QLabel>(&about, AboutIds::kDonationAddress)->text()),
                  published ? site.DonateAddress : LoadString(IDS_DONATE_ADDRESS));
        QTest::mouseClick(Control<QPushButton>(&about, AboutIds::kDonate), Qt::LeftButton);
        EXPECT_EQ(ui->Links().back(), published ? site.PaypalUrl : LoadString(IDS_PAYPAL_URL));
    }
}

TEST_F(Dialogs, TheDonationPromptShowsItsTextsAndOpensTheDonationPage) {
    CDonateDlg donate(nullptr);
    EXPECT_EQ(Control<QLabel>(&donate, DonateIds::kSiteText)->text(),
              ToQt(LoadString(IDS_SITE_URL_TEXT)));
    for (const char* text :
         {"You have just sent your 50th Quillo message!", "Your donations make it possible",
          "Great freeware like Quillo doesn't grow on trees!  It is the product of a lot of time "
          "and effort.  All I ask in return is a couple bucks to help me pay off my student "
          "loans..."}) {
        EXPECT_TRUE(Texts(donate).contains(text)) << text;
    }
    auto* button = Control<QPushButton>(&donate, DonateIds::kDonate);
    EXPECT_EQ(Plain(button->text()), "Click here to donate through Paypal");
    ui->SetOpenLinkResult(false);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(ui->Links(), (std::vector<std::string>{LoadString(IDS_PAYPAL_URL)}));
    EXPECT_EQ(ui->Beeps(), 1);
}

TEST_F(Dialogs, TheUpgradeOfferFollowsTheCoreThreadUntilItClosesOrFails) {
    auto core = std::make_shared<UpgradeRecorder>();
    ASSERT_TRUE(core->CreateThread());
    RegisterWorker(PostTarget::CoreThread, core);
    CNewVersionDlg offer(nullptr);
    offer.show();
    EXPECT_TRUE(offer.YesButton()->isDefault());
    EXPECT_EQ(offer.StatusField()->text(), "");
    QTest::mouseClick(offer.YesButton(), Qt::LeftButton);
    EXPECT_FALSE(offer.YesButton()->isEnabled());
    EXPECT_FALSE(offer.NoButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !core->Window().expired(); }, 5000));

    // The core thread sends each status and waits until the dialog has shown it.
    auto sendFromCore = [&](std::uint32_t id, std::string text, std::intptr_t final) {
        std::atomic<std::intptr_t> result{-1};
        std::thread sender([&] {
            result = core->Window().lock()->Send(Message{id, std::move(text), final});
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result != -1; }, 5000));
        sender.join();
        EXPECT_EQ(result, 1);
    };
    sendFromCore(WM_APP_UPGRADE_STATUS, "Downloading Upgrade 2 KB", 0);
    EXPECT_EQ(offer.StatusField()->text(), "Downloading Upgrade 2 KB");
    EXPECT_FALSE(offer.NoButton()->isEnabled());
    QTest::keyClick(&offer, Qt::Key_Escape);  // no way out while it runs
    EXPECT_TRUE(offer.isVisible());

    sendFromCore(WM_APP_UPGRADE_STATUS, "Download Failed : 404", 1);
    EXPECT_EQ(offer.StatusField()->text(), "Download Failed : 404");
    EXPECT_TRUE(offer.NoButton()->isEnabled());
    EXPECT_TRUE(offer.NoButton()->hasFocus());
    EXPECT_FALSE(offer.YesButton()->isEnabled());

    sendFromCore(WM_APP_SHUTDOWN, {}, 0);
    EXPECT_FALSE(offer.isVisible());
    RegisterWorker(PostTarget::CoreThread, nullptr);
    core->PostQuitMessage();
    core->Join(5s);
}

TEST_F(Dialogs, TheLinkOpensItsTargetOrItsTextAndTurnsVisitedOnlyWhenOpened) {
    const struct {
        std::string target;
        bool desktopOpens;
        std::string opened;
    } cases[] = {
        {"http://quillo.test/a/rather/long/path/to/the/page.html", true,
         "http://quillo.test/a/rather/long/path/to/the/page.html"},
        {"", true, "Quillo's site"},
        {"http://quillo.test/", false, "http://quillo.test/"},
    };
    for (const auto& c : cases) {
        ui = RecordingUi::Install();
        ui->SetOpenLinkResult(c.desktopOpens);
        CLinkLabel link(QStringLiteral("Quillo's site"));
        link.SetLink(c.target);
        link.resize(link.sizeHint());
        link.show();
        EXPECT_TRUE(link.font().underline());
        EXPECT_EQ(link.cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(link.toolTip(), ToQt(c.target));
        const QFontMetrics tip(QToolTip::font());
        for (const QString& line : link.TipText().split('\n')) {
            EXPECT_LE(tip.horizontalAdvance(line), CLinkLabel::kTipWidth) << line.toStdString();
        }
        EXPECT_EQ(link.TipText().remove('\n'), ToQt(c.target));

        QTest::mouseClick(&link, Qt::LeftButton);
        EXPECT_EQ(ui->Links(), (std::vector<std::string>{c.opened}));
        EXPECT_EQ(link.Visited(), c.desktopOpens);
        EXPECT_EQ(ui->Beeps(), c.desktopOpens ? 0 : 1);
        EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_FALSE(QApplication::overrideCursor());  // the wait cursor has gone again

        // From the keyboard too: Tab reaches the link, Space opens it.
        EXPECT_EQ(link.focusPolicy(), Qt::TabFocus);
        QTest::keyClick(&link, Qt::Key_Space);
        EXPECT_EQ(ui->Links().size(), 2u);
    }
}
