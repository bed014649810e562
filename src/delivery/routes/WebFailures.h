#pragma once
// What a failure on the web-service route tells the user, in the batch report's own words.

#include <string>
#include <string_view>

#include "delivery/routes/DeliveryRoute.h"

namespace web_failure {
inline constexpr std::string_view kPrefix = "Unable to deliver your message because ";
inline constexpr std::string_view kRefusedAccount =
    "Unable to deliver your message because the service refused the account or its secret";
inline constexpr std::string_view kTooMany =
    "Unable to deliver your message because the service had too many messages";
inline constexpr std::string_view kUnreadable =
    "Unable to deliver your message because the service's answer could not be read";
inline constexpr std::string_view kTimeout =
    "Unable to deliver your message because the service did not answer in time";
inline constexpr std::string_view kUnreachable =
    "Unable to deliver your message because the service could not be reached";
inline constexpr std::string_view kCertificate =
    "Unable to deliver your message because the service's certificate could not be verified";
// Also what the options' check says of a plain address that is not a private one.
inline constexpr std::string_view kPlainToPublic =
    "plain HTTP goes only to this computer or the local network: use https";
inline constexpr std::string_view kBadNumber =
    "Unable to deliver your message because the number does not have 10 digits";
inline constexpr std::string_view kClosing =
    "Unable to deliver your message because Quillo is closing";
// The longest text of the service's own that a reason repeats.
inline constexpr std::size_t kMaxServiceText = 160;
}  // namespace web_failure

inline RouteResult WebFailure(std::string reason, SendResult code = ResultUndeliverable) {
    return {code, std::move(reason), {}};
}
