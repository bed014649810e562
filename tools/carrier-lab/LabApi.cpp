#include "carrier-lab/LabApi.h"

#include <map>

#include "base/Text.h"
#include "carrier-lab/JsonWriter.h"
#include "carrier-lab/LabModemApi.h"
#include "carrier-lab/LabWebApi.h"
#include "carrier-lab/PhoneBook.h"
#include "contacts/Contact.h"

namespace lab {

namespace {

std::string UrlDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() &&
                   DecodeHexPair(text[i + 1], text[i + 2]) >= 0) {
            out += static_cast<char>(DecodeHexPair(text[i + 1], text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

void AddParams(std::string_view text, std::map<std::string, std::string>& params) {
    while (!text.empty()) {
        std::string_view pair = text.substr(0, text.find('&'));
        text.remove_prefix(std::min(text.size(), pair.size() + 1));
        auto eq = pair.find('=');
        if (eq == std::string_view::npos) {
            params[UrlDecode(pair)] = "";
        } else {
            params[UrlDecode(pair.substr(0, eq))] = UrlDecode(pair.substr(eq + 1));
        }
    }
}

std::map<std::string, std::string> Params(const SiteRequest& request) {
    std::map<std::string, std::string> params;
    if (auto q = request.target.find('?'); q != std::string::npos) {
        AddParams(std::string_view(request.target).substr(q + 1), params);
    }
    if (request.Header("Content-Type").rfind("application/x-www-form-urlencoded", 0) == 0) {
        AddParams(request.body, params);
    }
    return params;
}

SiteReply Json(std::string body, int status = 200) {
    return JsonReply(std::move(body), status);
}

SiteReply ApiError(int status, const std::string& message) {
    return Json(JsonWriter().BeginObject().StringMember("error", message).EndObject().Take(),
                status);
}

class BadParameter : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string RequiredParam(const std::map<std::string, std::string>& params, const char* name) {
    auto it = params.find(name);
    if (it == params.end() || it->second.empty()) {
        throw BadParameter(std::string("parameter \"") + name + "\" is required");
    }
    return it->second;
}

void WriteMessage(JsonWriter& json, const InboxMessage& m) {
    json.BeginObject()
        .NumberMember("seq", static_cast<std::int64_t>(m.seq))
        .StringMember("time", m.time)
        .StringMember("carrier", CarrierName(m.carrier))
        .StringMember("number", m.number)
        .StringMember("sender", m.sender)
        .StringMember("replyNumber", m.replyNumber)
        .StringMember("replyEmail", m.replyEmail)
        .StringMember("text", m.text);
    if (m.parts > 0)
        json.NumberMember("parts", m.parts);
    if (!m.route.empty())
        json.StringMember("route", m.route);
    json.EndObject();
}

void WriteMessages(JsonWriter& json, const std::vector<InboxMessage>& messages) {
    json.BeginArray();
    for (const auto& m : messages) WriteMessage(json, m);
    json.EndArray();
}

void WriteLogEntry(JsonWriter& json, const LogEntry& e) {
    json.BeginObject()
        .NumberMember("seq", static_cast<std::int64_t>(e.seq))
        .StringMember("time", e.time)
        .BoolMember("tls", e.tls)
        .TextMember("method", e.method)
        .TextMember("host", e.host)
        .TextMember("target", e.target)
        .TextMember("version", e.version)
        .Key("headers")
        .BeginArray();
    for (const auto& [name, value] : e.headers) {
        json.BeginArray().Text(name).Text(value).EndArray();
    }
    json.EndArray()
        .TextMember("body", e.body)
        .NumberMember("status", e.status)
        .StringMember("site", e.site)
        .OptionalTextMember("protocolError", e.protocolError)
        .Key("notes")
        .BeginArray();
    for (const auto& note : e.notes) json.Text(note);
    json.EndArray().OptionalTextMember("fault", e.fault).EndObject();
}

FaultKind ParseFaultKind(const std::string& name) {
    for (FaultKind kind :
         {FaultKind::Status, FaultKind::EmptyBody, FaultKind::Delay, FaultKind::Drop,
          FaultKind::ClientCertificate, FaultKind::Short, FaultKind::Cut, FaultKind::Tamper}) {
        if (FaultKindName(kind) == name)
            return kind;
    }
    throw BadParameter("unknown fault kind \"" + name +
                       "\" (status, empty, delay, drop, client-cert, short, cut, tamper)");
}

std::string Faults(const LabControl& lab) {
    JsonWriter json;
    json.BeginArray();
    for (const auto& p : lab.PendingFaults()) {
        json.BeginObject()
            .StringMember("host", p.host)
            .StringMember("kind", FaultKindName(p.fault.kind))
            .NumberMember("remaining", p.fault.count);
        if (!p.fault.path.empty())
            json.StringMember("path", p.fault.path);
        if (p.fault.kind == FaultKind::Status)
            json.NumberMember("status", p.fault.status);
        if (p.fault.kind == FaultKind::Delay)
            json.NumberMember("delay_ms", p.fault.delay.count());
        json.EndObject();
    }
    return json.EndArray().Take();
}

std::string Index(const LabControl& lab, const LabHosts& hosts) {
    JsonWriter json;
    json.BeginObject()
        .NumberMember("http", lab.Ports().http)
        .NumberMember("https", lab.Ports().https)
        .StringMember("ca", lab.CaCertificateFile().string())
        .Key("sites")
        .BeginArray();
    for (const auto& host : hosts.AllNames()) {
        int site = hosts.SiteOf(host);
        json.BeginObject()
            .StringMember("host", host)
            .StringMember("site", site == kMakerSite ? "maker" : SiteName(site))
            .BoolMember("tls", site != kMakerSite && UsesTls(site))
            .EndObject();
    }
    json.EndArray().Key("endpoints").BeginArray();
    for (const char* endpoint :
         {"GET /lab/phones",
          "POST /lab/phones number=&carrier=",
          "GET /lab/inboxes",
          "GET /lab/inboxes/NUMBER",
          "GET /lab/log?since=SEQ",
          "GET /lab/counter",
          "GET /lab/faults",
          "POST /lab/faults host=&kind=status|empty|delay|drop|client-cert|short|cut|tamper"
          "&count=&status=&delay_ms=&path=",
          "DELETE /lab/faults",
          "GET /lab/installer",
          "GET /lab/site",
          "POST /lab/site latest_version=",
          "GET /lab/modem",
          "GET /lab/modem/faults",
          "POST /lab/modem/faults kind=cms|sim-pin|no-answer|gone&cms=&number=&count=",
          "DELETE /lab/modem/faults",
          "GET /lab/web",
          "GET /lab/web/faults",
          "POST /lab/web/faults kind=refuse|invalid|busy|error|hang|not-json|redirect|huge"
          "&service=form|json|phone&number=&count=&retry_after=&text=&delay_ms=",
          "DELETE /lab/web/faults",
          "POST /lab/reset"}) {
        json.String(endpoint);
    }
    return json.EndArray().EndObject().Take();
}

std::string Site(const LabControl& lab) {
    return JsonWriter()
        .BeginObject()
        .StringMember("latestVersion", lab.LatestVersion())
        .StringMember("publicKey", lab.SigningPublicKey())
        .EndObject()
        .Take();
}

std::string Phones(const LabControl& lab) {
    JsonWriter json;
    json.BeginObject()
        .StringMember("rule",
                      "a ten-digit number's last digit is its carrier code; 0 is no carrier's")
        .Key("assigned")
        .BeginArray();
    for (const auto& [number, carrier] : lab.AssignedPhones()) {
        json.BeginObject()
            .StringMember("number", number)
            .StringMember("carrier", carrier == 0 ? "none" : std::string(CarrierName(carrier)))
            .EndObject();
    }
    json.EndArray().Key("inboxes").BeginObject();
    std::map<std::string, int> counts;
    for (const auto& m : lab.AllMessages()) ++counts[m.number];
    for (const auto& [number, count] : counts) {
        json.Key(number)
            .BeginObject()
            .StringMember("carrier", CarrierName(lab.CarrierOf(number)))
            .NumberMember("messages", count)
            .EndObject();
    }
    return json.EndObject().EndObject().Take();
}

}  // namespace

bool IsLabApiPath(const std::string& path) {
    return path == "/lab" || path.rfind("/lab/", 0) == 0;
}

SiteReply ServeLabApi(LabControl& lab, const LabHosts& hosts, const SiteRequest& request) {
    const std::string& path = request.path;
    const std::string& method = request.method;
    try {
        auto params = Params(request);
        if (path == "/lab" || path == "/lab/") {
            if (method == "GET")
                return Json(Index(lab, hosts));
        } else if (path == "/lab/phones") {
            if (method == "GET")
                return Json(Phones(lab));
            if (method == "POST") {
                std::string number = RequiredParam(params, "number");
                int carrier = ParseCarrier(RequiredParam(params, "carrier"));
                if (carrier < 0)
                    throw BadParameter("unknown carrier " + params["carrier"]);
                lab.AssignPhone(number, carrier);
                return Json(Phones(lab));
            }
        } else if (path == "/lab/inboxes") {
            if (method == "GET") {
                std::map<std::string, std::vector<InboxMessage>> byNumber;
                for (auto& m : lab.AllMessages()) byNumber[m.number].push_back(std::move(m));
                JsonWriter json;
                json.BeginObject();
                for (const auto& [number, messages] : byNumber) {
                    WriteMessages(json.Key(number), messages);
                }
                return Json(json.EndObject().Take());
            }
        } else if (path.rfind("/lab/inboxes/", 0) == 0) {
            if (method == "GET") {
                JsonWriter json;
                WriteMessages(json, lab.Inbox(path.substr(13)));
                return Json(json.Take());
            }
        } else if (path == "/lab/log") {
            if (method == "GET") {
                auto since = IntegerParam(params, "since", 0);
                JsonWriter json;
                json.BeginArray();
                for (const auto& e : lab.Log()) {
                    if (static_cast<std::int64_t>(e.seq) > since)
                        WriteLogEntry(json, e);
                }
                return Json(json.EndArray().Take());
            }
        } else if (path == "/lab/counter") {
            if (method == "GET") {
                CounterState c = lab.Counter();
                return Json(JsonWriter()
                                .BeginObject()
                                .NumberMember("total", c.total)
                                .NumberMember("reports", c.reports)
                                .EndObject()
                                .Take());
            }
        } else if (path == "/lab/faults") {
            if (method == "GET")
                return Json(Faults(lab));
            if (method == "DELETE") {
                lab.ClearFaults();
                return Json(Faults(lab));
            }
            if (method == "POST") {
                Fault fault;
                std::string host = HostPart(RequiredParam(params, "host"));
                fault.kind = ParseFaultKind(RequiredParam(params, "kind"));
                fault.count = IntegerParam(params, "count", 1);
                fault.status = IntegerParam(params, "status", 500);
                fault.delay = std::chrono::milliseconds(IntegerParam(params, "delay_ms", 1000));
                if (auto it = params.find("path"); it != params.end())
                    fault.path = it->second;
                if (hosts.SiteOf(host) == kNoSite)
                    throw BadParameter("the lab has no host " + host);
                lab.InjectFault(host, fault);
                return Json(Faults(lab));
            }
        } else if (path == "/lab/installer") {
            if (method == "GET") {
                JsonWriter json;
                json.BeginArray();
                for (const auto& run : lab.InstallerRuns()) {
                    json.BeginObject()
                        .StringMember("time", run.time)
                        .TextMember("arguments", run.arguments)
                        .EndObject();
                }
                return Json(json.EndArray().Take());
            }
        } else if (path == "/lab/site") {
            if (method == "POST")
                lab.SetLatestVersion(RequiredParam(params, "latest_version"));
            if (method == "GET" || method == "POST")
                return Json(Site(lab));
        } else if (IsModemApiPath(path)) {
            return ServeModemApi(lab.Modem(), method, path, params);
        } else if (IsWebApiPath(path)) {
            return ServeWebApi(lab.Web(), lab.Ports(), method, path, params);
        } else if (path == "/lab/reset") {
            if (method == "POST") {
                lab.Reset();
                return Json(
                    JsonWriter().BeginObject().BoolMember("reset", true).EndObject().Take());
            }
        } else {
            return ApiError(404, "no such endpoint: " + path);
        }
        return ApiError(405, method + " is not served at " + path);
    } catch (const BadParameter& e) {
        return ApiError(400, e.what());
    } catch (const LabError& e) {
        return ApiError(400, e.what());
    }
}

}  // namespace lab
