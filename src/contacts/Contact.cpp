#include "contacts/Contact.h"

const std::vector<std::string>& CarrierNames() {
    static const std::vector<std::string> names = {
        "Auto-Detect", "AllTel",     "AT&T Wireless", "Boost Mobile", "Cingular",
        "Nextel",      "Sprint PCS", "T-Mobile",      "US Cellular",  "Verizon",
    };
    return names;
}

std::string_view CarrierName(std::int32_t code) noexcept {
    if (code < 0 || code >= kCarrierCount)
        return {};
    return CarrierNames()[static_cast<size_t>(code)];
}
