// The upgrade against the carrier lab in this process (and a plain server for the bodies the
// lab does not serve), reported to a recording dialog: the status texts in order, the installer
// file, the signature check, the start with "/SILENT" and the two shutdown messages.

#include <gtest/gtest.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <thread>

#include "app/CoreThread.h"
#include "carrier-lab/LabSigning.h"
#include "net/Internet.h"
#include "service/Upgrade.h"
#include "support/CoreTestEnvironment.h"
#include "support/InProcessLab.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"
#include "support/TestWindow.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using Statuses = std::vector<std::pair<std::string, std::intptr_t>>;

const Statuses kStart = {{"Connecting...", 0}, {"Downloading Upgrade...", 0}};
const Statuses kFinish = {
    {"DownloadComplete!", 0}, {"Starting Installation...", 0}, {"Shutting Down...", 0}};

Statuses Join(std::initializer_list<Statuses> parts) {
    Statuses all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A P-256 private key, PEM, for a deployment that signs with ECDSA.
std::string NewP256KeyPem() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    std::string pem(data, static_cast<std::size_t>(size));
    BIO_free(bio);
    EVP_PKEY_free(key);
    return pem;
}

class UpgradeTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        m_lab.Start(m_temp.path());
        fs::create_directories(m_temp / "program");
        AppSettings().ExeDirectory = m_temp / "program" / "";
        m_main.RegisterAsMainWindow();
        m_location = LoadString(IDS_DOWNLOAD_URL);
        m_host = m_location.substr(0, m_location.find(':'));
        m_path = m_location.substr(m_location.find('/'));
    }
    void TearDown() override {
        inet::ResetNetworkTimeoutsForTests();
        CoreTest::TearDown();
    }

    // Runs the upgrade from `location` as the core thread would; what the dialog was shown.
    Statuses Upgrade(const std::string& location) {
        SiteInfoValues values = AppSettings().SiteInfo();
        values.DownloadUrl = location;
        AppSettings().SetSiteInfo(values);
        const std::size_t before = m_dialog.Messages().size();
        CUpgrade(m_dialog.Endpoint()).Run();
        return StatusesAfter(before);
    }

    Statuses StatusesAfter(std::size_t before) const {
        Statuses statuses;
        const auto messages = m_dialog.Messages();
        for (std::size_t i = before; i < messages.size(); ++i) {
            Message m = messages[i];
            if (m.id == WM_APP_UPGRADE_STATUS)
                statuses.emplace_back(*m.Get<std::string>(), m.lParam);
        }
        return statuses;
    }

    fs::path Installer() const { return AppSettings().ExeDirectory / kInstallerFileName; }

    std::vector<std::string> ProgramFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_temp / "program"))
            names.push_back(entry.path().filename().string());
        return names;
    }

    static std::size_t Count(const TestWindow& window, std::uint32_t id) {
        const auto ids = window.MessageIds();
        return static_cast<std::size_t>(std::count(ids.begin(), ids.end(), id));
    }

    lab::Fault PathFault(lab::FaultKind kind, const std::string& path, int status = 500) const {
        lab::Fault fault;
        fault.kind = kind;
        fault.path = path;
        fault.status = status;
        return fault;
    }

    TempDir m_temp;
    InProcessLab m_lab;
    TestWindow m_dialog;
    TestWindow m_main;
    std::string m_location;  // the lab's installer: host:port/path
    std::string m_host;
    std::string m_path;
};

TEST_F(UpgradeTest, TheSignedInstallerRunsWithSilentAndBothWindowsClose) {
    auto core = std::make_shared<CCoreThread>();
    ASSERT_TRUE(core->CreateThread());
    RegisterWorker(PostTarget::CoreThread, core);
    SiteInfoValues values;
    values.DownloadUrl = m_location;
    AppSettings().SetSiteInfo(values);
    PostToTarget(PostTarget::CoreThread, WM_APP_UPGRADE, WindowRef(m_dialog.Endpoint()));
    ASSERT_TRUE(m_main.WaitFor(
        [](const std::vector<Message>& m) { return !m.empty() && m.back().id == WM_APP_SHUTDOWN; },
        20s));
    RegisterWorker(PostTarget::CoreThread, nullptr);
    core->PostQuitMessage();
    EXPECT_TRUE(core->Join(10s));

    EXPECT_EQ(StatusesAfter(0), Join({kStart, {{"Downloading Upgrade 0 KB", 0}}, kFinish}));
    EXPECT_EQ(m_dialog.MessageIds().back(), WM_APP_SHUTDOWN);
    EXPECT_EQ(m_main.MessageIds(), std::vector<std::uint32_t>{WM_APP_SHUTDOWN});

    const auto processes = ui->Processes();
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes[0].program, Installer());
    EXPECT_EQ(processes[0].arguments, std::vector<std::string>{"/SILENT"});
    EXPECT_EQ(processes[0].directory, fs::current_path());
    EXPECT_EQ(ProgramFolder(), std::vector<std::string>{kInstallerFileName});
    // What was saved is the lab's installer, ready to run.
    ASSERT_EQ(std::system((Installer().string() + " /SILENT").c_str()), 0);
    ASSERT_EQ(m_lab.InstallerRuns().size(), 1u);
    EXPECT_EQ(m_lab.InstallerRuns()[0].arguments, "/SILENT");
}

TEST_F(UpgradeTest, EveryChunkIsShownAndAP256SignatureServesAsWell) {
    fs::create_directories(m_temp / "keys");
    WriteFileBytes(lab::LabSigning::SigningKeyFile(m_temp / "keys"), NewP256KeyPem());
    const lab::LabSigning signing = lab::LabSigning::LoadOrCreate(m_temp / "keys");
    OverrideStringForTests(IDS_UPGRADE_PUBLIC_KEY, signing.PublicKey());
    const std::string body(2500, 'q');
    TestHttpServer server;
    server.Routes().Get("/dl/setup.bin", [&](const httplib::Request&, httplib::Response& r) {
        r.set_content(body, "application/octet-stream");
    });
    server.Routes().Get("/dl/setup.bin.sig", [&](const httplib::Request&, httplib::Response& r) {
        r.set_content(signing.Sign(body), "text/plain");
    });
    server.Start();

    EXPECT_EQ(Upgrade(server.HostPort() + "/dl/setup.bin"), Join({kStart,
                                                                  {{"Downloading Upgrade 1 KB", 0},
                                                                   {"Downloading Upgrade 2 KB", 0},
                                                                   {"Downloading Upgrade 2 KB", 0}},
                                                                  kFinish}));
    EXPECT_EQ(ReadFileBytes(Installer()), body);
    struct stat info {};
    ASSERT_EQ(::stat(Installer().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    const RecordedRequest request = server.Requests().at(0);
    EXPECT_EQ(request.method + " " + request.target + " " + request.version,
              "GET /dl/setup.bin HTTP/1.0");
    EXPECT_EQ(request.Header("Accept"), "application/*");
    EXPECT_EQ(request.Header("User-Agent"), "Quillo");
}

TEST_F(UpgradeTest, AnInstallerThatIsNotWholeOrNotSignedIsNeverStarted) {
    inet::SetNetworkTimeoutsForTests(2s, 300ms);
    std::atomic<bool> release{false};
    TestHttpServer server;
    server.Routes().Get(
        "/loop", [](const httplib::Request&, httplib::Response& r) { r.set_redirect("/loop"); });
    server.Routes().Get("/stalls", [&](const httplib::Request&, httplib::Response& r) {
        r.set_content_provider(4000, "application/octet-stream",
                               [&](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                   if (offset == 0)
                                       return sink.write(std::string(1500, 'q').data(), 1500);
                                   while (!release) std::this_thread::sleep_for(10ms);
                                   return false;
                               });
    });
    server.Start();

    const std::string sig = m_path + ".sig";
    const struct {
        const char* name;
        std::function<void()> arrange;
        std::string location;
        std::string final;
    } kCases[] = {
        {"404", [&] { m_lab.InjectFault(m_host, PathFault(lab::FaultKind::Status, m_path, 404)); },
         m_location, "Download Failed : 404"},
        {"short of its length",
         [&] { m_lab.InjectFault(m_host, PathFault(lab::FaultKind::Short, m_path)); }, m_location,
         "The Upgrade Failed."},
        {"cut, no length",
         [&] { m_lab.InjectFault(m_host, PathFault(lab::FaultKind::Cut, m_path)); }, m_location,
         "The Upgrade Failed."},
        {"tampered with",
         [&] { m_lab.InjectFault(m_host, PathFault(lab::FaultKind::Tamper, m_path)); }, m_location,
         "The Upgrade Failed."},
        {"empty", [&] { m_lab.InjectFault(m_host, PathFault(lab::FaultKind::EmptyBody, m_path)); },
         m_location, "The Upgrade Failed."},
        {"no signature",
         [&] { m_lab.InjectFault(m_host, PathFault(lab::FaultKind::Status, sig, 404)); },
         m_location, "The Upgrade Failed."},
        {"signature tampered with",
         [&] { m_lab.InjectFault(m_host, PathFault(lab::FaultKind::Tamper, sig)); }, m_location,
         "The Upgrade Failed."},
        {"signed with another key",
         [] {
             OverrideStringForTests(IDS_UPGRADE_PUBLIC_KEY,
                                    "MCowBQYDK2VwAyEA/SRKC3F+lxSkfwKVbopQ0NPgMcttgUCnZxsd62Jr6zg=");
         },
         m_location, "The Upgrade Failed."},
        {"a scheme", [] {}, "http://" + m_location, "The Upgrade Failed."},
        {"no slash", [] {}, m_host, "The Upgrade Failed."},
        {"redirect loop", [] {}, server.HostPort() + "/loop", "The Upgrade Failed."},
        {"stall mid-body", [] {}, server.HostPort() + "/stalls", "The Upgrade Failed."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ResetStringOverridesForTests();
        m_lab.ApplyStringOverrides();
        c.arrange();
        const Statuses statuses = Upgrade(c.location);
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.front(), Statuses::value_type("Connecting...", 0));
        EXPECT_EQ(statuses.back(), Statuses::value_type(c.final, 1));
        EXPECT_EQ(std::count_if(statuses.begin(), statuses.end(),
                                [](const auto& s) { return s.second == 1; }),
                  1);
        EXPECT_EQ(ProgramFolder(), std::vector<std::string>{}) << "nothing left to start";
        m_lab.ClearFaults();
    }
    release = true;
    EXPECT_TRUE(ui->Processes().empty());
    EXPECT_EQ(Count(m_dialog, WM_APP_SHUTDOWN) + Count(m_main, WM_APP_SHUTDOWN), 0u);
}

TEST_F(UpgradeTest, AnInstallerThatCannotBeStartedStaysAndTheProgramRuns) {
    ui->SetStartProcessResult(false);
    const Statuses statuses = Upgrade(m_location);
    EXPECT_EQ(statuses.back(), Statuses::value_type("Unable to Launch the Installer.", 1));
    EXPECT_EQ(ProgramFolder(), std::vector<std::string>{kInstallerFileName});
    EXPECT_EQ(ui->Processes().size(), 1u);
    EXPECT_EQ(Count(m_dialog, WM_APP_SHUTDOWN) + Count(m_main, WM_APP_SHUTDOWN), 0u);
}

}  // namespace
