#include "carrier-lab/LabWebApi.h"

#include "carrier-lab/JsonWriter.h"
#include "carrier-lab/WebServices.h"

namespace lab {

namespace {

constexpr WebService kAllServices[] = {WebService::Form, WebService::Json, WebService::Phone};

WebFault ReadFault(const std::map<std::string, std::string>& params) {
    WebFault fault;
    const auto kind = params.find("kind");
    const auto parsed = kind == params.end() ? std::nullopt : ParseWebFaultKind(kind->second);
    if (!parsed)
        throw LabError(
            "kind must be refuse, invalid, busy, error, hang, not-json, redirect or huge");
    fault.kind = *parsed;
    if (const auto service = params.find("service"); service != params.end()) {
        fault.service = ParseWebService(service->second);
        if (!fault.service)
            throw LabError("service must be form, json or phone");
    }
    if (const auto number = params.find("number"); number != params.end())
        fault.number = number->second;
    if (const auto text = params.find("text"); text != params.end())
        fault.text = text->second;
    fault.count = IntegerParam(params, "count", fault.count);
    fault.retryAfter = IntegerParam(params, "retry_after", fault.retryAfter);
    fault.delay = std::chrono::milliseconds(
        IntegerParam(params, "delay_ms", static_cast<int>(fault.delay.count())));
    return fault;
}

std::string Faults(const WebServices& web) {
    JsonWriter json;
    json.BeginArray();
    for (const WebFault& f : web.Faults()) {
        json.BeginObject()
            .StringMember("kind", WebFaultKindName(f.kind))
            .StringMember("service", f.service ? WebServiceName(*f.service) : "")
            .StringMember("number", f.number)
            .NumberMember("remaining", f.count)
            .EndObject();
    }
    return json.EndArray().Take();
}

std::string Services(const WebServices& web, const LabPorts& ports) {
    JsonWriter json;
    json.BeginObject().StringMember("account", web.Account()).Key("services").BeginArray();
    for (WebService service : kAllServices) {
        const std::string path = WebServices::BasePath(service);
        json.BeginObject()
            .StringMember("service", WebServiceName(service))
            .StringMember("http", "http://127.0.0.1:" + std::to_string(ports.http) + path)
            .StringMember("https", "https://localhost:" + std::to_string(ports.https) + path)
            .EndObject();
    }
    return json.EndArray().EndObject().Take();
}

}  // namespace

bool IsWebApiPath(const std::string& path) {
    return path == "/lab/web" || path.rfind("/lab/web/", 0) == 0;
}

SiteReply ServeWebApi(WebServices& web, const LabPorts& ports, const std::string& method,
                      const std::string& path, const std::map<std::string, std::string>& params) {
    if (path == "/lab/web" && method == "GET")
        return JsonReply(Services(web, ports));
    if (path != "/lab/web/faults")
        throw LabError("no such endpoint: " + path);
    if (method == "POST")
        web.AddFault(ReadFault(params));
    else if (method == "DELETE")
        web.ClearFaults();
    else if (method != "GET")
        throw LabError(method + " is not served at " + path);
    return JsonReply(Faults(web));
}

}  // namespace lab
