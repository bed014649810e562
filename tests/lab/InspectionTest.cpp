// What the lab shows of itself: the JSON API, the request log, reset, and its certificates.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CarrierForms.h"
#include "LabClient.h"
#include "base/Paths.h"
#include "carrier-lab/LabModem.h"
#include "res/StringTable.h"

namespace {

const Job kJob = {"5551234561", "", "5559870000", "", "Caf\xE9"};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class InspectionTest : public LabTest {
protected:
    HttpAnswer SendAllTel(Fields fields = AllTelForm(kJob)) {
        return m_client.PostForm(Url(IDS_ALLTEL_HOST, "/customer_site/jsp/messaging.jsp"), fields);
    }
};

TEST_F(InspectionTest, LogKeepsEveryRequestInOrderWithItsRawBody) {
    SendAllTel();
    Fields reordered = AllTelForm(kJob);
    std::swap(reordered[0], reordered[1]);
    SendAllTel(reordered);
    m_client.Get(ApiUrl("/lab/inboxes"));  // inspection is not logged

    std::vector<lab::LogEntry> log = m_lab.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_LT(log[0].seq, log[1].seq);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].host, LoadString(IDS_ALLTEL_HOST));
    EXPECT_EQ(log[0].target, "/customer_site/jsp/messaging.jsp");
    EXPECT_EQ(log[0].body, FormEncode(AllTelForm(kJob)));
    EXPECT_EQ(log[0].status, 200);
    EXPECT_EQ(log[0].site, "alltel");
    // The headers as sent, nothing the server adds.
    std::vector<std::string> names;
    for (const auto& [name, value] : log[0].headers) names.push_back(name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Accept", "Content-Length", "Content-Type", "Host"}));
    EXPECT_EQ(log[1].status, 400);
    EXPECT_FALSE(log[1].protocolError.empty());

    std::string json = m_client.Get(ApiUrl("/lab/log")).body;
    EXPECT_TRUE(Contains(json, "\"protocolError\": null")) << json;
    EXPECT_TRUE(Contains(json,
                         "\"protocolError\": \"fields out of order: position 1 should be "
                         "\\\"trackResponses\\\", not \\\"devicetype\\\"\""))
        << json;
    EXPECT_TRUE(Contains(json, "\"body\": \"" + FormEncode(AllTelForm(kJob)) + "\""));
    EXPECT_TRUE(Contains(json,
                         "[\n        \"Content-Type\",\n        "
                         "\"application/x-www-form-urlencoded\"\n      ]"));
    std::string since = m_client.Get(ApiUrl("/lab/log?since=" + std::to_string(log[0].seq))).body;
    EXPECT_FALSE(Contains(since, "\"status\": 200"));
    EXPECT_TRUE(Contains(since, "\"status\": 400"));

    EXPECT_TRUE(m_lab.WaitForLogSize(2, std::chrono::milliseconds(0)));
    EXPECT_FALSE(m_lab.WaitForLogSize(3, std::chrono::milliseconds(1)));
}

TEST_F(InspectionTest, InboxesAndPhonesAsJson) {
    SendAllTel();
    std::string inbox = m_client.Get(ApiUrl("/lab/inboxes/5551234561")).body;
    EXPECT_TRUE(Contains(inbox, "\"text\": \"Caf\u00e9\"")) << inbox;
    EXPECT_TRUE(Contains(inbox, "\"carrier\": \"AllTel\""));
    EXPECT_TRUE(Contains(m_client.Get(ApiUrl("/lab/inboxes")).body, "\"5551234561\": ["));
    EXPECT_EQ(m_client.Get(ApiUrl("/lab/inboxes/5551234562")).body, "[]\n");

    HttpAnswer assigned = m_client.PostBody(ApiUrl("/lab/phones"), "number=5551234562&carrier=9");
    EXPECT_EQ(assigned.status, 200);
    EXPECT_EQ(m_lab.CarrierOf("5551234562"), 9);
    std::string phones = m_client.Get(ApiUrl("/lab/phones")).body;
    EXPECT_TRUE(Contains(phones, "\"number\": \"5551234562\",\n      \"carrier\": \"Verizon\""))
        << phones;
    EXPECT_EQ(m_client.PostBody(ApiUrl("/lab/phones"), "number=12&carrier=9").status, 400);

    EXPECT_EQ(m_client.Get(ApiUrl("/lab/nothing")).status, 404);
    EXPECT_EQ(m_client.Request("DELETE", ApiUrl("/lab/counter"), "", {}).status, 405);
    // Inspection lives on the plain port's own host only, not on a gateway's.
    EXPECT_EQ(m_client.Get(Url(IDS_ALLTEL_HOST, "/lab/log")).status, 404);
}

TEST_F(InspectionTest, OwnPageShowsMessagesEscapedAndMarksProtocolErrors) {
    Job markup = kJob;
    markup.text = "<script>alert(1)</script> & Caf\xE9";
    SendAllTel(AllTelForm(markup));
    Fields reordered = AllTelForm(kJob);
    std::swap(reordered[0], reordered[1]);
    SendAllTel(reordered);

    HttpAnswer page = m_client.Get(ApiUrl("/"));
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(Contains(page.body, "&lt;script&gt;alert(1)&lt;/script&gt; &amp; Caf\u00e9"));
    EXPECT_FALSE(Contains(page.body, "<script>"));
    EXPECT_TRUE(Contains(page.body, "5551234561"));
    EXPECT_TRUE(Contains(page.body, "class=\"error\">protocol error:"));
    EXPECT_EQ(m_lab.Log().size(), 2u);  // reading the page is not a request it lists
}

// A real browser renders the page: the message shows as text, and a screenshot is taken.
TEST_F(InspectionTest, OwnPageRendersInAHeadlessBrowser) {
    Job markup = kJob;
    markup.text = "Hello <b>lab</b>";
    SendAllTel(AllTelForm(markup));
    const std::filesystem::path dom = m_temp / "dom.html";
    const std::string browser =
        "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync "
        "--user-data-dir=" +
        (m_temp / "profile").string();
    ASSERT_EQ(
        std::system((browser + " --dump-dom " + ApiUrl("/") + " > " + dom.string() + " 2>/dev/null")
                        .c_str()),
        0);
    std::ifstream in(dom);
    const std::string rendered((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(Contains(rendered, "Hello &lt;b&gt;lab&lt;/b&gt;")) << rendered;
    EXPECT_TRUE(Contains(rendered, "<h2>Phones</h2>"));

    const std::filesystem::path shot = m_temp / "page.png";
    ASSERT_EQ(std::system((browser + " --window-size=1000,700 --screenshot=" + shot.string() + " " +
                           ApiUrl("/") + " >/dev/null 2>&1")
                              .c_str()),
              0);
    EXPECT_GT(std::filesystem::file_size(shot), 1000u);
}

TEST_F(InspectionTest, ResetEmptiesInboxesLogCounterAndFaults) {
    SendAllTel();
    m_client.PostBody("http://" + LoadString(IDS_SERVICE_HOST) + "/count.php", "counterID=1&sum=5");
    lab::Fault fault;
    m_lab.InjectFault("att.lab.localhost", fault);
    m_lab.AssignPhone("5551234562", 1);

    EXPECT_EQ(m_client.PostBody(ApiUrl("/lab/reset"), "").status, 200);
    EXPECT_TRUE(m_lab.AllMessages().empty());
    EXPECT_TRUE(m_lab.Log().empty());
    EXPECT_EQ(m_lab.Counter().total, 0);
    EXPECT_TRUE(m_lab.PendingFaults().empty());
    EXPECT_EQ(m_lab.CarrierOf("5551234562"), 1);  // phones stay
}

TEST_F(InspectionTest, CaGoesIntoTheRootStoreAndVerifiesTheLab) {
    std::filesystem::path root = CertificateStoreDirectory("ROOT") / "quillo-lab-ca.pem";
    ASSERT_TRUE(std::filesystem::exists(root));
    EXPECT_EQ(ReadFileBytes(root), ReadFileBytes(m_lab.CaCertificateFile()));
    EXPECT_EQ(root.parent_path().parent_path(), m_temp / "certs");

    const std::string url = Url(IDS_TMOBILE_HOST, "/smsportal/index.html?act=smsc&locale=en", true);
    Job job = {"5551234567", "Ann", "", "", "Hi"};
    m_client.TrustOnly(root);
    HttpAnswer trusted = m_client.PostForm(url, TMobileForm(job));
    EXPECT_EQ(trusted.code, CURLE_OK);
    EXPECT_EQ(trusted.status, 200);

    LabClient systemTrust;  // the system bundle alone does not know the lab
    EXPECT_EQ(systemTrust.PostForm(url, TMobileForm(job)).code, CURLE_PEER_FAILED_VERIFICATION);

    // A restart keeps the CA; a lost server certificate is made again under the same CA.
    std::string ca = ReadFileBytes(m_lab.CaCertificateFile());
    std::string certificate = ReadFileBytes(m_temp / "state" / "server.pem");
    m_lab.Stop();
    m_lab.Start(m_options);
    EXPECT_EQ(ReadFileBytes(m_lab.CaCertificateFile()), ca);
    EXPECT_EQ(ReadFileBytes(m_temp / "state" / "server.pem"), certificate);
    m_lab.Stop();
    std::filesystem::remove(m_temp / "state" / "server.pem");
    m_lab.Start(m_options);
    m_lab.ApplyStringOverrides();
    EXPECT_EQ(ReadFileBytes(m_lab.CaCertificateFile()), ca);
    EXPECT_NE(ReadFileBytes(m_temp / "state" / "server.pem"), certificate);
    EXPECT_EQ(m_client
                  .PostForm(Url(IDS_TMOBILE_HOST, "/smsportal/index.html?act=smsc&locale=en", true),
                            TMobileForm(job))
                  .status,
              200);

    // Asked not to, the lab leaves the store alone.
    m_lab.Stop();
    std::filesystem::remove(root);
    m_options.installRootCa = false;
    m_lab.Start(m_options);
    EXPECT_FALSE(std::filesystem::exists(root));
}

TEST_F(InspectionTest, TwoLabsCannotShareAPort) {
    lab::LabOptions same = m_options;
    same.httpPort = m_lab.Ports().http;
    lab::LabServer second;
    EXPECT_THROW(second.Start(same), lab::LabError);
    EXPECT_FALSE(second.Running());
    same.httpPort = 0;
    same.httpsPort = m_lab.Ports().https;
    EXPECT_THROW(second.Start(same), lab::LabError);
    // The failed starts released what they had bound: it can start elsewhere.
    same.httpsPort = 0;
    EXPECT_NO_THROW(second.Start(same));
    EXPECT_TRUE(second.Running());
}

TEST_F(InspectionTest, TheModemsSimAndItsReportFaultsAreSetThroughTheApi) {
    m_lab.Stop();
    m_options.modemSocket = "quillo-inspection-" + std::to_string(::getpid());
    m_lab.Start(m_options);
    m_lab.ApplyStringOverrides();
    const struct {
        std::string body;
        long status;
        bool locked;
    } cases[] = {{"sim=locked", 200, true}, {"sim=open", 400, true}, {"sim=ready", 200, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(m_client.PostBody(ApiUrl("/lab/modem"), c.body).status, c.status) << c.body;
        EXPECT_EQ(m_lab.Modem()->SimLocked(), c.locked) << c.body;
    }
    for (const char* kind : {"report-failed", "no-report"})
        m_client.PostBody(ApiUrl("/lab/modem/faults"), std::string("kind=") + kind);
    const auto faults = m_lab.Modem()->Faults();
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0].kind, lab::ModemFaultKind::ReportFailed);
    EXPECT_EQ(faults[1].kind, lab::ModemFaultKind::NoReport);
}

}  // namespace
