// The web-service route against the lab's stand-ins in this process: each preset, each class of
// answer, the rate, and where the secret may and may not go.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "base/Paths.h"
#include "carrier-lab/WebServices.h"
#include "delivery/routes/WebFailures.h"
#include "delivery/routes/WebServiceRoute.h"
#include "net/Internet.h"
#include "support/CoreTestEnvironment.h"
#include "support/InProcessLab.h"
#include "support/TempDir.h"
#include "support/TestCa.h"
#include "support/TestHttpServer.h"

namespace {

using namespace web_failure;
using lab::WebFaultKind;
using lab::WebService;

const std::string kNumber = "5550100001";
const std::string kTyped = "Привет \U0001F600 — «quoted» & 100% + more";
// Odd bytes a secret may hold, and a shape no test text has by chance.
const std::string kOddSecret = "s3:cr@t-\u00FCml\u00E4ut\u20AC";

std::string Reason(std::string_view clause) {
    return std::string(kPrefix) + std::string(clause);
}

class WebServiceRouteTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        m_lab.webSecret = kOddSecret;
        m_lab.Start(m_temp.path());
    }
    void TearDown() override {
        m_lab.Stop();
        inet::ResetNetworkTimeoutsForTests();
        CoreTest::TearDown();
    }

    RouteSettings Settings(WebPreset preset, bool tls = false) const {
        static constexpr WebService kService[] = {WebService::Form, WebService::Json,
                                                  WebService::Phone};
        RouteSettings s;
        s.route = RouteWebService;
        s.webPreset = preset;
        s.webBase = (tls ? "https://127.0.0.1:" + std::to_string(m_lab.Ports().https)
                         : "http://127.0.0.1:" + std::to_string(m_lab.Ports().http)) +
                    lab::WebServices::BasePath(kService[preset]);
        s.webAccount = lab::LabOptions().webAccount;
        s.webSender = "(555) 010-0999";
        s.webPerMinute = 600;
        s.webSecret = kOddSecret;
        return s;
    }

    static CSendJob Job(const RouteSettings& settings, std::string number = kNumber) {
        CSendJob job;
        job.number = std::move(number);
        job.typedText = kTyped;
        job.route = settings;
        return job;
    }

    std::vector<lab::LogEntry> WebRequests() const {
        std::vector<lab::LogEntry> entries;
        for (auto& e : m_lab.Log()) {
            if (e.site == "web")
                entries.push_back(e);
        }
        return entries;
    }

    TempDir m_temp;
    InProcessLab m_lab;
};

TEST_F(WebServiceRouteTest, EachPresetDeliversTheTextAsTypedOverHttpAndHttps) {
    for (bool tls : {false, true}) {
        for (WebPreset preset : {PresetFormAccount, PresetJsonToken, PresetPhoneGateway}) {
            SCOPED_TRACE(testing::Message() << "preset " << preset << " tls " << tls);
            m_lab.Reset();
            CWebServiceRoute route;
            const RouteResult result = route.Send(Job(Settings(preset, tls)));
            EXPECT_EQ(result.code, ResultSent) << result.reason;
            EXPECT_FALSE(result.messageId.empty());
            const auto inbox = m_lab.Inbox(kNumber);
            ASSERT_EQ(inbox.size(), 1u);
            EXPECT_EQ(inbox[0].text, kTyped);
            EXPECT_FALSE(inbox[0].route.empty());
            EXPECT_EQ(inbox[0].sender, preset == PresetPhoneGateway ? "" : "+15550100999");
            for (const auto& e : WebRequests()) {
                EXPECT_EQ(e.protocolError, "") << e.body;
            }
            // The stand-ins check the credentials: a wrong secret is refused and delivers nothing.
            RouteSettings wrong = Settings(preset, tls);
            wrong.webSecret = "lab-secret";
            EXPECT_EQ(route.Send(Job(wrong)).reason, kRefusedAccount);
            EXPECT_EQ(m_lab.Inbox(kNumber).size(), 1u);
        }
    }
}

TEST_F(WebServiceRouteTest, EachAnswerIsMappedAndRetriedAsItSays) {
    struct Case {
        const char* name;
        lab::WebFault fault;
        RouteResult expected;  // the message id is only checked for being there
        std::size_t requests;
    };
    auto fault = [](WebFaultKind kind, int count = 1) {
        lab::WebFault f;
        f.kind = kind;
        f.count = count;
        f.number = kNumber;
        f.retryAfter = 0;
        f.delay = std::chrono::milliseconds(1500);
        return f;
    };
    lab::WebFault longText = fault(WebFaultKind::Invalid);
    longText.text = std::string(300, 'a') + "\nsecond line";
    lab::WebFault forService = fault(WebFaultKind::Refuse);
    forService.number.clear();
    forService.service = WebService::Json;
    const std::vector<Case> cases = {
        {"refused",
         fault(WebFaultKind::Refuse),
         {ResultUndeliverable, std::string(kRefusedAccount), {}},
         1},
        {"per service", forService, {ResultUndeliverable, std::string(kRefusedAccount), {}}, 1},
        {"invalid",
         fault(WebFaultKind::Invalid),
         {ResultUndeliverable,
          Reason("the service said: The 'To' number is not a valid phone number"),
          {}},
         1},
        {"invalid, long",
         longText,
         {ResultUndeliverable,
          Reason("the service said: " + std::string(kMaxServiceText, 'a') + "..."),
          {}},
         1},
        {"busy once", fault(WebFaultKind::Busy), {ResultSent, {}, "id"}, 2},
        {"busy twice",
         fault(WebFaultKind::Busy, 2),
         {ResultNoConnection, std::string(kTooMany), {}},
         2},
        {"failed once", fault(WebFaultKind::Error), {ResultSent, {}, "id"}, 2},
        {"failed twice",
         fault(WebFaultKind::Error, 2),
         {ResultNoConnection, Reason("the service failed (status 500)"), {}},
         2},
        {"hung twice",
         fault(WebFaultKind::Hang, 2),
         {ResultNoConnection, std::string(kTimeout), {}},
         2},
        {"not JSON",
         fault(WebFaultKind::NotJson),
         {ResultUndeliverable, std::string(kUnreadable), {}},
         1},
        {"redirect",
         fault(WebFaultKind::Redirect),
         {ResultUndeliverable,
          Reason("the service sent it elsewhere, which is not followed (status 307)"),
          {}},
         1},
        {"10 MB",
         fault(WebFaultKind::Huge),
         {ResultUndeliverable, std::string(kUnreadable), {}},
         1},
    };
    inet::Timeouts quick = inet::kDefaultTimeouts;
    quick.deadline = std::chrono::milliseconds(400);
    inet::SetNetworkTimeoutsForTests(quick);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_lab.Reset();
        m_lab.Web().AddFault(c.fault);
        CWebServiceRoute route;
        RouteResult result = route.Send(Job(Settings(PresetJsonToken)));
        EXPECT_EQ(result.code, c.expected.code);
        EXPECT_EQ(result.reason, c.expected.reason);
        EXPECT_EQ(result.messageId.empty(), c.expected.messageId.empty());
        EXPECT_EQ(m_lab.Inbox(kNumber).size(), c.expected.code == ResultSent ? 1u : 0u);
        // Nothing else is asked, and nothing at all of the host a redirect names. A hung
        // request is logged when the lab gives up on it.
        m_lab.WaitForLogSize(c.requests, std::chrono::seconds(10));
        const auto requests = WebRequests();
        EXPECT_EQ(requests.size(), c.requests);
        for (const auto& e : requests) {
            EXPECT_EQ(e.host.rfind("localhost", 0), std::string::npos);
        }
    }
}

TEST_F(WebServiceRouteTest, ABatchGoesNoFasterThanTheRate) {
    RouteSettings settings = Settings(PresetPhoneGateway);
    settings.webPerMinute = 120;
    CWebServiceRoute route;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(route.Send(Job(settings)).code, ResultSent);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(m_lab.Inbox(kNumber).size(), 3u);
}

TEST_F(WebServiceRouteTest, BadOptionsFailBeforeAnyByteIsSent) {
    struct Case {
        void (*change)(RouteSettings&);
        const char* problem;
    };
    const std::vector<Case> cases = {
        {[](RouteSettings& s) { s.webBase = "127.0.0.1/json-service"; },
         "the service address does not begin with http:// or https://"},
        {[](RouteSettings& s) { s.webBase += " x"; },
         "the service address holds a space or a control character"},
        {[](RouteSettings& s) { s.webBase = "http://203.0.113.9/json-service"; },
         kPlainToPublic.data()},
        {[](RouteSettings& s) { s.webSender = "Ann"; }, "the sender number is not a phone number"},
        {[](RouteSettings& s) { s.webSender = "555 0100"; },
         "the sender number is not a phone number"},
        {[](RouteSettings& s) { s.webSecret.clear(); }, "no secret is set for the service"},
        {[](RouteSettings& s) { s.webSecret += "\r\nX-Extra: 1"; },
         "the secret holds a control character"},
        {[](RouteSettings& s) {
             s.webPreset = PresetFormAccount;
             s.webAccount.clear();
         },
         "the account is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        RouteSettings settings = Settings(PresetJsonToken);
        c.change(settings);
        EXPECT_EQ(CWebServiceRoute().Send(Job(settings)),
                  (RouteResult{ResultUndeliverable, Reason(c.problem), {}}));
    }
    EXPECT_TRUE(m_lab.Log().empty());
}

TEST_F(WebServiceRouteTest, AServerWhoseCertificateNamesAnotherHostIsRefused) {
    const TestCa ca("Other CA");
    WritePemFile(CertificateStoreDirectory("ROOT") / "other-ca.pem", ca.CertificatePem());
    TestHttpServer server(ca.IssueServer({"other.example"}));
    server.Routes().Post(".*", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("{\"data\":{\"id\":\"1\"}}", "application/json");
    });
    server.Start();
    RouteSettings settings = Settings(PresetJsonToken);
    settings.webBase = "https://" + server.HostPort();
    const RouteResult result = CWebServiceRoute().Send(Job(settings));
    EXPECT_EQ(result, (RouteResult{ResultNoConnection, std::string(kCertificate), {}}));
    EXPECT_TRUE(server.Requests().empty());
}

// Everything the route wrote where a person or another program could read it: standard error,
// the reasons it gave, and every file of the program's and the lab's folders.
TEST_F(WebServiceRouteTest, TheSecretGoesOnTheWireAndNowhereElse) {
    inet::Timeouts quick = inet::kDefaultTimeouts;
    quick.deadline = std::chrono::milliseconds(400);
    inet::SetNetworkTimeoutsForTests(quick);
    testing::internal::CaptureStderr();
    std::string reasons;
    for (WebFaultKind kind : {WebFaultKind::Refuse, WebFaultKind::Invalid, WebFaultKind::Hang,
                              WebFaultKind::Redirect, WebFaultKind::NotJson}) {
        lab::WebFault f;
        f.kind = kind;
        f.count = 2;
        f.delay = std::chrono::milliseconds(1000);
        m_lab.Web().AddFault(f);
        for (WebPreset preset : {PresetFormAccount, PresetJsonToken, PresetPhoneGateway}) {
            reasons += CWebServiceRoute().Send(Job(Settings(preset))).reason + "\n";
        }
        m_lab.Web().ClearFaults();
    }
    for (WebPreset preset : {PresetFormAccount, PresetJsonToken, PresetPhoneGateway})
        EXPECT_EQ(CWebServiceRoute().Send(Job(Settings(preset))).code, ResultSent) << preset;
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find(kOddSecret), std::string::npos) << errors;
    EXPECT_EQ(reasons.find(kOddSecret), std::string::npos) << reasons;
    for (const auto& dir : {m_temp.path(), programDir.path()}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
            if (entry.is_regular_file()) {
                EXPECT_EQ(ReadFileBytes(entry.path()).find(kOddSecret), std::string::npos)
                    << entry.path();
            }
        }
    }
}

}  // namespace
