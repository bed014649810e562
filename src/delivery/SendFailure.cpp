#include "delivery/SendFailure.h"

#include <array>
#include <string_view>

std::string StatusText(std::int32_t code) {
    static constexpr std::array<std::string_view, 8> kTexts = {
        "",
        "Unable to deliver your message to the destination carrier",
        "Unable to determine the carrier: message send failed",
        "The carrier selected for this number is incorrect",
        "Unable to deliver your message because a network connection was not detected",
        "Your message was sent, but delivery could not be confirmed",
        "You must enter a valid reply number or email address before this message can be sent",
        "You must enter a valid reply number before this message can be sent",
    };
    if (code < 1 || code >= static_cast<std::int32_t>(kTexts.size())) {
        return "Something weird happened.";
    }
    return std::string(kTexts[static_cast<std::size_t>(code)]);
}
