#include "carrier-lab/LabModemApi.h"

#include "carrier-lab/JsonWriter.h"
#include "carrier-lab/LabModem.h"
#include "carrier-lab/LabServer.h"

namespace lab {

namespace {

SiteReply Error(std::string_view message, int status) {
    return JsonReply(JsonWriter().BeginObject().StringMember("error", message).EndObject().Take(),
                     status);
}

std::string Faults(const LabModem& modem) {
    JsonWriter json;
    json.BeginArray();
    for (const ModemFault& f : modem.Faults()) {
        json.BeginObject()
            .StringMember("kind", ModemFaultKindName(f.kind))
            .StringMember("number", f.number)
            .NumberMember("remaining", f.count);
        if (f.kind == ModemFaultKind::CmsError)
            json.NumberMember("cms", f.cms);
        json.EndObject();
    }
    return json.EndArray().Take();
}

ModemFault ReadFault(const std::map<std::string, std::string>& params) {
    ModemFault fault;
    const auto kind = params.find("kind");
    const auto parsed = kind == params.end() ? std::nullopt : ParseModemFaultKind(kind->second);
    if (!parsed)
        throw LabError("kind must be cms, sim-pin, no-answer, gone, report-failed or no-report");
    fault.kind = *parsed;
    fault.cms = IntegerParam(params, "cms", fault.cms);
    fault.count = IntegerParam(params, "count", fault.count);
    if (const auto number = params.find("number"); number != params.end())
        fault.number = number->second;
    return fault;
}

bool ReadSimLocked(const std::map<std::string, std::string>& params) {
    const auto sim = params.find("sim");
    if (sim == params.end() || (sim->second != "locked" && sim->second != "ready"))
        throw LabError("sim must be locked or ready");
    return sim->second == "locked";
}

}  // namespace

bool IsModemApiPath(const std::string& path) {
    return path == "/lab/modem" || path.rfind("/lab/modem/", 0) == 0;
}

SiteReply ServeModemApi(LabModem* modem, const std::string& method, const std::string& path,
                        const std::map<std::string, std::string>& params) {
    if (!modem)
        return Error("the lab runs without a modem (--modem SOCKET)", 404);
    if (path == "/lab/modem" && (method == "GET" || method == "POST")) {
        if (method == "POST")
            modem->SetSimLocked(ReadSimLocked(params));
        return JsonReply(JsonWriter()
                             .BeginObject()
                             .StringMember("socket", modem->SocketName())
                             .BoolMember("connected", modem->Connected())
                             .NumberMember("pdus", static_cast<std::int64_t>(modem->PdusReceived()))
                             .StringMember("sim", modem->SimLocked() ? "locked" : "ready")
                             .NumberMember("pinsEntered", modem->PinsEntered())
                             .EndObject()
                             .Take());
    }
    if (path != "/lab/modem/faults")
        return Error("no such endpoint: " + path, 404);
    if (method == "POST")
        modem->AddFault(ReadFault(params));
    else if (method == "DELETE")
        modem->ClearFaults();
    else if (method != "GET")
        return Error(method + " is not served at " + path, 405);
    return JsonReply(Faults(*modem));
}

}  // namespace lab
