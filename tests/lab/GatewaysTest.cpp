// Every gateway's accepting and rejecting answers, driven over real sockets as Quillo drives
// them, and what arrives in the phones' inboxes.

#include <gtest/gtest.h>

#include "CarrierForms.h"
#include "LabClient.h"
#include "res/StringTable.h"

namespace {

// The job every carrier gets: all sender texts set, and a Windows-1252 byte in the text.
Job TestJob(const std::string& number) {
    return {number, "Ann Lee", "5559870000", "ann@example.org", "Caf\xE9 at 5? Bring 2 mugs."};
}

std::string NumberOf(int carrier) {
    return "555123456" + std::to_string(carrier);
}

class GatewaysTest : public LabTest {
protected:
    // Runs the client's whole exchange with the carrier and returns the answer that decides the
    // result (Boost: the number check when it refuses; Verizon: the confirmation when it
    // refuses, otherwise the status page).
    HttpAnswer Send(int carrier, const Job& job) {
        switch (carrier) {
            case 1:
                return m_client.PostForm(Url(IDS_ALLTEL_HOST, "/customer_site/jsp/messaging.jsp"),
                                         AllTelForm(job));
            case 2:
                return m_client.PostForm(Url(IDS_ATT_HOST, "/messagecenter/sendMessage.do"),
                                         AttForm(job));
            case 3: {
                std::string url = Url(IDS_BOOST_HOST, "/cgi/iPageExt.dll");
                HttpAnswer check = m_client.PostForm(url, BoostCheckForm(job));
                if (check.body.find(LoadString(IDS_BOOST_ERROR)) != std::string::npos)
                    return check;
                return m_client.PostForm(url, BoostForm(job));
            }
            case 4:
                return m_client.PostForm(Url(IDS_CINGULAR_HOST, "/do/public/send"),
                                         CingularForm(job));
            case 5:
                return m_client.PostForm(Url(IDS_NEXTEL_HOST, "/cgi/iPageExt.dll"),
                                         NextelForm(job));
            case 6:
                m_client.Get(Url(IDS_SPRINT_HOST, "/textmessaging/compose"));
                return m_client.PostForm(Url(IDS_SPRINT_HOST, "/textmessaging/composeconfirm"),
                                         SprintForm(job));
            case 7:
                return m_client.PostForm(
                    Url(IDS_TMOBILE_HOST, "/smsportal/index.html?act=smsc&locale=en", true),
                    TMobileForm(job));
            case 8: {
                std::string url = Url(IDS_USCELLULAR_HOST, "/uscwmss");
                HttpAnswer start = m_client.Get(url);
                return m_client.PostForm(url, UsCellularForm(job, SessionValue(start.body)));
            }
            case 9: {
                HttpAnswer confirmation = m_client.PostForm(
                    Url(IDS_VERIZON_HOST, "/customer_site/jsp/disclaimer.jsp", true),
                    VerizonForm(job));
                std::string id = VerizonMessageId(confirmation.body);
                if (confirmation.body.find("Sending your message") == std::string::npos ||
                    id.empty()) {
                    return confirmation;
                }
                return m_client.PostForm(
                    Url(IDS_VERIZON_HOST, "/customer_site/jsp/status_sent_lo.jsp", true),
                    VerizonStatusForm(id, job.number));
            }
        }
        return {};
    }

    void SetUp() override {
        LabTest::SetUp();
        m_client.TrustOnly(m_lab.CaCertificateFile());
    }
};

// The phrase by which the client recognises a refusal, where it looks for one.
std::string RejectionPhrase(int carrier) {
    switch (carrier) {
        case 1:
            return LoadString(IDS_ALLTEL_ERROR);
        case 2:
            return LoadString(IDS_ATT_ERROR);
        case 3:
            return LoadString(IDS_BOOST_ERROR);
        case 4:
            return LoadString(IDS_CINGULAR_ERROR);
        case 5:
            return LoadString(IDS_NEXTEL_ERROR);
        case 6:
            return LoadString(IDS_SPRINT_ERROR);
        case 7:
            return LoadString(IDS_TMOBILE_ERROR);
        default:
            return {};
    }
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(GatewaysTest, EachGatewayDeliversToItsOwnNumbersAndRefusesForeignOnes) {
    for (int carrier = 1; carrier <= 9; ++carrier) {
        SCOPED_TRACE("carrier " + std::to_string(carrier));
        Job own = TestJob(NumberOf(carrier));
        HttpAnswer accepted = Send(carrier, own);
        ASSERT_EQ(accepted.code, CURLE_OK);
        EXPECT_EQ(accepted.status, 200);
        EXPECT_FALSE(accepted.body.empty());
        if (!RejectionPhrase(carrier).empty()) {
            EXPECT_FALSE(Contains(accepted.body, RejectionPhrase(carrier)));
        }
        if (carrier == 9) {
            for (int id : {IDS_VERIZON_UNDELIVERABLE, IDS_VERIZON_DENIED, IDS_VERIZON_INTERNAL,
                           IDS_VERIZON_FAILED}) {
                EXPECT_FALSE(Contains(accepted.body, LoadString(id))) << accepted.body;
            }
        }
        std::vector<lab::InboxMessage> inbox = m_lab.Inbox(own.number);
        ASSERT_EQ(inbox.size(), 1u);
        EXPECT_EQ(inbox[0].carrier, carrier);
        EXPECT_EQ(inbox[0].text, "Caf\u00e9 at 5? Bring 2 mugs.");

        Job foreign = TestJob(NumberOf(carrier % 9 + 1));
        HttpAnswer refused = Send(carrier, foreign);
        EXPECT_EQ(refused.status, 200);
        EXPECT_FALSE(refused.body.empty());
        if (!RejectionPhrase(carrier).empty()) {
            EXPECT_TRUE(Contains(refused.body, RejectionPhrase(carrier))) << refused.body;
        }
        if (carrier == 9) {
            EXPECT_FALSE(Contains(refused.body, "Sending your message"));
        }
        for (const auto& m : m_lab.Inbox(foreign.number)) EXPECT_NE(m.carrier, carrier);
        EXPECT_EQ(m_lab.AllMessages().size(), static_cast<std::size_t>(carrier));
    }
    for (const auto& entry : m_lab.Log()) {
        EXPECT_EQ(entry.protocolError, "") << entry.method << " " << entry.target;
    }
}

TEST_F(GatewaysTest, InboxesKeepTheSenderTextsEachFormCarries) {
    for (int carrier = 1; carrier <= 9; ++carrier) Send(carrier, TestJob(NumberOf(carrier)));
    auto only = [&](int carrier) {
        auto inbox = m_lab.Inbox(NumberOf(carrier));
        EXPECT_EQ(inbox.size(), 1u);
        return inbox.empty() ? lab::InboxMessage{} : inbox[0];
    };
    // Name, reply number and e-mail where the form has a field for each.
    for (int carrier : {3, 4, 5, 9}) {
        SCOPED_TRACE(carrier);
        lab::InboxMessage m = only(carrier);
        EXPECT_EQ(m.sender, "Ann Lee");
        EXPECT_EQ(m.replyNumber, "5559870000");
        EXPECT_EQ(m.replyEmail, "ann@example.org");
    }
    // Forms with a single call-back field: the reply number (Sprint's carries the reply label).
    for (int carrier : {1, 2, 6, 8}) {
        SCOPED_TRACE(carrier);
        lab::InboxMessage m = only(carrier);
        EXPECT_EQ(m.replyNumber, "5559870000");
        EXPECT_EQ(m.sender, "");
    }
    EXPECT_EQ(only(7).sender, "Ann Lee");

    // AT&T's one reply field takes the e-mail when there is no number.
    Job emailOnly = TestJob(NumberOf(2));
    emailOnly.replyNumber.clear();
    m_client.PostForm(Url(IDS_ATT_HOST, "/messagecenter/sendMessage.do"), AttForm(emailOnly));
    EXPECT_EQ(m_lab.Inbox(NumberOf(2)).back().replyEmail, "ann@example.org");
}

TEST_F(GatewaysTest, PhonesFileAndAssignmentsOverrideTheLastDigitRule) {
    EXPECT_EQ(m_lab.CarrierOf("5551234569"), 9);
    EXPECT_EQ(m_lab.CarrierOf("5551234560"), 0);
    EXPECT_EQ(m_lab.CarrierOf("555123456"), 0);

    m_lab.Stop();
    WriteFileBytes(m_temp / "phones.txt",
                   "# test phones\n(555) 123-4569 AllTel\n5550000001 none\n5550000002 T-Mobile\n"
                   "5550000003 us cellular   # a comment\n5550000004 7\n");
    m_options.phonesFile = m_temp / "phones.txt";
    lab::LabServer withPhones;
    withPhones.Start(m_options);
    EXPECT_EQ(withPhones.CarrierOf("5551234569"), 1);
    EXPECT_EQ(withPhones.CarrierOf("5550000001"), 0);
    EXPECT_EQ(withPhones.CarrierOf("5550000002"), 7);
    EXPECT_EQ(withPhones.CarrierOf("5550000003"), 8);
    EXPECT_EQ(withPhones.CarrierOf("5550000004"), 7);
    withPhones.ApplyStringOverrides();

    // Verizon now refuses the number the rule would give it; AllTel takes it.
    Job job = TestJob("5551234569");
    HttpAnswer verizon = m_client.PostForm(
        Url(IDS_VERIZON_HOST, "/customer_site/jsp/disclaimer.jsp", true), VerizonForm(job));
    EXPECT_FALSE(Contains(verizon.body, "Sending your message"));
    m_client.PostForm(Url(IDS_ALLTEL_HOST, "/customer_site/jsp/messaging.jsp"), AllTelForm(job));
    ASSERT_EQ(withPhones.Inbox("5551234569").size(), 1u);
    EXPECT_EQ(withPhones.Inbox("5551234569")[0].carrier, 1);
    withPhones.Stop();

    for (const char* bad : {"5551234 AllTel\n", "5551234567 Acme\n", "5551234567\n"}) {
        WriteFileBytes(m_temp / "phones.txt", bad);
        lab::LabServer refused;
        try {
            refused.Start(m_options);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const lab::LabError& e) {
            EXPECT_NE(std::string(e.what()).find("phones.txt:1:"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
