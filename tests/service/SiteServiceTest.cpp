// The start-up visit to the maker's site against the carrier lab in this process, and against
// pages no good site would serve.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/CoreThread.h"
#include "net/Internet.h"
#include "service/SiteCheck.h"
#include "service/SiteInfo.h"
#include "support/CoreTestEnvironment.h"
#include "support/InProcessLab.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"
#include "support/TestWindow.h"

using namespace std::chrono_literals;

namespace {

class SiteServiceTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        m_lab.Start(m_temp.path());
        m_window.RegisterAsMainWindow();
    }
    void TearDown() override {
        inet::ResetNetworkTimeoutsForTests();
        CoreTest::TearDown();
    }

    // The start-up visit; the messages it posted to the main window.
    std::vector<std::uint32_t> CheckSite() {
        const std::size_t before = m_window.Messages().size();
        CheckSiteAtStart();
        // A sent message is handled after everything posted before it.
        m_window.Endpoint()->Send(Message{WM_APP_SITE_INFO, {}, 0});
        std::vector<std::uint32_t> ids = m_window.MessageIds();
        ids.erase(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(before));
        ids.pop_back();
        return ids;
    }

    static SiteInfoValues Defaults() { return ReadSiteInfoValues(CSiteInfo(std::string())); }

    TempDir m_temp;
    InProcessLab m_lab;
    TestWindow m_window;
};

TEST_F(SiteServiceTest, AnyOtherVersionIsAnnouncedAndTheValuesArePublished) {
    AppSettings().CounterReported = 1;
    const std::pair<const char*, bool> kVersions[] = {
        {"1.07", true}, {"1.05", true}, {"1.06", false}};
    for (const auto& [version, announced] : kVersions) {
        SCOPED_TRACE(version);
        m_lab.SetLatestVersion(version);
        EXPECT_EQ(CheckSite(), announced ? std::vector<std::uint32_t>{WM_APP_NEW_VERSION}
                                         : std::vector<std::uint32_t>{});
        SiteInfoValues expected = Defaults();
        expected.LatestVersion = version;
        EXPECT_EQ(AppSettings().SiteInfo(), expected);
    }
    // Each visit read the home page, and nothing else: the count was acknowledged before.
    for (const auto& entry : m_lab.Log()) EXPECT_EQ(entry.method + " " + entry.target, "GET /");
}

TEST_F(SiteServiceTest, TheCountIsReportedAtStartUntilTheServiceSaysSuccess) {
    AppSettings().MessageCount = 37;
    EXPECT_EQ(CheckSite(), std::vector<std::uint32_t>{});
    EXPECT_EQ(AppSettings().CounterReported.load(), 1);
    CheckSite();
    EXPECT_EQ(m_lab.Counter().reports, 1);
    EXPECT_EQ(m_lab.Counter().total, 37);
    EXPECT_EQ(m_lab.Log().at(1).body, "counterID=1&sum=37");

    // Only "SUCCESS", line breaks aside, counts as acknowledged.
    std::string answer;
    int status = 200;
    TestHttpServer counter;
    counter.Routes().Post("/count.php", [&](const httplib::Request&, httplib::Response& r) {
        r.status = status;
        r.set_content(answer, "text/html");
    });
    counter.Start();
    OverrideStringForTests(IDS_SERVICE_HOST, counter.HostPort());
    const struct {
        const char* answer;
        int status;
        bool acknowledged;
    } kAnswers[] = {{"SUCCESS\r\n", 200, true},
                    {"success", 200, false},
                    {"SUCCESS.", 200, false},
                    {"", 200, false},
                    {"SUCCESS", 500, false}};
    for (const auto& c : kAnswers) {
        SCOPED_TRACE(c.answer);
        answer = c.answer;
        status = c.status;
        AppSettings().CounterReported = 0;
        CheckSite();
        EXPECT_EQ(AppSettings().CounterReported.load(), c.acknowledged ? 1 : 0);
    }
    EXPECT_EQ(counter.Requests().size(), std::size(kAnswers));
    EXPECT_EQ(counter.Requests().back().body, "counterID=1&sum=37");
}

TEST_F(SiteServiceTest, BrokenPagesGiveTheDefaultsAndEndInTime) {
    inet::SetNetworkTimeoutsForTests(2s, 300ms);
    std::atomic<bool> release{false};
    TestHttpServer site;
    const std::string filler(inet::kMaxHeldAnswer + 1024, 'x');
    site.Routes().Get("/huge", [&](const httplib::Request&, httplib::Response& r) {
        r.set_content(filler + "<!-- Quillo_Latest_Version 9.99 -->", "text/html");
    });
    site.Routes().Get("/endless", [&](const httplib::Request&, httplib::Response& r) {
        r.set_content_provider("text/html", [&](std::size_t, httplib::DataSink& sink) {
            return sink.write(filler.data(), 64 * 1024);
        });
    });
    site.Routes().Get("/stalls", [&](const httplib::Request&, httplib::Response& r) {
        r.set_content_provider("text/html", [&](std::size_t offset, httplib::DataSink& sink) {
            if (offset == 0)
                return sink.write("<!-- Quillo_Lat", 15);
            while (!release) std::this_thread::sleep_for(10ms);
            return false;
        });
    });
    site.Routes().Get("/broken", [](const httplib::Request&, httplib::Response& r) {
        static constexpr char kPage[] = "<!-- Paypal_URL \0\0 -->\0<!-- Quillo_Download_URL x/y";
        r.set_content(std::string(kPage, sizeof kPage - 1), "text/html");
    });
    site.Start();

    const struct {
        const char* page;
        const char* paypal;
        const char* download;
    } kPages[] = {
        {"/huge", nullptr, nullptr},     // the value lies beyond what is read
        {"/endless", nullptr, nullptr},  // read up to the same limit, then given up
        {"/stalls", nullptr, nullptr},   // given up when no byte comes
        {"/missing", nullptr, nullptr},  // a 404 page without values
        {"/broken", "\0\0", ""},         // NUL bytes kept; no "-->": an empty value
    };
    AppSettings().CounterReported = 1;
    for (const auto& c : kPages) {
        SCOPED_TRACE(c.page);
        OverrideStringForTests(IDS_SITE_URL, "http://" + site.HostPort() + c.page);
        SiteInfoValues expected = Defaults();
        if (c.paypal != nullptr)
            expected.PaypalUrl = std::string(c.paypal, 2);
        if (c.download != nullptr)
            expected.DownloadUrl = c.download;
        EXPECT_EQ(CheckSite(), std::vector<std::uint32_t>{});
        EXPECT_EQ(AppSettings().SiteInfo(), expected);
    }
    release = true;
}

TEST_F(SiteServiceTest, TheCoreThreadVisitsTheSiteWhenAskedAndCarriesOn) {
    m_lab.InjectFault(
        LoadString(IDS_SERVICE_HOST).substr(0, LoadString(IDS_SERVICE_HOST).find(':')),
        lab::Fault{lab::FaultKind::Drop});
    m_lab.SetLatestVersion("1.07");
    auto core = std::make_shared<CCoreThread>();
    ASSERT_TRUE(core->CreateThread());
    RegisterWorker(PostTarget::CoreThread, core);
    // The first visit's page request is dropped: defaults, nothing announced. The second reads.
    PostToTarget(PostTarget::CoreThread, WM_APP_SITE_INFO);
    PostToTarget(PostTarget::CoreThread, WM_APP_SITE_INFO);
    EXPECT_TRUE(m_window.WaitFor([](const std::vector<Message>& m) {
        return !m.empty() && m.back().id == WM_APP_NEW_VERSION;
    }));
    EXPECT_EQ(m_window.MessageIds(), std::vector<std::uint32_t>{WM_APP_NEW_VERSION});
    EXPECT_EQ(m_lab.Counter().reports, 1);
    RegisterWorker(PostTarget::CoreThread, nullptr);
    core->PostQuitMessage();
    EXPECT_TRUE(core->Join(10s));
}

}  // namespace
