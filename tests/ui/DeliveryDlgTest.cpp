// The Delivery dialog with real widgets, a real keyring (gnome-keyring on a private session
// bus, unlocked with a test password) and the real ModemManager with the lab's modem on a
// private system bus. The route it saves is the one the main window sends on.

#include <gtest/gtest.h>

// GLib's headers before Qt's, whose "signals" keyword would break them.
#include "delivery/ModemFixture.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTreeWidget>

#include "app/DeliveryChoices.h"
#include "ui/MainWindowFixture.h"
#include "ui/ModalDriver.h"
#include "ui/dialogs/DeliveryDlg.h"
#include "ui/dialogs/DialogIds.h"
#include "ui/dialogs/OptionsDlg.h"
#include "ui/main/MainWindowIds.h"
#include "ui/platform/SecretKeyring.h"

using namespace std::chrono_literals;
namespace ids = DeliveryIds;

namespace {

constexpr auto kDeadline = 30s;

std::filesystem::path RouteFile() {
    return RouteSettingsPath(DataDirectory(AppSettings().ExeDirectory));
}

void Choose(CDeliveryDlg& d, ControlName route) {
    QTest::mouseClick(Control<QRadioButton>(&d, route), Qt::LeftButton);
}

// A session bus of our own that activates nothing, and on demand gnome-keyring's Secret Service
// on it with a login keyring unlocked by a test password.
class KeyringBus {
public:
    KeyringBus() {
        WriteFileBytes(
            m_dir / "bus.conf",
            "<busconfig><type>session</type><listen>unix:tmpdir=" + m_dir.path().string() +
                "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                "<allow own=\"*\"/></policy></busconfig>");
        m_bus = std::make_unique<ChildProcess>(
            "/usr/bin/dbus-daemon",
            std::vector<std::string>{"--config-file=" + (m_dir / "bus.conf").string(), "--nofork",
                                     "--print-address=1"},
            std::vector<std::string>{"PATH=/usr/bin:/bin"});
        m_address = m_bus->WaitForLine(std::regex("^unix:"), 20s);
        WriteFileBytes(m_dir / "password", "quillo-test");
        std::filesystem::create_directories(m_dir / "run");
        std::filesystem::permissions(m_dir / "run", std::filesystem::perms::owner_all);
    }

    const std::string& Address() const { return m_address; }

    bool StartKeyring() {
        const std::string dir = m_dir.path().string();
        m_keyring = std::make_unique<ChildProcess>(
            "/bin/sh",
            std::vector<std::string>{"-c",
                                     "exec gnome-keyring-daemon --foreground --unlock "
                                     "--components=secrets < " +
                                         dir + "/password"},
            std::vector<std::string>{
                "PATH=/usr/bin:/bin", "HOME=" + dir, "XDG_DATA_HOME=" + dir + "/data",
                "XDG_RUNTIME_DIR=" + dir + "/run", "DBUS_SESSION_BUS_ADDRESS=" + m_address});
        return WaitForService(true);
    }
    bool StopKeyring() {
        m_keyring.reset();
        return WaitForService(false);
    }

private:
    bool WaitForService(bool present) const {
        GError* raw = nullptr;
        GObjectPtr<GDBusConnection> bus(g_dbus_connection_new_for_address_sync(
            m_address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &raw));
        GErrorPtr error(raw);
        for (auto until = std::chrono::steady_clock::now() + kDeadline;
             bus && std::chrono::steady_clock::now() < until; g_usleep(50000)) {
            GVariantPtr reply(g_dbus_connection_call_sync(
                bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "NameHasOwner", g_variant_new("(s)", "org.freedesktop.secrets"),
                G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr));
            gboolean owned = FALSE;
            if (reply)
                g_variant_get(reply.get(), "(b)", &owned);
            if (reply && static_cast<bool>(owned) == present)
                return true;
        }
        return false;
    }

    TempDir m_dir;
    std::unique_ptr<ChildProcess> m_bus;
    std::string m_address;
    std::unique_ptr<ChildProcess> m_keyring;
};

class DeliveryDlgTest : public MainWindowTest {
protected:
    static void SetUpTestSuite() {
        s_bus = std::make_unique<KeyringBus>();
        ::setenv("DBUS_SESSION_BUS_ADDRESS", s_bus->Address().c_str(), 1);
        // No ModemManager: the system bus is one without it.
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", s_bus->Address().c_str(), 1);
        s_keyringUp = s_bus->StartKeyring();
    }
    // The bus stays until the process ends: the keyring's connection to it is the process's
    // session bus, whose loss would end the process.
    static void TearDownTestSuite() { ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_FALSE(s_bus->Address().empty()) << "no private bus";
    }

    // What a keyring of the test's own reads under `key`: the secret and whether the keyring
    // answered.
    static std::pair<QString, bool> ReadSecret(const QString& key) {
        CSecretKeyring keyring(nullptr);
        QSignalSpy read(&keyring, &CSecretKeyring::readDone);
        keyring.Read(key);
        if (!read.wait(std::chrono::milliseconds(kDeadline).count()))
            return {QStringLiteral("<no answer>"), false};
        return {read[0][1].toString(), read[0][2].toBool()};
    }
    static bool StoreSecret(const QString& key, const QString& secret) {
        CSecretKeyring keyring(nullptr);
        QSignalSpy stored(&keyring, &CSecretKeyring::storeDone);
        keyring.Store(key, secret);
        return stored.wait(std::chrono::milliseconds(kDeadline).count()) && stored[0][1].toBool();
    }

    static void Type(CDeliveryDlg& d, ControlName field, const QString& text) {
        auto* edit = Control<QLineEdit>(&d, field);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    static void PickPreset(CDeliveryDlg& d, int preset) {
        auto* list = Control<QComboBox>(&d, ids::kPreset);
        list->setCurrentIndex(preset);
        emit list->activated(preset);
    }
    // A web route the check accepts, typed in.
    static void FillWebRoute(CDeliveryDlg& d, const QString& account, const QString& secret) {
        Choose(d, ids::kWebService);
        PickPreset(d, PresetJsonToken);
        Type(d, ids::kAccount, account);
        Type(d, ids::kSender, QStringLiteral("+15550001111"));
        Type(d, ids::kSecret, secret);
    }

    static inline std::unique_ptr<KeyringBus> s_bus;
    static inline bool s_keyringUp = false;
};

TEST_F(DeliveryDlgTest, TheRouteChosenIsSavedAndTakenByTheMainWindowAtOnce) {
    CMainDlg& w = Open();
    const struct {
        ControlName route;
        DeliveryRoute saved;
    } cases[] = {{ids::kModem, RouteModem},
                 {ids::kWebService, RouteWebService},
                 {ids::kCarrierForms, RouteCarrierForms}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.route.name);
        ModalDriver<COptionsDlg> options([&](COptionsDlg& o) {
            ModalDriver<CDeliveryDlg> delivery([&](CDeliveryDlg& d) {
                EXPECT_EQ(d.parentWidget(), &o);
                ExpectCaptionsFit(d, 8);
                FillWebRoute(d, QStringLiteral("ann"), QStringLiteral("s3cret"));
                Choose(d, c.route);
                PressOk(d);
                EXPECT_FALSE(d.isVisible());
            });
            QTest::mouseClick(Control<QPushButton>(&o, OptionsIds::kDelivery), Qt::LeftButton);
            EXPECT_EQ(delivery.Runs(), 1);
        });
        QTest::mouseClick(Control<QPushButton>(&w, MainWindowIds::kOptions), Qt::LeftButton);
        ASSERT_EQ(options.Runs(), 1);
        const RouteSettings saved = LoadRouteSettings(RouteFile());
        EXPECT_EQ(saved.route, c.saved);
        EXPECT_EQ(saved.webAccount, "ann");
        EXPECT_EQ(saved.webSecret, "");  // never in the file
        RouteSettings taken = saved;
        taken.webSecret = "s3cret";
        EXPECT_EQ(w.Route(), taken);
    }
}

TEST_F(DeliveryDlgTest, OkShowsWhatIsWrongAndSavesNothing) {
    const struct {
        ControlName field;
        QString text;
    } cases[] = {{ids::kBase, QStringLiteral("ftp://sms.example.com")},
                 {ids::kBase, QStringLiteral("https://sms example.com")},
                 {ids::kSender, QStringLiteral("my phone")},
                 {ids::kSecret, QString()},
                 {ids::kCountryCode, QString()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        CDeliveryDlg d(nullptr);
        d.show();
        FillWebRoute(d, QStringLiteral("ann"), QStringLiteral("s3cret"));
        Type(d, ids::kBase, QStringLiteral("https://sms.example.com/v1"));
        Type(d, c.field, c.text);
        QSignalSpy changed(&d, &CDeliveryDlg::routeChanged);
        const std::size_t shown = ui->MessageTexts().size();
        PressOk(d);
        ASSERT_EQ(ui->MessageTexts().size(), shown + 1);
        EXPECT_NE(ui->MessageTexts().back(), "");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(changed.count(), 0);
        EXPECT_FALSE(std::filesystem::exists(RouteFile()));
    }
    // The phone gateway sends from the phone: no sender needed, and plain HTTP is allowed. A
    // file that cannot be written is said so, and the dialog stays.
    CDeliveryDlg d(nullptr);
    d.show();
    FillWebRoute(d, QStringLiteral("ann"), QStringLiteral("s3cret"));
    std::filesystem::create_directory(RouteFile());
    const std::size_t shown = ui->MessageTexts().size();
    PressOk(d);
    ASSERT_EQ(ui->MessageTexts().size(), shown + 1);
    EXPECT_TRUE(d.isVisible());
    std::filesystem::remove(RouteFile());
    Type(d, ids::kSender, QString());
    PickPreset(d, PresetPhoneGateway);
    PressOk(d);
    EXPECT_EQ(LoadRouteSettings(RouteFile()).webPreset, PresetPhoneGateway);
}

TEST_F(DeliveryDlgTest, APresetFillsOnlyAnUntouchedAddressAndPlainHttpIsWarnedOf) {
    CDeliveryDlg d(nullptr);
    d.show();
    Choose(d, ids::kWebService);
    auto* base = Control<QLineEdit>(&d, ids::kBase);
    auto* warning = Control<QLabel>(&d, ids::kPlainHttp);
    auto* sender = Control<QLineEdit>(&d, ids::kSender);
    const struct {
        WebPreset preset;
        QString typed;  // null: leave the address as it is
        QString shown;
        bool plain, withSender;
    } steps[] = {
        {PresetPhoneGateway,
         {},
         QString::fromLatin1(PresetExample(PresetPhoneGateway)),
         true,
         false},
        {PresetFormAccount, {}, QString::fromLatin1(PresetExample(PresetFormAccount)), false, true},
        {PresetJsonToken, QStringLiteral("http://10.0.0.7/sms"),
         QStringLiteral("http://10.0.0.7/sms"), true, true},
        {PresetPhoneGateway, {}, QStringLiteral("http://10.0.0.7/sms"), true, false},
    };
    for (const auto& s : steps) {
        if (!s.typed.isNull())
            Type(d, ids::kBase, s.typed);
        PickPreset(d, s.preset);
        EXPECT_EQ(base->text(), s.shown);
        EXPECT_EQ(warning->isVisible(), s.plain) << s.shown.toStdString();
        EXPECT_EQ(sender->isEnabled(), s.withSender) << s.preset;
    }
    Choose(d, ids::kCarrierForms);
    EXPECT_FALSE(Control<QGroupBox>(&d, ids::kWebGroup)->isEnabled());
}

TEST_F(DeliveryDlgTest, TheSecretGoesToTheKeyringIsReadAtStartAndGoesWithItsAccount) {
    ASSERT_TRUE(s_keyringUp) << "gnome-keyring did not start";
    RouteSettings route;
    route.route = RouteWebService;
    route.webPreset = PresetJsonToken;
    route.webAccount = "ann";
    const QString key = QString::fromStdString(SecretKey(route));
    {
        CDeliveryDlg d(nullptr);
        d.show();
        FillWebRoute(d, QStringLiteral("ann"), QStringLiteral("s3cret"));
        Type(d, ids::kBase, QStringLiteral("https://sms.example.com/v1"));
        PressOk(d);
    }
    EXPECT_EQ(ReadSecret(key), std::make_pair(QStringLiteral("s3cret"), true));

    // The main window reads it without waiting for it.
    CMainDlg& w = Open();
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(w.Route().webSecret), QStringLiteral("s3cret"),
                              std::chrono::milliseconds(kDeadline).count());
    CloseWindow();

    // The dialog shows it; another account takes the secret's place, the old one goes.
    {
        CDeliveryDlg d(nullptr);
        d.show();
        auto* secret = Control<QLineEdit>(&d, ids::kSecret);
        QTRY_COMPARE_WITH_TIMEOUT(secret->text(), QStringLiteral("s3cret"),
                                  std::chrono::milliseconds(kDeadline).count());
        EXPECT_EQ(Control<QLabel>(&d, ids::kKeyringNote)->text(), QString());
        Type(d, ids::kAccount, QStringLiteral("bob"));
        PressOk(d);
    }
    route.webAccount = "bob";
    const QString bobKey = QString::fromStdString(SecretKey(route));
    EXPECT_EQ(ReadSecret(bobKey), std::make_pair(QStringLiteral("s3cret"), true));
    EXPECT_EQ(ReadSecret(key), std::make_pair(QString(), true));

    // Forget secret removes it.
    CDeliveryDlg d(nullptr);
    d.show();
    auto* keyring = d.findChild<CSecretKeyring*>();
    QSignalSpy removed(keyring, &CSecretKeyring::removeDone);
    QTest::mouseClick(Control<QPushButton>(&d, ids::kForgetSecret), Qt::LeftButton);
    ASSERT_TRUE(removed.wait(std::chrono::milliseconds(kDeadline).count()));
    EXPECT_EQ(Control<QLineEdit>(&d, ids::kSecret)->text(), QString());
    EXPECT_EQ(ReadSecret(bobKey), std::make_pair(QString(), true));
}

TEST_F(DeliveryDlgTest, WithoutAKeyringTheDialogSaysSoAndTheSecretServesThisRun) {
    ASSERT_TRUE(s_bus->StopKeyring());
    RouteSettings route;
    route.route = RouteWebService;
    route.webAccount = "carol";
    SaveRouteSettings(RouteFile(), route);
    const QString key = QString::fromStdString(SecretKey(route));
    {
        CDeliveryDlg d(nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(&d, ids::kKeyringNote)->text(),
                                  CSecretKeyring::NoKeyringNote(),
                                  std::chrono::milliseconds(kDeadline).count());
    }
    EXPECT_FALSE(StoreSecret(key, QStringLiteral("for now")));
    EXPECT_EQ(ReadSecret(key), std::make_pair(QStringLiteral("for now"), false));
}

TEST_F(DeliveryDlgTest, WithoutModemManagerTheModemListSaysSo) {
    CDeliveryDlg d(nullptr);
    QSignalSpy listed(&d, &CDeliveryDlg::modemsListed);
    Choose(d, ids::kModem);
    ASSERT_TRUE(listed.wait(std::chrono::milliseconds(kDeadline).count()));
    EXPECT_EQ(Control<QLabel>(&d, ids::kModemNote)->text(),
              QStringLiteral("ModemManager is not running"));
    EXPECT_EQ(Control<QTreeWidget>(&d, ids::kModemList)->topLevelItemCount(), 0);
}

// ModemManager on its own bus with the lab's modem, which it finds disabled.
class DeliveryModemTest : public MainWindowTest {
protected:
    static void SetUpTestSuite() { s_daemon = std::make_unique<ModemDaemon>(); }
    static void TearDownTestSuite() { s_daemon.reset(); }

    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_FALSE(s_daemon->Address().empty()) << "no private bus";
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", s_daemon->Address().c_str(), 1);
        m_lab.Start(m_labDir.path(), m_socket);
        m_path = s_daemon->Plug(m_socket);
        ASSERT_FALSE(m_path.empty()) << "no modem; see " << s_daemon->LogFile();
    }
    void TearDown() override {
        m_lab.Stop();
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        MainWindowTest::TearDown();
    }

    static QStringList Row(const QTreeWidget* list, int row) {
        QStringList texts;
        for (int c = 0; c < list->columnCount(); ++c) texts << list->topLevelItem(row)->text(c);
        return texts;
    }

    static inline std::unique_ptr<ModemDaemon> s_daemon;
    std::string m_socket = "abstract:quillo-dialog" + std::to_string(::getpid()) + ":" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    TempDir m_labDir;
    InProcessLab m_lab;
    std::string m_path;
};

TEST_F(DeliveryModemTest, TheLabModemIsListedAndEnabledFromTheDialog) {
    CDeliveryDlg d(nullptr);
    d.show();
    QSignalSpy listed(&d, &CDeliveryDlg::modemsListed);
    Choose(d, ids::kModem);
    auto* note = Control<QLabel>(&d, ids::kModemNote);
    auto* enable = Control<QPushButton>(&d, ids::kEnableModem);
    EXPECT_EQ(note->text(), QStringLiteral("Looking for modems..."));
    ASSERT_TRUE(listed.wait(std::chrono::milliseconds(kDeadline).count()));
    auto* list = Control<QTreeWidget>(&d, ids::kModemList);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->currentIndex().row(), 0);
    QStringList row = Row(list, 0);
    EXPECT_EQ(row.mid(0, 2), (QStringList{"Quillo Lab LabModem", "+15550000000"}));
    EXPECT_EQ(row[4], QString::fromStdString(ModemStateText(ModemState::Disabled)));
    ASSERT_TRUE(enable->isEnabled());

    QTest::mouseClick(enable, Qt::LeftButton);
    EXPECT_FALSE(enable->isEnabled());
    ASSERT_TRUE(listed.wait(std::chrono::milliseconds(kDeadline).count()));
    row = Row(list, 0);
    EXPECT_NE(row[4], QString::fromStdString(ModemStateText(ModemState::Disabled)));
    EXPECT_FALSE(enable->isEnabled()) << row.join(", ").toStdString();
    PressOk(d);
    const RouteSettings saved = LoadRouteSettings(RouteFile());
    EXPECT_EQ(saved.route, RouteModem);
    EXPECT_FALSE(saved.modem.empty());
}

}  // namespace
