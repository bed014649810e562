// Every gateway's accepting and rejecting answers to Quillo's own client over real sockets, the
// wire tests' forms taken as they stand, and what arrives in the phones' inboxes.

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "LabClient.h"
#include "contacts/Contact.h"
#include "delivery/CarrierDispatch.h"
#include "support/WireForms.h"

namespace {

// The job every carrier gets: all sender texts set, and a Windows-1252 byte in the text.
CSendJob TestJob(const std::string& number, std::int32_t carrier) {
    CSendJob job;
    job.number = number;
    job.senderName = "Ann Lee";
    job.replyNumber = "5559870000";
    job.replyEmail = "ann@example.org";
    job.text = "Caf\xE9 at 5? Bring 2 mugs.";
    job.carrier = carrier;
    return job;
}

std::string NumberOf(int carrier) {
    return "555123456" + std::to_string(carrier);
}

// The client's verdict on a gateway that refuses a foreign number.
std::int32_t RefusalOf(int carrier) {
    for (const SingleForm& form : kSingleForms) {
        if (lab::SiteName(carrier) == form.host)
            return form.phraseCode;
    }
    // US Cellular's answer is not read; Boost's check and Verizon's confirmation refuse.
    return carrier == CarrierUSCellular ? ResultSent : ResultWrongCarrier;
}

// Quillo's own client runs each exchange, trusting the lab through its ROOT store.
class GatewaysTest : public LabTest {
protected:
    void SetUp() override {
        LabTest::SetUp();
        m_client.TrustOnly(m_lab.CaCertificateFile());
    }
};

TEST_F(GatewaysTest, TheFormsTheWireTestsHoldAreTheOnesTheGatewaysTake) {
    for (const SingleForm& form : kSingleForms) {
        SCOPED_TRACE(form.host);
        const bool tls = std::string_view(form.host) == "tmobile";
        if (std::string_view(form.host) == "sprint")
            m_client.Get(Url(form.hostId, "/textmessaging/compose"));
        HttpAnswer answer = m_client.PostBody(Url(form.hostId, form.target, tls), form.body);
        ASSERT_EQ(answer.code, CURLE_OK);
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(LastLogEntry().protocolError, "");
    }
}

TEST_F(GatewaysTest, EachGatewayDeliversToItsOwnNumbersAndRefusesForeignOnes) {
    for (int carrier = 1; carrier <= 9; ++carrier) {
        SCOPED_TRACE("carrier " + std::to_string(carrier));
        CSendJob own = TestJob(NumberOf(carrier), carrier);
        EXPECT_EQ(SendByCarrier(own), ResultSent);
        std::vector<lab::InboxMessage> inbox = m_lab.Inbox(own.number);
        ASSERT_EQ(inbox.size(), 1u);
        EXPECT_EQ(inbox[0].carrier, carrier);
        EXPECT_EQ(inbox[0].text, "Caf\u00e9 at 5? Bring 2 mugs.");

        CSendJob foreign = TestJob(NumberOf(carrier % 9 + 1), carrier);
        EXPECT_EQ(SendByCarrier(foreign), RefusalOf(carrier));
        for (const auto& m : m_lab.Inbox(foreign.number)) EXPECT_NE(m.carrier, carrier);
        EXPECT_EQ(m_lab.AllMessages().size(), static_cast<std::size_t>(carrier));
    }
    for (const auto& entry : m_lab.Log()) {
        EXPECT_EQ(entry.protocolError, "") << entry.method << " " << entry.target;
    }
}

TEST_F(GatewaysTest, InboxesKeepTheSenderTextsEachFormCarries) {
    for (int carrier = 1; carrier <= 9; ++carrier)
        SendByCarrier(TestJob(NumberOf(carrier), carrier));
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
    CSendJob emailOnly = TestJob(NumberOf(2), CarrierATTWireless);
    emailOnly.replyNumber.clear();
    SendByCarrier(emailOnly);
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
    EXPECT_EQ(SendByCarrier(TestJob("5551234569", CarrierVerizon)), ResultWrongCarrier);
    EXPECT_EQ(SendByCarrier(TestJob("5551234569", CarrierAllTel)), ResultSent);
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
