// The multi-step exchanges: Verizon's message ID at its byte offset and its status page, the
// US Cellular session value, and the Sprint PCS session cookie.

#include <gtest/gtest.h>

#include <algorithm>

#include "CarrierForms.h"
#include "LabClient.h"
#include "res/StringTable.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool HasNote(const lab::LogEntry& entry, const std::string& note) {
    return std::find(entry.notes.begin(), entry.notes.end(), note) != entry.notes.end();
}

class ExchangesTest : public LabTest {
protected:
    void SetUp() override {
        LabTest::SetUp();
        m_client.TrustOnly(m_lab.CaCertificateFile());
    }
    HttpAnswer VerizonStatus(const std::string& id, const std::string& number) {
        return m_client.PostForm(
            Url(IDS_VERIZON_HOST, "/customer_site/jsp/status_sent_lo.jsp", true),
            VerizonStatusForm(id, number));
    }
};

TEST_F(ExchangesTest, VerizonMessageIdStandsThirtyOneBytesAfterTheMarker) {
    Job job = {"5551234569", "", "", "", "Hello"};
    HttpAnswer confirmation = m_client.PostForm(
        Url(IDS_VERIZON_HOST, "/customer_site/jsp/disclaimer.jsp", true), VerizonForm(job));
    ASSERT_EQ(confirmation.status, 200);
    const std::string& page = confirmation.body;
    EXPECT_TRUE(Contains(page, "Sending your message"));
    const std::string marker = "Status of message</b></FONT>&nbsp;";
    auto at = page.find(marker);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(marker.size(), 34u);
    // 65 bytes after the marker's first byte: the ID, up to the next "<".
    std::string id = VerizonMessageId(page);
    ASSERT_FALSE(id.empty());
    EXPECT_TRUE(std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; }));
    EXPECT_EQ(page.substr(at + 34 + 31, id.size()), id);
    EXPECT_EQ(page[at + 65 + id.size()], '<');
    EXPECT_EQ(page.substr(at + 34, 31).find_first_of("\r\n"), std::string::npos);

    HttpAnswer delivered = VerizonStatus(id, job.number);
    EXPECT_EQ(delivered.status, 200);
    for (int phrase : {IDS_VERIZON_UNDELIVERABLE, IDS_VERIZON_DENIED, IDS_VERIZON_INTERNAL,
                       IDS_VERIZON_FAILED}) {
        EXPECT_FALSE(Contains(delivered.body, LoadString(phrase))) << delivered.body;
    }

    // An ID taken one byte early, one never issued, or one asked for with another number.
    const std::string failed = LoadString(IDS_VERIZON_FAILED);
    EXPECT_TRUE(
        Contains(VerizonStatus(page.substr(at + 64, id.size() + 1), job.number).body, failed));
    EXPECT_TRUE(Contains(VerizonStatus("7999999999", job.number).body, failed));
    EXPECT_TRUE(Contains(VerizonStatus(id, "5551234599").body, failed));
    EXPECT_TRUE(HasNote(LastLogEntry(), "status of \"" + id + "\": issued for another number"));

    // Every confirmation names a new ID.
    HttpAnswer second = m_client.PostForm(
        Url(IDS_VERIZON_HOST, "/customer_site/jsp/disclaimer.jsp", true), VerizonForm(job));
    EXPECT_NE(VerizonMessageId(second.body), id);
    EXPECT_EQ(m_lab.Inbox(job.number).size(), 2u);
}

TEST_F(ExchangesTest, UsCellularDeliversOnlyWithASessionValueItIssued) {
    const std::string url = Url(IDS_USCELLULAR_HOST, "/uscwmss");
    HttpAnswer start = m_client.Get(url);
    ASSERT_EQ(start.status, 200);
    std::string session = SessionValue(start.body);
    EXPECT_EQ(session.size(), 16u) << start.body;
    EXPECT_NE(SessionValue(m_client.Get(url).body), session);

    Job job = {"5551234568", "", "5559870000", "", std::string(132, 'm')};
    for (const std::string& forged : {std::string(), std::string("0000000000000000")}) {
        HttpAnswer answer = m_client.PostForm(url, UsCellularForm(job, forged));
        EXPECT_EQ(answer.status, 200);
        EXPECT_FALSE(answer.body.empty());
        EXPECT_EQ(LastLogEntry().protocolError, "");
        EXPECT_TRUE(HasNote(LastLogEntry(),
                            "not delivered: session value \"" + forged + "\" was never issued"));
    }
    EXPECT_TRUE(m_lab.AllMessages().empty());

    // A whole 132-byte part: count 0, and "MSG" carries the "From: " line besides.
    HttpAnswer sent = m_client.PostForm(url, UsCellularForm(job, session));
    EXPECT_EQ(sent.status, 200);
    ASSERT_EQ(m_lab.Inbox(job.number).size(), 1u);
    EXPECT_EQ(m_lab.Inbox(job.number)[0].text, job.text);

    // A session value is no pass for a foreign number; the page is still not empty.
    Job foreign = job;
    foreign.number = "5551234561";
    HttpAnswer refused = m_client.PostForm(url, UsCellularForm(foreign, session));
    EXPECT_FALSE(refused.body.empty());
    EXPECT_TRUE(m_lab.Inbox(foreign.number).empty());
}

TEST_F(ExchangesTest, SprintNotesWhetherThePostBringsBackTheComposeCookie) {
    const std::string compose = Url(IDS_SPRINT_HOST, "/textmessaging/compose");
    const std::string confirm = Url(IDS_SPRINT_HOST, "/textmessaging/composeconfirm");
    Job job = {"5551234566", "Ann", "", "", "Hi"};

    HttpAnswer page = m_client.Get(compose);
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(Contains(page.headers, "Set-Cookie: JSESSIONID=")) << page.headers;
    m_client.PostForm(confirm, SprintForm(job));
    EXPECT_TRUE(HasNote(LastLogEntry(), "session cookie returned"));

    LabClient fresh;
    fresh.PostForm(confirm, SprintForm(job));
    EXPECT_TRUE(HasNote(LastLogEntry(), "no session cookie"));
    fresh.Request("POST", confirm, FormEncode(SprintForm(job)),
                  {"Content-Type: application/x-www-form-urlencoded", "Cookie: JSESSIONID=BAD"});
    EXPECT_TRUE(HasNote(LastLogEntry(), "session cookie unknown"));

    // The cookie is only noted: every one of the three was delivered.
    EXPECT_EQ(m_lab.Inbox(job.number).size(), 3u);
    // The compose page is read, not posted.
    EXPECT_EQ(m_client.PostForm(compose, {}).status, 400);
}

TEST_F(ExchangesTest, BoostChecksTheNumberOnTheSameAddressAsTheMessage) {
    const std::string url = Url(IDS_BOOST_HOST, "/cgi/iPageExt.dll");
    Job job = {"5551234563", "", "", "ann@example.org", "Hi"};
    HttpAnswer check = m_client.PostForm(url, BoostCheckForm(job));
    EXPECT_EQ(check.status, 200);
    EXPECT_FALSE(Contains(check.body, LoadString(IDS_BOOST_ERROR)));
    EXPECT_TRUE(m_lab.AllMessages().empty());

    HttpAnswer sent = m_client.PostForm(url, BoostForm(job));
    EXPECT_EQ(sent.status, 200);
    ASSERT_EQ(m_lab.Inbox(job.number).size(), 1u);
    EXPECT_EQ(m_lab.Inbox(job.number)[0].sender, "ann@example.org");

    Fields unknownCommand = BoostCheckForm(job);
    unknownCommand[0].second = "deletePage";
    EXPECT_EQ(m_client.PostForm(url, unknownCommand).status, 400);
}

}  // namespace
