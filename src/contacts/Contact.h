#pragma once
// An address-book entry, the carrier codes and their display names.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum CarrierCode : std::int32_t {
    CarrierAutoDetect = 0,
    CarrierAllTel = 1,
    CarrierATTWireless = 2,
    CarrierBoost = 3,
    CarrierCingular = 4,
    CarrierNextel = 5,
    CarrierSprint = 6,
    CarrierTMobile = 7,
    CarrierUSCellular = 8,
    CarrierVerizon = 9,
};

inline constexpr int kCarrierCount = 10;

struct CContact {
    std::string Name;
    std::string AltName;  // only the oldest settings format fills it; never saved
    std::string Number;   // ten digits for every entry this program makes
    std::int32_t Carrier = CarrierAutoDetect;

    friend bool operator==(const CContact&, const CContact&) = default;
};

using AddressBook = std::vector<CContact>;

// "Auto-Detect", "AllTel", ... "Verizon", indexed by code: the items of every carrier list.
const std::vector<std::string>& CarrierNames();

// The display name of a code, or an empty text for a code outside 0..9.
std::string_view CarrierName(std::int32_t code) noexcept;
