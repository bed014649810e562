#include "carrier-lab/WebServices.h"

#include <algorithm>
#include <array>

#include "base/JsonValue.h"
#include "carrier-lab/FormBody.h"
#include "carrier-lab/JsonWriter.h"
#include "carrier-lab/LabSigning.h"
#include "carrier-lab/LabState.h"

namespace lab {

namespace {

constexpr std::size_t kHugeAnswer = 10 * 1024 * 1024;

struct ServiceRow {
    WebService service;
    std::string_view name;
    std::string_view base;
    std::string_view route;  // as the lab's page names the way a text came
};

constexpr std::array<ServiceRow, 3> kServices = {{
    {WebService::Form, "form", "/form-service", "web service (form and account)"},
    {WebService::Json, "json", "/json-service", "web service (JSON and token)"},
    {WebService::Phone, "phone", "/phone-gateway", "gateway on the phone"},
}};

constexpr std::array<std::string_view, 8> kFaultNames = {"refuse", "invalid",  "busy",     "error",
                                                         "hang",   "not-json", "redirect", "huge"};

const ServiceRow& RowOf(WebService service) {
    return kServices[static_cast<std::size_t>(service)];
}

std::optional<WebService> ServiceOfPath(const std::string& path) {
    for (const ServiceRow& row : kServices) {
        if (path.starts_with(row.base) &&
            (path.size() == row.base.size() || path[row.base.size()] == '/'))
            return row.service;
    }
    return std::nullopt;
}

SiteReply JsonAnswerReply(int status, std::string body) {
    SiteReply reply = JsonReply(std::move(body), status);
    reply.contentType = "application/json";
    return reply;
}

SiteReply Problem(int status, const std::string& message) {
    SiteReply reply = JsonAnswerReply(
        status, JsonWriter().BeginObject().StringMember("message", message).EndObject().Take());
    reply.protocolError = message;
    return reply;
}

// The ten digits of "+" country code and number; empty for anything else.
std::string RecipientDigits(std::string_view address) {
    if (address.size() < 12 || address.size() > 16 || address.front() != '+' ||
        !std::all_of(address.begin() + 1, address.end(),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    return std::string(address.substr(address.size() - 10));
}

// The request's JSON body, which must come as application/json. Throws ProtocolError.
CJsonValue ExpectJson(const SiteRequest& request) {
    const std::string type = request.Header("Content-Type");
    if (type.rfind("application/json", 0) != 0)
        throw ProtocolError("Content-Type " + Quoted(type) + "; the body is application/json");
    auto json = CJsonValue::Parse(request.body);
    if (!json || json->GetKind() != CJsonValue::Object)
        throw ProtocolError("the body is not a JSON object");
    return std::move(*json);
}

std::string ExpectString(const CJsonValue& json, std::string_view name) {
    const CJsonValue* value = json.Member(name);
    if (!value || value->GetKind() != CJsonValue::String || value->Scalar().empty())
        throw ProtocolError("the JSON member \"" + std::string(name) + "\" must be a text");
    return value->Scalar();
}

std::string ExpectRecipient(std::string_view address) {
    std::string digits = RecipientDigits(address);
    if (digits.empty())
        throw ProtocolError("the recipient " + Quoted(address) +
                            " is not \"+\", a country code and ten digits");
    return digits;
}

// A request a service turns away with a status of its own.
struct Refused {
    SiteReply reply;
};

// The other name of the lab's own host, so that a redirect leaves the host the secret was for.
std::string OtherHost(const SiteRequest& request) {
    std::string host = request.Header("Host");
    const std::size_t colon = host.rfind(':');
    const std::string port = colon == std::string::npos ? "" : host.substr(colon);
    return (request.host == "localhost" ? "127.0.0.1" : "localhost") + port;
}

}  // namespace

std::string WebFaultKindName(WebFaultKind kind) {
    return std::string(kFaultNames[static_cast<std::size_t>(kind)]);
}

std::optional<WebFaultKind> ParseWebFaultKind(const std::string& name) {
    const auto it = std::find(kFaultNames.begin(), kFaultNames.end(), name);
    if (it == kFaultNames.end())
        return std::nullopt;
    return static_cast<WebFaultKind>(it - kFaultNames.begin());
}

std::string WebServiceName(WebService service) {
    return std::string(RowOf(service).name);
}

std::optional<WebService> ParseWebService(const std::string& name) {
    for (const ServiceRow& row : kServices) {
        if (row.name == name)
            return row.service;
    }
    return std::nullopt;
}

WebServices::WebServices(LabState& state, std::string account, std::string secret)
    : m_state(state), m_account(std::move(account)), m_secret(std::move(secret)) {}

bool WebServices::Handles(const std::string& path) {
    return ServiceOfPath(path).has_value();
}

std::string WebServices::BasePath(WebService service) {
    return std::string(RowOf(service).base);
}

SiteReply WebServices::Serve(const SiteRequest& request) {
    const std::optional<WebService> service = ServiceOfPath(request.path);
    if (!service)
        return NotFound(request);
    if (request.method != "POST")
        return Problem(405, "verb " + request.method + "; messages are sent with POST");
    try {
        return ServeService(*service, request);
    } catch (const Refused& refused) {
        return refused.reply;
    } catch (const ProtocolError& e) {
        return Problem(400, e.what());
    }
}

WebServices::Accepted WebServices::AcceptForm(const SiteRequest& request) const {
    if (request.path != BasePath(WebService::Form) + "/Accounts/" + m_account + "/Messages.json")
        throw Refused{Problem(404, "no such account resource: " + request.path)};
    if (request.Header("Authorization") != "Basic " + Base64(m_account + ":" + m_secret))
        throw Refused{Problem(401, "Authenticate")};
    const FormBody form = ExpectPostForm(request);
    form.ExpectNames({"To", "From", "Body"});
    form.ExpectNotEmpty("Body");
    Accepted accepted{ExpectRecipient(form.Value("To")), form.Value("From"), form.Value("Body"),
                      201};
    ExpectRecipient(accepted.sender);
    return accepted;
}

WebServices::Accepted WebServices::AcceptJson(const SiteRequest& request) const {
    if (request.path != BasePath(WebService::Json) + "/messages")
        throw Refused{Problem(404, "no such resource: " + request.path)};
    if (request.Header("Authorization") != "Bearer " + m_secret)
        throw Refused{Problem(401, "Invalid token")};
    const CJsonValue json = ExpectJson(request);
    Accepted accepted{ExpectRecipient(ExpectString(json, "to")), ExpectString(json, "from"),
                      ExpectString(json, "text")};
    ExpectRecipient(accepted.sender);
    return accepted;
}

WebServices::Accepted WebServices::AcceptPhone(const SiteRequest& request) const {
    if (request.path != BasePath(WebService::Phone) + "/message")
        throw Refused{Problem(404, "no such resource: " + request.path)};
    if (request.Header("Authorization") != "Basic " + Base64(m_account + ":" + m_secret))
        throw Refused{Problem(401, "Unauthorized")};
    const CJsonValue json = ExpectJson(request);
    const CJsonValue* numbers = json.Member("phoneNumbers");
    if (!numbers || numbers->GetKind() != CJsonValue::Array || numbers->Items().size() != 1 ||
        numbers->Items()[0].GetKind() != CJsonValue::String)
        throw ProtocolError("\"phoneNumbers\" must list the one recipient");
    return {ExpectRecipient(numbers->Items()[0].Scalar()), "", ExpectString(json, "message"), 202};
}

std::string WebServices::FormAnswer() {
    return JsonWriter()
        .BeginObject()
        .StringMember("sid", NextId("SM"))
        .StringMember("status", "queued")
        .EndObject()
        .Take();
}

std::string WebServices::JsonAnswer() {
    return JsonWriter()
        .BeginObject()
        .Key("data")
        .BeginObject()
        .StringMember("id", NextId("msg-"))
        .EndObject()
        .EndObject()
        .Take();
}

std::string WebServices::PhoneAnswer() {
    return JsonWriter()
        .BeginObject()
        .StringMember("id", NextId(""))
        .StringMember("state", "Pending")
        .EndObject()
        .Take();
}

SiteReply WebServices::ServeService(WebService service, const SiteRequest& request) {
    // By WebService.
    static constexpr struct {
        Accepted (WebServices::*accept)(const SiteRequest&) const;
        std::string (WebServices::*answer)();
    } kIntake[] = {{&WebServices::AcceptForm, &WebServices::FormAnswer},
                   {&WebServices::AcceptJson, &WebServices::JsonAnswer},
                   {&WebServices::AcceptPhone, &WebServices::PhoneAnswer}};
    const auto& intake = kIntake[static_cast<std::size_t>(service)];
    const Accepted accepted = (this->*intake.accept)(request);
    if (std::optional<WebFault> fault = TakeFault(service, accepted.number)) {
        SiteReply reply = FaultReply(*fault, request);
        reply.notes.push_back("fault: " + WebFaultKindName(fault->kind));
        return reply;
    }
    InboxMessage message;
    message.number = accepted.number;
    message.sender = accepted.sender;
    message.text = accepted.text;
    message.route = std::string(RowOf(service).route);
    m_state.Deliver(std::move(message));
    return JsonAnswerReply(accepted.status, (this->*intake.answer)());
}

SiteReply WebServices::FaultReply(const WebFault& fault, const SiteRequest& request) {
    switch (fault.kind) {
        case WebFaultKind::Refuse:
            return Problem(401, "Authentication failed");
        case WebFaultKind::Invalid:
            return Problem(422, fault.text);
        case WebFaultKind::Busy: {
            SiteReply reply = Problem(429, "Too many requests");
            reply.headers.emplace_back("Retry-After", std::to_string(fault.retryAfter));
            return reply;
        }
        case WebFaultKind::Error:
            return Problem(500, "Internal error");
        case WebFaultKind::Hang:
            m_state.SleepUnlessStopped(fault.delay);
            return Problem(504, "the lab hung up after its delay");
        case WebFaultKind::NotJson: {
            SiteReply reply;
            reply.body = HtmlPage("Sent", "<p>Your message was queued.</p>");
            return reply;
        }
        case WebFaultKind::Redirect: {
            SiteReply reply = Problem(307, "moved");
            reply.headers.emplace_back(
                "Location", std::string(request.tls ? "https://" : "http://") + OtherHost(request) +
                                request.target);
            return reply;
        }
        case WebFaultKind::Huge:
            return JsonAnswerReply(200, "{\"sid\":\"" + std::string(kHugeAnswer, 'x') + "\"}");
    }
    return Problem(500, "unknown fault");
}

std::optional<WebFault> WebServices::TakeFault(WebService service, const std::string& number) {
    return m_faults.Take(
        [&](const WebFault& f) {
            return (!f.service || *f.service == service) &&
                   (f.number.empty() || f.number == number);
        },
        [](WebFault& f) -> int& { return f.count; });
}

std::string WebServices::NextId(std::string_view prefix) {
    std::lock_guard lock(m_mutex);
    return std::string(prefix) + std::to_string(m_nextId++);
}

}  // namespace lab
