// Fault injection per host for the next N requests, through the C++ calls and the JSON API.

#include <gtest/gtest.h>

#include "CarrierForms.h"
#include "LabClient.h"
#include "res/StringTable.h"

namespace {

const Job kAllTelJob = {"5551234561", "", "5559870000", "", "Hi"};
const Job kTMobileJob = {"5551234567", "Ann", "", "", "Hi"};

class FaultsTest : public LabTest {
protected:
    void SetUp() override {
        LabTest::SetUp();
        m_client.TrustOnly(m_lab.CaCertificateFile());
    }
    HttpAnswer SendAllTel() {
        return m_client.PostForm(Url(IDS_ALLTEL_HOST, "/customer_site/jsp/messaging.jsp"),
                                 AllTelForm(kAllTelJob));
    }
    HttpAnswer SendTMobile() {
        return m_client.PostForm(
            Url(IDS_TMOBILE_HOST, "/smsportal/index.html?act=smsc&locale=en", true),
            TMobileForm(kTMobileJob));
    }
    lab::Fault Make(lab::FaultKind kind, int count = 1) {
        lab::Fault fault;
        fault.kind = kind;
        fault.count = count;
        return fault;
    }
};

TEST_F(FaultsTest, StatusAndEmptyBodyAnswerInsteadOfTheGateway) {
    lab::Fault status = Make(lab::FaultKind::Status, 2);
    status.status = 503;
    m_lab.InjectFault("alltel.lab.localhost", status);
    m_lab.InjectFault("alltel.lab.localhost", Make(lab::FaultKind::EmptyBody));
    // Other hosts are untouched.
    EXPECT_EQ(SendTMobile().status, 200);

    EXPECT_EQ(SendAllTel().status, 503);
    EXPECT_EQ(LastLogEntry().fault, "status 503");
    EXPECT_EQ(SendAllTel().status, 503);
    HttpAnswer empty = SendAllTel();
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.body, "");
    EXPECT_EQ(LastLogEntry().fault, "empty body");
    EXPECT_TRUE(m_lab.Inbox(kAllTelJob.number).empty());

    // After N requests the gateway answers again.
    EXPECT_TRUE(m_lab.PendingFaults().empty());
    EXPECT_EQ(SendAllTel().status, 200);
    EXPECT_EQ(m_lab.Inbox(kAllTelJob.number).size(), 1u);
    EXPECT_EQ(LastLogEntry().fault, "");
}

TEST_F(FaultsTest, DelayStillServesTheRequest) {
    lab::Fault delay = Make(lab::FaultKind::Delay);
    delay.delay = std::chrono::milliseconds(50);
    m_lab.InjectFault("ALLTEL.lab.localhost", delay);
    HttpAnswer answer = SendAllTel();
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(LastLogEntry().fault, "delay 50 ms");
    EXPECT_EQ(m_lab.Inbox(kAllTelJob.number).size(), 1u);
}

TEST_F(FaultsTest, DroppedConnectionGivesNoAnswerOnEitherPort) {
    m_lab.InjectFault("alltel.lab.localhost", Make(lab::FaultKind::Drop));
    m_lab.InjectFault("tmobile.lab.localhost", Make(lab::FaultKind::Drop));
    HttpAnswer plain = SendAllTel();
    EXPECT_EQ(plain.code, CURLE_GOT_NOTHING);
    EXPECT_EQ(LastLogEntry().status, 0);
    EXPECT_EQ(LastLogEntry().fault, "dropped connection");
    HttpAnswer secure = SendTMobile();
    EXPECT_NE(secure.code, CURLE_OK);
    EXPECT_EQ(secure.status, 0);
    EXPECT_TRUE(m_lab.AllMessages().empty());
    // The lab itself carries on.
    EXPECT_EQ(SendAllTel().status, 200);
    EXPECT_EQ(SendTMobile().status, 200);
}

TEST_F(FaultsTest, ClientCertificateDemandedInTheHandshake) {
    m_lab.InjectFault("tmobile.lab.localhost", Make(lab::FaultKind::ClientCertificate));
    // A plain request does not use up a handshake demand.
    EXPECT_EQ(SendAllTel().status, 200);
    ASSERT_EQ(m_lab.PendingFaults().size(), 1u);

    HttpAnswer without = SendTMobile();
    EXPECT_EQ(without.status, 403);
    EXPECT_EQ(LastLogEntry().fault, "client certificate demanded");
    EXPECT_EQ(LastLogEntry().notes, std::vector<std::string>{"no client certificate given"});
    EXPECT_TRUE(m_lab.Inbox(kTMobileJob.number).empty());

    // With any certificate the request goes through.
    m_lab.InjectFault("tmobile.lab.localhost", Make(lab::FaultKind::ClientCertificate));
    m_client.UseClientCertificate({ReadFileBytes(m_temp / "state" / "server.pem"),
                                   ReadFileBytes(m_temp / "state" / "server-key.pem")});
    EXPECT_EQ(SendTMobile().status, 200);
    ASSERT_FALSE(LastLogEntry().notes.empty());
    EXPECT_EQ(LastLogEntry().notes[0], "client certificate /O=Quillo carrier lab/CN=quillo-lab");
    EXPECT_EQ(m_lab.Inbox(kTMobileJob.number).size(), 1u);
}

TEST_F(FaultsTest, JsonApiInjectsListsAndClearsFaults) {
    HttpAnswer added = m_client.PostBody(
        ApiUrl("/lab/faults"), "host=alltel.lab.localhost%3A47080&kind=status&status=502&count=3");
    EXPECT_EQ(added.status, 200);
    EXPECT_NE(added.body.find("\"remaining\": 3"), std::string::npos) << added.body;
    EXPECT_EQ(SendAllTel().status, 502);
    EXPECT_NE(m_client.Get(ApiUrl("/lab/faults")).body.find("\"remaining\": 2"), std::string::npos);

    EXPECT_EQ(m_client.Request("DELETE", ApiUrl("/lab/faults"), "", {}).status, 200);
    EXPECT_TRUE(m_lab.PendingFaults().empty());
    EXPECT_EQ(SendAllTel().status, 200);

    for (const char* bad :
         {"host=alltel.lab.localhost&kind=explode", "kind=drop", "host=elsewhere.example&kind=drop",
          "host=alltel.lab.localhost&kind=status&status=99",
          "host=alltel.lab.localhost&kind=drop&count=0"}) {
        HttpAnswer refused = m_client.PostBody(ApiUrl("/lab/faults"), bad);
        EXPECT_EQ(refused.status, 400) << bad;
        EXPECT_NE(refused.body.find("\"error\""), std::string::npos);
    }
    EXPECT_TRUE(m_lab.PendingFaults().empty());
}

}  // namespace
