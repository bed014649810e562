#include "carrier-lab/CarrierGateways.h"

#include "base/Text.h"
#include "carrier-lab/FormBody.h"
#include "carrier-lab/LabState.h"
#include "contacts/Contact.h"
#include "res/StringTable.h"

namespace lab {

namespace {

const char* const kSprintCookie = "JSESSIONID";

// The client's sender text: the name, else the reply number, else the e-mail. So it is empty
// only when all three are.
void ExpectSenderLabel(const FormBody& form, std::string_view labelField,
                       std::string_view numberField, std::string_view emailField) {
    if (!form.Value(labelField).empty())
        return;
    for (std::string_view other : {numberField, emailField}) {
        if (!other.empty() && !form.Value(other).empty()) {
            throw ProtocolError("field " + Quoted(labelField) + " is empty although " +
                                Quoted(other) + " is not");
        }
    }
}

std::string Paragraph(std::string_view text) {
    return "<p>" + std::string(text) + "</p>";
}

SiteReply Page(std::string_view title, std::string_view html) {
    SiteReply reply;
    reply.body = HtmlPage(title, html);
    return reply;
}

std::string CookieValue(const std::string& cookieHeader, std::string_view name) {
    std::size_t pos = 0;
    while (pos < cookieHeader.size()) {
        std::size_t end = cookieHeader.find(';', pos);
        if (end == std::string::npos)
            end = cookieHeader.size();
        std::string pair = TrimBlanks(std::string_view(cookieHeader).substr(pos, end - pos));
        if (pair.size() > name.size() && pair.compare(0, name.size(), name) == 0 &&
            pair[name.size()] == '=') {
            return pair.substr(name.size() + 1);
        }
        pos = end + 1;
    }
    return {};
}

}  // namespace

CarrierGateways::CarrierGateways(LabState& state)
    : m_state(state), m_verizonDomainField("@" + LoadString(IDS_VERIZON_DOMAIN)) {}

SiteReply CarrierGateways::Serve(int carrier, const SiteRequest& request) {
    try {
        switch (carrier) {
            case CarrierAllTel:
                return AllTel(request);
            case CarrierATTWireless:
                return AttWireless(request);
            case CarrierBoost:
                return Boost(request);
            case CarrierCingular:
                return Cingular(request);
            case CarrierNextel:
                return Nextel(request);
            case CarrierSprint:
                return Sprint(request);
            case CarrierTMobile:
                return TMobile(request);
            case CarrierUSCellular:
                return UsCellular(request);
            case CarrierVerizon:
                return Verizon(request);
            default:
                return NotFound(request);
        }
    } catch (const ProtocolError& e) {
        return BadRequest(e.what());
    }
}

SiteReply CarrierGateways::DeliverOrReject(int carrier, InboxMessage message,
                                           const std::string& rejection) {
    std::string name(CarrierName(carrier));
    int owner = m_state.CarrierOf(message.number);
    SiteReply reply;
    if (owner != carrier) {
        reply = Page(name, Paragraph(rejection));
        std::string ownerText = !IsTenDigits(message.number) ? "is not a ten-digit number"
                                : owner == 0                 ? "belongs to no carrier"
                                             : "belongs to " + std::string(CarrierName(owner));
        reply.notes.push_back("rejected: " + Quoted(message.number) + " " + ownerText);
        return reply;
    }
    reply = Page(name, Paragraph("Your message to " + message.number + " has been sent."));
    reply.notes.push_back("delivered to " + message.number);
    message.carrier = carrier;
    m_state.Deliver(std::move(message));
    return reply;
}

SiteReply CarrierGateways::AllTel(const SiteRequest& request) {
    if (request.target != LoadString(IDS_ALLTEL_PATH))
        return NotFound(request);
    FormBody form = ExpectPostForm(request);
    form.ExpectNames({"trackResponses", "devicetype", "min", "callback", "text", "count", "type",
                      "Send.x", "Send.y"});
    form.ExpectValue("trackResponses", "No");
    form.ExpectValue("devicetype", "1");
    form.ExpectNotEmpty("callback");
    form.ExpectValue("type", "0");
    form.ExpectValue("Send.x", "1");
    form.ExpectValue("Send.y", "1");
    const std::string& text = form.Value("text");
    ExpectWithinLimit(Len(text), 160, "AllTel");
    form.ExpectCount("count", 160 - Len(text), "160 - length of \"text\"");

    InboxMessage message;
    message.number = form.Value("min");
    message.replyNumber = Cp1252ToUtf8(form.Value("callback"));
    message.text = Cp1252ToUtf8(text);
    return DeliverOrReject(
        CarrierAllTel, std::move(message),
        "Your message to " + form.Value("min") + " " + LoadString(IDS_ALLTEL_ERROR) + ".");
}

SiteReply CarrierGateways::AttWireless(const SiteRequest& request) {
    if (request.target != LoadString(IDS_ATT_PATH))
        return NotFound(request);
    FormBody form = ExpectPostForm(request);
    form.ExpectNames({"recipient", "sender", "subject", "message", "sizebox", "spamFlag"});
    form.ExpectNotEmpty("sender");
    form.ExpectValue("subject", "");
    form.ExpectValue("spamFlag", "");
    const std::string& sender = form.Value("sender");
    const std::string& text = form.Value("message");
    ExpectWithinLimit(Len(text) + Len(sender), 160, "AT&T Wireless");
    form.ExpectCount("sizebox", Len(text) + Len(sender),
                     "length of \"message\" + length of \"sender\"");

    InboxMessage message;
    message.number = form.Value("recipient");
    // The form has one reply field: a number, or the e-mail when the sender gave no number.
    (sender.find('@') == std::string::npos ? message.replyNumber : message.replyEmail) =
        Cp1252ToUtf8(sender);
    message.text = Cp1252ToUtf8(text);
    return DeliverOrReject(CarrierATTWireless, std::move(message),
                           "There was an " + LoadString(IDS_ATT_ERROR) + ".");
}

SiteReply CarrierGateways::Boost(const SiteRequest& request) {
    if (request.target != LoadString(IDS_BOOST_PATH))
        return NotFound(request);
    FormBody form = ExpectPostForm(request);
    std::string cmd = form.Fields().empty() ? std::string() : form.ValueAt(0);
    std::string rejection = LoadString(IDS_BOOST_ERROR);

    if (cmd == "buildPageForm") {
        form.ExpectNames({"cmd", "newnumber"});
        const std::string& number = form.Value("newnumber");
        SiteReply reply;
        if (m_state.CarrierOf(number) != CarrierBoost) {
            reply = Page("Boost Mobile", Paragraph(rejection));
            reply.notes.push_back("number check: " + Quoted(number) + " is not Boost's");
        } else {
            reply = Page("Boost Mobile", Paragraph("Send a message to " + number + ":") +
                                             "\r\n<form method=\"post\">"
                                             "<input type=\"hidden\" name=\"cmd\" "
                                             "value=\"sendPage\"></form>");
            reply.notes.push_back("number check: " + number + " is Boost's");
        }
        return reply;
    }
    if (cmd != "sendPage") {
        throw ProtocolError("field \"cmd\" must be \"buildPageForm\" or \"sendPage\", not " +
                            Quoted(cmd));
    }

    form.ExpectNames({"cmd", "oneWayPTNs", "twoWayPTNs", "schedule", "from", "subject", "message",
                      "count", "rep1", "rep2", "rep3", "rep4", "rep5", "rep6", "replynumber",
                      "replyemail"});
    form.ExpectValue("oneWayPTNs", "");
    form.ExpectValue("schedule", "");
    form.ExpectValue("subject", "");
    for (const char* rep : {"rep1", "rep2", "rep3", "rep4", "rep5", "rep6"}) {
        form.ExpectValue(rep, "");
    }
    ExpectSenderLabel(form, "from", "replynumber", "replyemail");
    const std::string& text = form.Value("message");
    const std::string& from = form.Value("from");
    ExpectWithinLimit(Len(text) + Len(from), 280, "Boost Mobile");
    form.ExpectCount("count", Len(text) + Len(from), "length of \"message\" + length of \"from\"");

    InboxMessage message;
    message.number = form.Value("twoWayPTNs");
    message.sender = Cp1252ToUtf8(from);
    message.replyNumber = Cp1252ToUtf8(form.Value("replynumber"));
    message.replyEmail = Cp1252ToUtf8(form.Value("replyemail"));
    message.text = Cp1252ToUtf8(text);
    return DeliverOrReject(CarrierBoost, std::move(message), rejection);
}

SiteReply CarrierGateways::Cingular(const SiteRequest& request) {
    if (request.target != LoadString(IDS_CINGULAR_PATH))
        return NotFound(request);
    FormBody form = ExpectPostForm(request);
    form.ExpectNames({"from", "min", "subject", "msg", "charCount", "priority", "deliveryTime",
                      "callback", "replyto"});
    form.ExpectValue("subject", "");
    form.ExpectValue("priority", "Normal");
    form.ExpectValue("deliveryTime", "0");
    ExpectSenderLabel(form, "from", "callback", "replyto");
    const std::string& from = form.Value("from");
    const std::string& text = form.Value("msg");
    const std::string& callback = form.Value("callback");
    ExpectWithinLimit(Len(text) + Len(from) + Len(callback) + 10, 160, "Cingular");
    std::int64_t r = callback.empty() ? 0 : Len(callback) + 10;
    form.ExpectCount("charCount", 160 - r - Len(from) - Len(text) - 9,
                     "160 - (length of \"callback\" + 10, or 0 without one) - length of \"from\" - "
                     "length of \"msg\" - 9");

    InboxMessage message;
    message.number = form.Value("min");
    message.sender = Cp1252ToUtf8(from);
    message.replyNumber = Cp1252ToUtf8(callback);
    message.replyEmail = Cp1252ToUtf8(form.Value("replyto"));
    message.text = Cp1252ToUtf8(text);
    return DeliverOrReject(CarrierCingular, std::move(message),
                           "Your message " + LoadString(IDS_CINGULAR_ERROR) + ".");
}

SiteReply CarrierGateways::Nextel(const SiteRequest& request) {
    if (request.target != LoadString(IDS_NEXTEL_PATH))
        return NotFound(request);
    FormBody form = ExpectPostForm(request);
    form.ExpectNames({"cmd",      "oneWayPTNs", "twoWayPTNs", "from", "subject",     "message",
                      "count",    "replycnt",   "replycnt",   "rep1", "rep2",        "rep3",
                      "rep4",     "rep5",       "rep6",       "rep7", "replynumber", "replyemail",
                      "schedule", "x",          "y"});
    form.ExpectValue("cmd", "sendPage");
    form.ExpectValue("oneWayPTNs", "");
    form.ExpectValue("subject", "");
    if (form.ValueAt(7) != "7" || form.ValueAt(8) != "7") {
        throw ProtocolError("both \"replycnt\" fields must be \"7\", not " +
                            Quoted(form.ValueAt(7)) + " and " + Quoted(form.ValueAt(8)));
    }
    for (const char* rep : {"rep1", "rep2", "rep3", "rep4", "rep5", "rep6", "rep7"}) {
        form.ExpectValue(rep, "");
    }
    form.ExpectValue("schedule", "");
    form.ExpectValue("x", "1");
    form.ExpectValue("y", "1");
    const std::string& recipients = form.Value("twoWayPTNs");
    if (recipients.empty() || recipients.back() != ' ') {
        throw ProtocolError("field \"twoWayPTNs\" must be the number followed by one space, not " +
                            Quoted(recipients));
    }
    ExpectSenderLabel(form, "from", "replynumber", "replyemail");
    const std::string& from = form.Value("from");
    const std::string& text = form.Value("message");
    std::int64_t length = Len(text) + (from.empty() ? 0 : Len(from) + 2);
    ExpectWithinLimit(length, 500, "Nextel");
    form.ExpectCount("count", length,
                     "length of \"message\", + length of \"from\" + 2 when there is a sender");

    InboxMessage message;
    message.number = recipients.substr(0, recipients.size() - 1);
    message.sender = Cp1252ToUtf8(from);
    message.replyNumber = Cp1252ToUtf8(form.Value("replynumber"));
    message.replyEmail = Cp1252ToUtf8(form.Value("replyemail"));
    message.text = Cp1252ToUtf8(text);
    return DeliverOrReject(CarrierNextel, std::move(message),
                           LoadString(IDS_NEXTEL_ERROR) + ": no such subscriber.");
}

SiteReply CarrierGateways::Sprint(const SiteRequest& request) {
    if (request.target == "/textmessaging/compose") {
        ExpectGet(request);
        std::string session = m_state.IssueToken(TokenKind::SprintCookie);
        SiteReply reply = Page("Sprint PCS Text Messaging",
                               "<form method=\"post\" action=\"composeconfirm\">\r\n"
                               "To: <input name=\"phoneNumber\"><br>\r\n"
                               "<textarea name=\"message\"></textarea>\r\n</form>");
        reply.headers.emplace_back("Set-Cookie",
                                   std::string(kSprintCookie) + "=" + session + "; Path=/");
        reply.notes.push_back("session cookie issued");
        return reply;
    }
    if (request.target != LoadString(IDS_SPRINT_PATH))
        return NotFound(request);
    FormBody form = ExpectPostForm(request);
    form.ExpectNames({"phoneNumber", "message", "characters", "callBackNumber", "x", "y"});
    form.ExpectValue("x", "1");
    form.ExpectValue("y", "1");
    const std::string& text = form.Value("message");
    ExpectWithinLimit(Len(text), 160, "Sprint PCS");
    form.ExpectCount("characters", 160 - Len(text), "160 - length of \"message\"");

    // Only noted: whether the client kept the cookie of the compose page.
    std::string session = CookieValue(request.Header("Cookie"), kSprintCookie);
    std::string cookieNote = session.empty() ? "no session cookie"
                             : m_state.Issued(TokenKind::SprintCookie, session)
                                 ? "session cookie returned"
                                 : "session cookie unknown";

    InboxMessage message;
    message.number = form.Value("phoneNumber");
    message.replyNumber = Cp1252ToUtf8(form.Value("callBackNumber"));
    message.text = Cp1252ToUtf8(text);
    SiteReply reply = DeliverOrReject(CarrierSprint, std::move(message),
                                      "This phone is " + LoadString(IDS_SPRINT_ERROR) + ".");
    reply.notes.insert(reply.notes.begin(), cookieNote);
    return reply;
}

SiteReply CarrierGateways::TMobile(const SiteRequest& request) {
    if (request.target != LoadString(IDS_TMOBILE_PATH))
        return NotFound(request);
    FormBody form = ExpectPostForm(request);
    form.ExpectNames({"receiver", "sender", "text", "count", "msgTermsUse", "Send.x", "Send.y"});
    form.ExpectValue("msgTermsUse", "on");
    form.ExpectValue("Send.x", "1");
    form.ExpectValue("Send.y", "1");
    const std::string& sender = form.Value("sender");
    const std::string& text = form.Value("text");
    std::int64_t count = form.Integer("count");
    // The count takes off the reply label, which the form does not carry: the lab learns its
    // length from the count, so it can check only what follows from the sender field.
    ExpectWithinLimit(Len(text), 140, "T-Mobile");
    ExpectWithinLimit(140 - count, 140, "T-Mobile (140 - \"count\")");
    std::int64_t replyLabel = 140 - Len(text) - count;
    if (replyLabel < 0 || (sender.empty() && replyLabel != 0)) {
        form.ExpectCount("count", 140 - Len(text), "140 - length of \"text\" with no sender");
    }
    if (!sender.empty() && replyLabel == 0) {
        throw ProtocolError("count field \"count\" is " + std::to_string(count) +
                            ": it counts no reply label although \"sender\" is given");
    }

    InboxMessage message;
    message.number = form.Value("receiver");
    message.sender = Cp1252ToUtf8(sender);
    message.text = Cp1252ToUtf8(text);
    return DeliverOrReject(CarrierTMobile, std::move(message),
                           "Your message could " + LoadString(IDS_TMOBILE_ERROR) + ".");
}

SiteReply CarrierGateways::UsCellular(const SiteRequest& request) {
    if (request.target != "/" + LoadString(IDS_USCELLULAR_PATH))
        return NotFound(request);
    if (request.method == "GET") {
        std::string session = m_state.IssueToken(TokenKind::UsCellularSession);
        // The client takes the value after the first "sesId" and its separator, up to a '"'.
        SiteReply reply =
            Page("U.S. Cellular Web Messaging",
                 "<form name=\"sms\" method=\"post\" action=\"uscwmss?sesId=" + session +
                     "\">\r\n"
                     "To: <input name=\"ADDRESSES\"> From: <input name=\"FROMADDRESS\"><br>\r\n"
                     "<textarea name=\"MSG_TMP\"></textarea>\r\n"
                     "<input type=\"checkbox\" name=\"tc_agree\"> I agree to the terms\r\n</form>");
        reply.notes.push_back("session " + session + " issued");
        return reply;
    }
    FormBody form = ExpectPostForm(request);
    form.ExpectNames({"sesId", "MSG", "ADDRESSES", "FROMADDRESS", "MSG_TMP", "count", "tc_agree"});
    form.ExpectNotEmpty("FROMADDRESS");
    form.ExpectValue("tc_agree", "on");
    const std::string& from = form.Value("FROMADDRESS");
    const std::string& text = form.Value("MSG_TMP");
    form.ExpectValue("MSG", "From: " + from + "\n" + text);
    ExpectWithinLimit(Len(text), 132, "US Cellular");
    form.ExpectCount("count", 132 - Len(text), "132 - length of \"MSG_TMP\"");

    const std::string& session = form.Value("sesId");
    if (!m_state.Issued(TokenKind::UsCellularSession, session)) {
        // The gateway answers a page either way; only a session it issued delivers.
        SiteReply reply = Page("U.S. Cellular Web Messaging",
                               Paragraph("Your session has expired. Please start again."));
        reply.notes.push_back("not delivered: session value " + Quoted(session) +
                              " was never issued");
        return reply;
    }
    InboxMessage message;
    message.number = form.Value("ADDRESSES");
    message.replyNumber = Cp1252ToUtf8(from);
    message.text = Cp1252ToUtf8(text);
    return DeliverOrReject(CarrierUSCellular, std::move(message),
                           "Your message could not be sent to " + form.Value("ADDRESSES") + ".");
}

SiteReply CarrierGateways::Verizon(const SiteRequest& request) {
    if (request.target == LoadString(IDS_VERIZON_STATUS_PATH)) {
        FormBody form = ExpectPostForm(request);
        form.ExpectNames({"STATUS_MSGID", "STATUS_DESTNUM"});
        const std::string& id = form.Value("STATUS_MSGID");
        const std::string& number = form.Value("STATUS_DESTNUM");
        std::optional<std::string> issuedTo = m_state.NumberOfMessageId(id);
        SiteReply reply;
        if (!issuedTo || *issuedTo != number) {
            reply = Page("Message Status",
                         Paragraph("Message " + id + " to " + number + ": " +
                                   LoadString(IDS_VERIZON_FAILED) + " (no such message)."));
            reply.notes.push_back("status of " + Quoted(id) + ": " +
                                  (issuedTo ? "issued for another number" : "never issued"));
        } else {
            reply = Page("Message Status",
                         Paragraph("Message " + id + " to " + number + ": delivered to handset."));
            reply.notes.push_back("status of " + id + ": delivered");
        }
        return reply;
    }
    if (request.target != LoadString(IDS_VERIZON_PATH))
        return NotFound(request);
    FormBody form = ExpectPostForm(request);
    form.ExpectNames({"min", "DOMAIN_NAME", "trackResponses", "showgroup", "translatorButton",
                      "count", "subject", "callback", "type", "Send.x", "Send.y", "sender", "text",
                      "message", "sender", "disclaimer_submit.x", "disclaimer_submit.y"});
    form.ExpectValue("DOMAIN_NAME", m_verizonDomainField);
    form.ExpectValue("trackResponses", "No");
    form.ExpectValue("showgroup", "n");
    form.ExpectValue("translatorButton", "");
    form.ExpectValue("type", "0");
    form.ExpectValue("Send.x", "Yes");
    form.ExpectValue("Send.y", "12");
    form.ExpectValue("message", "");
    form.ExpectValue("disclaimer_submit.x", "3");
    form.ExpectValue("disclaimer_submit.y", "4");
    if (form.ValueAt(11) != form.ValueAt(14)) {
        throw ProtocolError("the two \"sender\" fields differ: " + Quoted(form.ValueAt(11)) +
                            " and " + Quoted(form.ValueAt(14)));
    }
    ExpectSenderLabel(form, "subject", "callback", "sender");
    const std::string& text = form.Value("text");
    std::int64_t length = Len(text) + Len(form.Value("sender")) + Len(form.Value("callback")) +
                          Len(form.Value("subject"));
    ExpectWithinLimit(length, 160, "Verizon");
    form.ExpectCount("count", 160 - length,
                     "160 - lengths of \"text\", \"sender\", \"callback\" and \"subject\"");

    const std::string& number = form.Value("min");
    if (m_state.CarrierOf(number) != CarrierVerizon) {
        // Without "Sending your message" the client takes the number as not Verizon's.
        SiteReply reply = Page("Verizon Wireless Messaging",
                               Paragraph(LoadString(IDS_VERIZON_UNDELIVERABLE) + ": " + number +
                                         " is not a Verizon Wireless number."));
        reply.notes.push_back("rejected: " + Quoted(number) + " is not Verizon's");
        return reply;
    }
    InboxMessage message;
    message.carrier = CarrierVerizon;
    message.number = number;
    message.sender = Cp1252ToUtf8(form.Value("subject"));
    message.replyNumber = Cp1252ToUtf8(form.Value("callback"));
    message.replyEmail = Cp1252ToUtf8(form.Value("sender"));
    message.text = Cp1252ToUtf8(text);
    m_state.Deliver(std::move(message));

    std::string id = m_state.IssueMessageId(number);
    SiteReply reply =
        Page("Verizon Wireless Messaging",
             Paragraph("Sending your message to " + number + "...") +
                 "\r\n<TABLE><TR><TD><FONT size=\"2\"><b>" + std::string(kVerizonStatusMarker) +
                 std::string(kVerizonIdLead) + id + "</b></FONT></TD></TR></TABLE>");
    reply.notes.push_back("delivered to " + number + ", message ID " + id);
    return reply;
}

}  // namespace lab
