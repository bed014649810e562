#include "delivery/routes/ModemFailures.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

using namespace modem_failure;

struct ErrorRow {
    std::string_view name;  // the whole name, or the part after the ModemManager prefix
    std::string_view reason;
    SendResult code;
};

constexpr std::string_view kManagerPrefix = "org.freedesktop.ModemManager1.Error.";

// The errors of ModemManager (after its prefix), of the bus and of GIO's own calls.
constexpr std::array<ErrorRow, 25> kErrors = {{
    {"Serial.SendFailed", kModemGone, ResultNoConnection},
    {"Serial.OpenFailed", kModemGone, ResultNoConnection},
    {"Serial.ResponseTimeout", kTimeout, ResultNoConnection},
    {"Message.NoNetwork", kNoNetwork, ResultNoConnection},
    {"Message.NetworkTimeout", kNoNetwork, ResultNoConnection},
    {"MobileEquipment.NoNetwork", kNoNetwork, ResultNoConnection},
    {"MobileEquipment.NetworkTimeout", kNoNetwork, ResultNoConnection},
    {"Message.SimPin", kSimLocked, ResultUndeliverable},
    {"Message.SimPuk", kSimLocked, ResultUndeliverable},
    {"MobileEquipment.SimPin", kSimLocked, ResultUndeliverable},
    {"MobileEquipment.SimPuk", kSimLocked, ResultUndeliverable},
    {"Core.WrongSimState", kSimLocked, ResultUndeliverable},
    {"Message.NotAllowed", kNotAllowed, ResultUndeliverable},
    {"MobileEquipment.NotAllowed", kNotAllowed, ResultUndeliverable},
    {"Core.Unauthorized", kNotAllowed, ResultUndeliverable},
    {"Message.MemoryFull", kMemoryFull, ResultUndeliverable},
    {"Core.Cancelled", kTimeout, ResultNoConnection},
    {"org.freedesktop.DBus.Error.ServiceUnknown", kNoService, ResultNoConnection},
    {"org.freedesktop.DBus.Error.NameHasNoOwner", kNoService, ResultNoConnection},
    {"org.freedesktop.DBus.Error.UnknownObject", kModemGone, ResultNoConnection},
    {"org.freedesktop.DBus.Error.UnknownMethod", kModemGone, ResultNoConnection},
    {"org.freedesktop.DBus.Error.UnknownInterface", kModemGone, ResultNoConnection},
    {"org.freedesktop.DBus.Error.NoReply", kTimeout, ResultNoConnection},
    {"org.freedesktop.DBus.Error.Timeout", kTimeout, ResultNoConnection},
    {"org.freedesktop.DBus.Error.Disconnected", kNoService, ResultNoConnection},
}};

}  // namespace

RouteResult ModemFailure(std::string_view reason, SendResult code) {
    return {code, std::string(reason), {}};
}

RouteResult FailureForDbusError(std::string_view name) {
    std::string_view key = name;
    if (key.starts_with(kManagerPrefix))
        key.remove_prefix(kManagerPrefix.size());
    const auto* row = std::find_if(kErrors.begin(), kErrors.end(),
                                   [&](const ErrorRow& r) { return r.name == key; });
    return row == kErrors.end() ? ModemFailure(kRefused) : ModemFailure(row->reason, row->code);
}
