#pragma once
// What a failure on the modem route tells the user, in the batch report's own words.

#include <string_view>

#include "delivery/routes/DeliveryRoute.h"

namespace modem_failure {
inline constexpr std::string_view kNoService =
    "Unable to deliver your message because ModemManager is not running";
inline constexpr std::string_view kNoModem =
    "Unable to deliver your message because no modem was found";
inline constexpr std::string_view kModemGone =
    "Unable to deliver your message because the modem went away";
inline constexpr std::string_view kNoNetwork =
    "Unable to deliver your message because the modem has no network";
inline constexpr std::string_view kSimLocked =
    "Unable to deliver your message because the SIM is locked";
inline constexpr std::string_view kNotAllowed =
    "Unable to deliver your message because the network did not allow it";
inline constexpr std::string_view kMemoryFull =
    "Unable to deliver your message because the modem's memory is full";
inline constexpr std::string_view kTimeout =
    "Unable to deliver your message because the modem did not answer in time";
inline constexpr std::string_view kRefused =
    "Unable to deliver your message because the modem refused it";
inline constexpr std::string_view kBadNumber =
    "Unable to deliver your message because the number does not have 10 digits";
inline constexpr std::string_view kTooLong =
    "Unable to deliver your message because it would take more than 10 texts";
inline constexpr std::string_view kClosing =
    "Unable to deliver your message because Quillo is closing";
}  // namespace modem_failure

RouteResult ModemFailure(std::string_view reason, SendResult code = ResultUndeliverable);

// The failure a D-Bus error name stands for ("org.freedesktop.ModemManager1.Error.Message.
// NoNetwork", "org.freedesktop.DBus.Error.ServiceUnknown", ...); unknown names: refused.
RouteResult FailureForDbusError(std::string_view errorName);
