// The carrier exchanges on the wire: exact request bodies in field order, the pre-checks that
// send nothing, and how each answer page is read. The gateways are real HTTP servers in the test
// process.

#include <gtest/gtest.h>

#include "DeliveryTestSupport.h"
#include "GatewayServer.h"
#include "contacts/Contact.h"
#include "delivery/carriers/Carriers.h"
#include "res/StringTable.h"
#include "support/CoreTestEnvironment.h"
#include "support/WireForms.h"

namespace {

constexpr const char* kForm = "application/x-www-form-urlencoded";

class CarrierWireTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        gateways.RouteAllGateways();
    }

    // Answers every request with `body`.
    void AnswerAll(GatewayAnswer answer) {
        gateways.SetScript([answer](const GatewayRequest&) { return answer; });
    }

    std::vector<std::string> Bodies() {
        std::vector<std::string> bodies;
        for (auto& r : gateways.Requests()) bodies.push_back(r.body);
        return bodies;
    }

    GatewayServer gateways;
};

TEST_F(CarrierWireTest, SingleFormCarriersPostTheirFieldsInOrder) {
    for (const auto& carrier : kSingleForms) {
        SCOPED_TRACE(carrier.host);
        const std::size_t before = gateways.Requests().size();
        EXPECT_EQ(carrier.send(FullJob()), ResultSent);
        auto requests = gateways.Requests();
        ASSERT_GT(requests.size(), before);
        const GatewayRequest& post = requests.back();
        EXPECT_EQ(post.host, carrier.host);
        EXPECT_EQ(post.method, "POST");
        EXPECT_EQ(post.target, carrier.target);
        EXPECT_EQ(post.contentType, kForm);
        EXPECT_EQ(post.body, carrier.body);
    }
    // Sprint PCS reads its compose page before posting.
    auto sprint = gateways.RequestsTo("sprint");
    ASSERT_EQ(sprint.size(), 2u);
    EXPECT_EQ(sprint[0].method, "GET");
    EXPECT_EQ(sprint[0].target, "/textmessaging/compose");
}

TEST_F(CarrierWireTest, SingleFormCarriersReadTheirPhraseAndNothingElse) {
    for (const auto& carrier : kSingleForms) {
        SCOPED_TRACE(carrier.host);
        const std::string phrase = LoadString(carrier.phraseId);
        std::string shouted = phrase;
        for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

        // The phrase anywhere, even inside markup, is the carrier's verdict.
        AnswerAll({200, "<html><!-- " + phrase + " --><p>Thank you</p></html>"});
        EXPECT_EQ(carrier.send(FullJob()), carrier.phraseCode);
        AnswerAll({200, "<td class=\"x\">Sorry, " + phrase + ".</td>"});
        EXPECT_EQ(carrier.send(FullJob()), carrier.phraseCode);
        // The same words in other letter case are just a page.
        AnswerAll({200, "<p>" + shouted + "</p>"});
        EXPECT_EQ(carrier.send(FullJob()), ResultSent);
        // No answer: an empty page, or an error status (on the secure path too).
        AnswerAll({200, ""});
        EXPECT_EQ(carrier.send(FullJob()), ResultNoConnection);
        AnswerAll({500, "<p>Thank you</p>"});
        EXPECT_EQ(carrier.send(FullJob()), ResultNoConnection);
        // An error page that holds the phrase: on the secure path the carrier's verdict still
        // counts; a plain request fails on its status alone.
        const bool secure = std::string_view(carrier.host) == "tmobile";
        for (int status : {403, 500}) {
            AnswerAll({status, "<p>Your message could " + phrase + "</p>"});
            EXPECT_EQ(carrier.send(FullJob()), secure ? carrier.phraseCode : ResultNoConnection);
        }
    }
}

TEST_F(CarrierWireTest, SenderFieldsChooseWhatTheFormsCarry) {
    // AT&T Wireless with only an e-mail sends it as the sender and counts it.
    CSendJob job = FullJob();
    job.replyNumber.clear();
    EXPECT_EQ(SendAttWireless(job), ResultSent);
    EXPECT_EQ(gateways.Requests().back().body,
              "recipient=5551234567&sender=ann%5Flee%40example.org&subject=&message=Hi+there."
              "&sizebox=28&spamFlag=");

    // Cingular without a name or reply number sends the e-mail as "from".
    job.senderName.clear();
    EXPECT_EQ(SendCingular(job), ResultSent);
    EXPECT_EQ(gateways.Requests().back().body,
              "from=ann%5Flee%40example.org&min=5551234567&subject=&msg=Hi+there.&charCount=123"
              "&priority=Normal&deliveryTime=0&callback=&replyto=ann%5Flee%40example.org");

    // Nextel with no sender texts at all counts the message alone.
    job.replyEmail.clear();
    EXPECT_EQ(SendNextel(job), ResultSent);
    EXPECT_EQ(FieldValue(gateways.Requests().back().body, "from"), "");
    EXPECT_EQ(FieldValue(gateways.Requests().back().body, "count"), "9");

    // Sprint PCS calls back the name when there is no reply number.
    job = FullJob();
    job.replyNumber.clear();
    EXPECT_EQ(SendSprint(job), ResultSent);
    EXPECT_EQ(FieldValue(gateways.Requests().back().body, "callBackNumber"), "Ann+Lee");
}

TEST_F(CarrierWireTest, APartCutForTheCarrierCarriesItsCounts) {
    // AllTel: 151 bytes and the marker fill the form: a count of 0.
    EXPECT_EQ(SendAllTel(FullJob(std::string(300, 'q'))), ResultSent);
    EXPECT_EQ(FieldValue(gateways.Requests().back().body, "text"),
              std::string(151, 'q') + "...%28cont%29");
    EXPECT_EQ(FieldValue(gateways.Requests().back().body, "count"), "0");
    // Cingular: room 160 - 7 - 10 - 10 - 9 = 124; charCount = 160 - 20 - 7 - 133 - 9.
    EXPECT_EQ(SendCingular(FullJob(std::string(300, 'q'))), ResultSent);
    EXPECT_EQ(FieldValue(gateways.Requests().back().body, "msg"),
              std::string(124, 'q') + "...%28cont%29");
    EXPECT_EQ(FieldValue(gateways.Requests().back().body, "charCount"), "%2D9");
}

TEST_F(CarrierWireTest, TMobileCountsTheReplyNumberItDoesNotShow) {
    // 150 + 10 > 140: cut to 121 bytes; the form shows the name, the count knows the number.
    EXPECT_EQ(SendTMobile(FullJob(std::string(150, 't'))), ResultSent);
    const GatewayRequest post = gateways.Requests().back();
    EXPECT_TRUE(post.tls);
    EXPECT_EQ(FieldValue(post.body, "text"), std::string(121, 't') + "...%28cont%29");
    EXPECT_EQ(FieldValue(post.body, "sender"), "Ann+Lee");
    EXPECT_EQ(FieldValue(post.body, "count"), "0");
}

TEST_F(CarrierWireTest, PreChecksSendNothing) {
    CSendJob job = FullJob();
    job.replyNumber.clear();
    EXPECT_EQ(SendAllTel(job), ResultNeedReplyNumber);  // an e-mail does not do
    EXPECT_EQ(SendUsCellular(job), ResultNeedReplyNumber);
    job.replyEmail.clear();
    EXPECT_EQ(SendAttWireless(job), ResultNeedReplyAddress);
    EXPECT_TRUE(gateways.Requests().empty());
}

TEST_F(CarrierWireTest, BoostChecksTheNumberBeforeTheMessage) {
    EXPECT_EQ(SendBoost(FullJob()), ResultSent);
    EXPECT_EQ(Bodies(),
              (std::vector<std::string>{
                  "cmd=buildPageForm&newnumber=5551234567",
                  "cmd=sendPage&oneWayPTNs=&twoWayPTNs=5551234567&schedule=&from=Ann+Lee&subject="
                  "&message=Hi+there.&count=16&rep1=&rep2=&rep3=&rep4=&rep5=&rep6="
                  "&replynumber=5559876543&replyemail=ann%5Flee%40example.org"}));
    for (auto& r : gateways.Requests()) EXPECT_EQ(r.target, "/cgi/iPageExt.dll");

    // A foreign number ends the exchange after the check.
    AnswerAll({200, "<b>" + LoadString(IDS_BOOST_ERROR) + "</b>"});
    EXPECT_EQ(SendBoost(FullJob()), ResultWrongCarrier);
    EXPECT_EQ(gateways.Requests().size(), 3u);
    AnswerAll({200, ""});
    EXPECT_EQ(SendBoost(FullJob()), ResultNoConnection);
    EXPECT_EQ(gateways.Requests().size(), 4u);

    // The message page is not read: any answer but an empty one is an acceptance.
    gateways.SetScript([](const GatewayRequest& r) {
        return r.body.rfind("cmd=sendPage", 0) == 0 ? GatewayAnswer{200, "Invalid request failed"}
                                                    : GatewayAnswer{};
    });
    EXPECT_EQ(SendBoost(FullJob()), ResultSent);
    gateways.SetScript([](const GatewayRequest& r) {
        return r.body.rfind("cmd=sendPage", 0) == 0 ? GatewayAnswer{200, ""} : GatewayAnswer{};
    });
    EXPECT_EQ(SendBoost(FullJob()), ResultNoConnection);
}

TEST_F(CarrierWireTest, UsCellularCarriesTheSessionOfItsStartPage) {
    gateways.SetScript([](const GatewayRequest& r) {
        return r.method == "GET" ? GatewayAnswer{200, "<input name=sesId=A1B2\" type=hidden>"}
                                 : GatewayAnswer{};
    });
    EXPECT_EQ(SendUsCellular(FullJob()), ResultSent);
    auto requests = gateways.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/uscwmss");
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].target, "/uscwmss");
    EXPECT_EQ(requests[1].body,
              "sesId=A1B2&MSG=From%3A+5559876543%0AHi+there.&ADDRESSES=5551234567"
              "&FROMADDRESS=5559876543&MSG%5FTMP=Hi+there.&count=123&tc%5Fagree=on");

    auto sessionFrom = [&](std::string page) {
        gateways.SetScript([page](const GatewayRequest& r) {
            return r.method == "GET" ? GatewayAnswer{200, page} : GatewayAnswer{};
        });
        EXPECT_EQ(SendUsCellular(FullJob()), ResultSent);
        return FieldValue(gateways.Requests().back().body, "sesId");
    };
    EXPECT_EQ(sessionFrom("x sesId=\"A1B2\""), "");        // a quote right after the separator
    EXPECT_EQ(sessionFrom("x sesId:Z9"), "Z9");            // no quote: up to the end
    EXPECT_EQ(sessionFrom("<p>no session here</p>"), "");  // no name: an empty value
    EXPECT_EQ(sessionFrom(""), "");
    // The start page failing does not stop the form.
    gateways.SetScript([](const GatewayRequest& r) {
        return r.method == "GET" ? GatewayAnswer{404, "gone"} : GatewayAnswer{};
    });
    EXPECT_EQ(SendUsCellular(FullJob()), ResultSent);

    // A 132-byte message goes whole; "MSG" adds the From line the count does not know of.
    AnswerAll({200, "sesId=S\""});
    EXPECT_EQ(SendUsCellular(FullJob(std::string(132, 'm'))), ResultSent);
    const std::string body = gateways.Requests().back().body;
    EXPECT_EQ(FieldValue(body, "count"), "0");
    EXPECT_EQ(FieldValue(body, "MSG"), "From%3A+5559876543%0A" + std::string(132, 'm'));

    // The answer is not read: anything but an empty page is an acceptance.
    AnswerAll({200, "failed due to invalid address"});
    EXPECT_EQ(SendUsCellular(FullJob()), ResultSent);
    AnswerAll({200, ""});
    EXPECT_EQ(SendUsCellular(FullJob()), ResultNoConnection);
}

// Verizon's confirmation page: the acceptance text, the status marker, 31 bytes, the message ID.
std::string Confirmation(const std::string& id, const std::string& after = "</td></tr>") {
    return "<p>Sending your message</p><TD><FONT><b>Status of message</b></FONT>&nbsp;" +
           std::string(31, '.') + id + after;
}

class VerizonTest : public CarrierWireTest {
protected:
    // Answers the message form with `confirmation` and the status form with `status`.
    void Answer(std::string confirmation, std::string status = "<p>Delivered</p>",
                int statusCode = 200, int confirmationCode = 200) {
        gateways.SetScript([=](const GatewayRequest& r) {
            if (r.target == "/customer_site/jsp/disclaimer.jsp")
                return GatewayAnswer{confirmationCode, confirmation};
            if (r.target == "/customer_site/jsp/status_sent_lo.jsp")
                return GatewayAnswer{statusCode, status};
            return GatewayAnswer{404, "unknown"};
        });
    }
};

TEST_F(VerizonTest, SendsTheMessageThenAsksForItsStatus) {
    Answer(Confirmation("MSG-77"));
    EXPECT_EQ(SendVerizon(FullJob()), ResultSent);
    auto requests = gateways.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& r : requests) {
        EXPECT_TRUE(r.tls);
        EXPECT_EQ(r.method, "POST");
        EXPECT_EQ(r.contentType, kForm);
    }
    EXPECT_EQ(requests[0].target, "/customer_site/jsp/disclaimer.jsp");
    EXPECT_EQ(requests[0].body,
              "min=5551234567&DOMAIN%5FNAME=%40" + LoadString(IDS_VERIZON_DOMAIN) +
                  "&trackResponses=No&showgroup=n&translatorButton=&count=115&subject=Ann+Lee"
                  "&callback=5559876543&type=0&Send.x=Yes&Send.y=12&sender=ann%5Flee%40example.org"
                  "&text=Hi+there.&message=&sender=ann%5Flee%40example.org"
                  "&disclaimer%5Fsubmit.x=3&disclaimer%5Fsubmit.y=4");
    EXPECT_EQ(requests[1].target, "/customer_site/jsp/status_sent_lo.jsp");
    EXPECT_EQ(requests[1].body, "STATUS%5FMSGID=MSG%2D77&STATUS%5FDESTNUM=5551234567");
}

TEST_F(VerizonTest, TheConfirmationPageCanEndTheExchange) {
    Answer("<p>Please try again</p>");  // no acceptance text: the number is not Verizon's
    EXPECT_EQ(SendVerizon(FullJob()), ResultWrongCarrier);
    Answer("<p>Sending your message</p>");  // accepted, but no status marker
    EXPECT_EQ(SendVerizon(FullJob()), ResultUndeliverable);
    Answer(Confirmation("MSG-77", ""));  // the message ID runs to the end of the page
    EXPECT_EQ(SendVerizon(FullJob()), ResultNoConnection);
    Answer("<p>Sending your message</p>Status of message</b></FONT>&nbsp;<");  // page too short
    EXPECT_EQ(SendVerizon(FullJob()), ResultNoConnection);
    Answer("");
    EXPECT_EQ(SendVerizon(FullJob()), ResultNoConnection);
    // None of these asked for a status.
    for (const auto& r : gateways.Requests())
        EXPECT_EQ(r.target, "/customer_site/jsp/disclaimer.jsp");
}

TEST_F(VerizonTest, TheStatusPageNamesFailures) {
    for (int phrase : {IDS_VERIZON_UNDELIVERABLE, IDS_VERIZON_DENIED, IDS_VERIZON_INTERNAL}) {
        Answer(Confirmation("7"), "<td>" + LoadString(phrase) + "</td>");
        EXPECT_EQ(SendVerizon(FullJob()), ResultWrongCarrier) << LoadString(phrase);
    }
    Answer(Confirmation("7"), "<td>Unfailedness</td>");  // "failed" inside a longer word
    EXPECT_EQ(SendVerizon(FullJob()), ResultWrongCarrier);
    Answer(Confirmation("7"), "");
    EXPECT_EQ(SendVerizon(FullJob()), ResultNoConnection);
    EXPECT_EQ(gateways.Requests().size(), 10u);
}

TEST_F(VerizonTest, AnErrorStatusPageIsReadForItsPhrasesFirst) {
    const struct {
        int statusCode;
        std::string page;
        std::int32_t result;
    } kCases[] = {
        {500, "<td>" + LoadString(IDS_VERIZON_DENIED) + "</td>", ResultWrongCarrier},
        {404, "<td>Message " + LoadString(IDS_VERIZON_FAILED) + "</td>", ResultWrongCarrier},
        {500, "<td>Delivered</td>", ResultNoConnection},
        {503, "", ResultNoConnection},
    };
    for (const auto& c : kCases) {
        Answer(Confirmation("7"), c.page, c.statusCode);
        EXPECT_EQ(SendVerizon(FullJob()), c.result) << c.statusCode << " " << c.page;
    }
    // The confirmation page is no status page: an error status there ends the exchange as 4.
    Answer(Confirmation("7"), "<p>Delivered</p>", 200, 500);
    EXPECT_EQ(SendVerizon(FullJob()), ResultNoConnection);
    EXPECT_EQ(gateways.Requests().size(), 9u);
}

}  // namespace
