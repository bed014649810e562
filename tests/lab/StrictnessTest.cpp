// Anything that differs from a gateway's form is refused with 400 and logged with its reason.

#include <gtest/gtest.h>

#include <functional>

#include "CarrierForms.h"
#include "LabClient.h"
#include "res/StringTable.h"

namespace {

const Job kJob = {"5551234561", "Ann", "5559870000", "ann@example.org", "See you at 5."};

Job WithNumber(Job job, const std::string& number) {
    job.number = number;
    return job;
}

struct Case {
    const char* what;
    std::function<std::string()> url;
    std::function<std::string()> body;
    const char* reason;  // a part of the logged reason
};

std::string AllTelUrl() {
    return LabTest::Url(IDS_ALLTEL_HOST, "/customer_site/jsp/messaging.jsp");
}

std::string Body(Fields fields) {
    return FormEncode(fields);
}

Fields Edited(Fields fields, const std::function<void(Fields&)>& edit) {
    edit(fields);
    return fields;
}

class StrictnessTest : public LabTest {};

TEST_F(StrictnessTest, FormsThatDifferAreRefusedWithTheReason) {
    const std::string longText(152, 'x');  // within AllTel's 160, not with Cingular's additions
    const std::vector<Case> cases = {
        {"reordered field", AllTelUrl,
         [] { return Body(Edited(AllTelForm(kJob), [](Fields& f) { std::swap(f[2], f[3]); })); },
         "fields out of order: position 3 should be \"min\", not \"callback\""},
        {"wrong count", AllTelUrl,
         [] {
             return Body(
                 Edited(AllTelForm(kJob), [](Fields& f) { FieldValue(f, "count") = "148"; }));
         },
         "count field \"count\" is \"148\", expected 147"},
        {"over-long part", AllTelUrl,
         [] {
             Job j = kJob;
             j.text = std::string(161, 'a');
             return Body(AllTelForm(j));
         },
         "message part too long: 161 bytes as counted for AllTel, limit 160"},
        {"missing field", AllTelUrl,
         [] { return Body(Edited(AllTelForm(kJob), [](Fields& f) { f.erase(f.begin() + 6); })); },
         "field \"type\" missing at position 7"},
        {"extra field", AllTelUrl,
         [] { return Body(Edited(AllTelForm(kJob), [](Fields& f) { f.emplace_back("z", "1"); })); },
         "extra field \"z\" at position 10"},
        {"empty required sender field", AllTelUrl,
         [] {
             return Body(
                 Edited(AllTelForm(kJob), [](Fields& f) { FieldValue(f, "callback") = ""; }));
         },
         "field \"callback\" is empty"},
        {"count in a non-canonical form", AllTelUrl,
         [] {
             return Body(
                 Edited(AllTelForm(kJob), [](Fields& f) { FieldValue(f, "count") = "0147"; }));
         },
         "count field \"count\" is \"0147\""},
        {"lower-case hex", AllTelUrl,
         [] {
             return std::string(
                 "trackResponses=No&devicetype=1&min=5551234561&callback=1&text=a%e9&count=158&"
                 "type=0&Send.x=1&Send.y=1");
         },
         "not followed by two upper-case hex digits"},
        {"letter sent encoded", AllTelUrl,
         [] { return std::string("trackResponses=N%6F&devicetype=1"); },
         "%6F encodes a character that is sent as itself"},
        {"space sent as %20", AllTelUrl,
         [] { return std::string("trackResponses=No%20&devicetype=1"); }, "sent as \"+\""},
        {"byte not encoded", AllTelUrl,
         [] { return std::string("trackResponses=No&devicetype=1&min=555-1234561"); },
         "byte \"-\" is not encoded (expected %2D)"},
        {"Nextel replycnt not duplicated",
         [] { return LabTest::Url(IDS_NEXTEL_HOST, "/cgi/iPageExt.dll"); },
         [] {
             return Body(Edited(NextelForm(WithNumber(kJob, "5551234565")),
                                [](Fields& f) { f.erase(f.begin() + 8); }));
         },
         "field \"replycnt\" must come a second time at position 9"},
        {"Nextel number without its trailing space",
         [] { return LabTest::Url(IDS_NEXTEL_HOST, "/cgi/iPageExt.dll"); },
         [] {
             return Body(Edited(NextelForm(kJob),
                                [](Fields& f) { FieldValue(f, "twoWayPTNs") = "5551234565"; }));
         },
         "must be the number followed by one space"},
        {"Cingular over its limit with the sender texts",
         [] { return LabTest::Url(IDS_CINGULAR_HOST, "/do/public/send"); },
         [&] {
             Job j = kJob;
             j.text = longText;
             return Body(CingularForm(j));
         },
         "message part too long: 175 bytes as counted for Cingular, limit 160"},
        {"Cingular sender label empty although a number is given",
         [] { return LabTest::Url(IDS_CINGULAR_HOST, "/do/public/send"); },
         [] {
             Job j = kJob;
             j.senderName = "";
             return Body(Edited(CingularForm(j), [](Fields& f) { FieldValue(f, "from") = ""; }));
         },
         "field \"from\" is empty although \"callback\" is not"},
        {"T-Mobile count below zero",
         [] {
             return LabTest::Url(IDS_TMOBILE_HOST, "/smsportal/index.html?act=smsc&locale=en",
                                 true);
         },
         [] {
             Job j = kJob;
             j.text = std::string(135, 'y');
             return Body(TMobileForm(j));
         },
         "message part too long: 145 bytes as counted for T-Mobile"},
        {"T-Mobile count ignoring the reply label",
         [] {
             return LabTest::Url(IDS_TMOBILE_HOST, "/smsportal/index.html?act=smsc&locale=en",
                                 true);
         },
         [] {
             return Body(
                 Edited(TMobileForm(kJob), [](Fields& f) { FieldValue(f, "count") = "127"; }));
         },
         "it counts no reply label although \"sender\" is given"},
        {"Verizon senders differ",
         [] { return LabTest::Url(IDS_VERIZON_HOST, "/customer_site/jsp/disclaimer.jsp", true); },
         [] {
             return Body(
                 Edited(VerizonForm(kJob), [](Fields& f) { f[14].second = "bob@example.org"; }));
         },
         "the two \"sender\" fields differ"},
        {"Verizon domain",
         [] { return LabTest::Url(IDS_VERIZON_HOST, "/customer_site/jsp/disclaimer.jsp", true); },
         [] {
             return Body(Edited(VerizonForm(kJob),
                                [](Fields& f) { FieldValue(f, "DOMAIN_NAME") = "@example.org"; }));
         },
         "field \"DOMAIN_NAME\" must be \"@msg.verizon.lab.localhost\""},
        {"US Cellular message line", [] { return LabTest::Url(IDS_USCELLULAR_HOST, "/uscwmss"); },
         [] {
             return Body(Edited(UsCellularForm(kJob, "AB"), [](Fields& f) {
                 FieldValue(f, "MSG") = "From: 5559870000\r\nSee you at 5.";
             }));
         },
         "field \"MSG\" must be \"From: 5559870000\\nSee you at 5.\""},
        {"counter sum with a plus sign",
         [] { return LabTest::Url(IDS_SERVICE_HOST, "/count.php"); },
         [] { return std::string("counterID=1&sum=%2B3"); },
         "field \"sum\" is not a decimal number"},
        {"T-Mobile over plain HTTP",
         [this] {
             return "http://tmobile.lab.localhost:" + std::to_string(m_lab.Ports().http) +
                    "/smsportal/index.html?act=smsc&locale=en";
         },
         [] { return Body(TMobileForm(kJob)); }, "T-Mobile takes its forms over HTTPS only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t before = m_lab.Log().size();
        m_client.TrustOnly(m_lab.CaCertificateFile());
        HttpAnswer answer = m_client.PostBody(c.url(), c.body());
        ASSERT_EQ(answer.code, CURLE_OK);
        EXPECT_EQ(answer.status, 400);
        std::vector<lab::LogEntry> logged = LogAfter(before);
        ASSERT_EQ(logged.size(), 1u);
        EXPECT_NE(logged[0].protocolError.find(c.reason), std::string::npos)
            << logged[0].protocolError;
        EXPECT_EQ(logged[0].status, 400);
        EXPECT_EQ(logged[0].body, c.body());
    }
    EXPECT_TRUE(m_lab.AllMessages().empty());
}

TEST_F(StrictnessTest, VerbAndContentTypeArePartOfTheForm) {
    std::string body = FormEncode(AllTelForm(kJob));
    HttpAnswer get = m_client.Request("GET", AllTelUrl(), "", {});
    EXPECT_EQ(get.status, 400);
    EXPECT_EQ(LastLogEntry().protocolError, "verb GET; the form is sent with POST");

    HttpAnswer put = m_client.Request("PUT", AllTelUrl(), body,
                                      {"Content-Type: application/x-www-form-urlencoded"});
    EXPECT_EQ(put.status, 400);

    HttpAnswer plain = m_client.Request("POST", AllTelUrl(), body, {"Content-Type: text/plain"});
    EXPECT_EQ(plain.status, 400);
    EXPECT_EQ(LastLogEntry().protocolError,
              "Content-Type \"text/plain\"; the form is sent as "
              "\"application/x-www-form-urlencoded\"");

    HttpAnswer link = m_client.Request("LINK", AllTelUrl(), "", {});
    EXPECT_EQ(link.status, 400);
    EXPECT_EQ(LastLogEntry().method, "LINK");
    EXPECT_NE(LastLogEntry().protocolError, "");

    // The right verb, type and body are delivered.
    EXPECT_EQ(m_client.PostBody(AllTelUrl(), body).status, 200);
    EXPECT_EQ(m_lab.Inbox(kJob.number).size(), 1u);
}

TEST_F(StrictnessTest, UnknownPathsAndHostsAreLoggedAsErrors) {
    HttpAnswer wrongPath = m_client.PostBody(
        Url(IDS_ALLTEL_HOST, "/customer_site/jsp/Messaging.jsp"), FormEncode(AllTelForm(kJob)));
    EXPECT_EQ(wrongPath.status, 404);
    EXPECT_NE(LastLogEntry().protocolError.find("no page at \"/customer_site/jsp/Messaging.jsp\""),
              std::string::npos);
    EXPECT_EQ(LastLogEntry().site, "alltel");

    HttpAnswer unknownHost =
        m_client.Request("GET", ApiUrl("/x"), "", {"Host: nowhere.lab.localhost"});
    EXPECT_EQ(unknownHost.status, 404);
    EXPECT_EQ(LastLogEntry().protocolError,
              "the lab has no site at host \"nowhere.lab.localhost\"");
}

}  // namespace
