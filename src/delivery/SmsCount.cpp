#include "delivery/SmsCount.h"

#include <unordered_set>

#include "base/Unsendable.h"

namespace {

// The GSM 7-bit default alphabet beyond printable ASCII, and the one ASCII character it lacks
// ('@', '$' and '_' are there, in other places).
constexpr std::u32string_view kGsmExtras = U"£¥èéùìòÇØøÅåΔΦΓΛΩΠΨΣΘΞÆæßÉ¤¡ÄÖÑÜ§¿äöñüà";
constexpr char32_t kAsciiMissing = U'`';
// Reached through the escape: two septets each.
constexpr std::u32string_view kEscaped = U"\f^{}\\[~]|€";

constexpr int kGsmSingle = 160, kGsmPart = 153, kUcs2Single = 70, kUcs2Part = 67;

}  // namespace

int Gsm7Septets(char32_t c) noexcept {
    if (kEscaped.find(c) != std::u32string_view::npos)
        return 2;
    if (c == '\n' || c == '\r')
        return 1;
    if (c >= 0x20 && c < 0x7F)
        return c == kAsciiMissing ? 0 : 1;
    return kGsmExtras.find(c) == std::u32string_view::npos ? 0 : 1;
}

bool IsGsm7(char32_t c) noexcept {
    return Gsm7Septets(c) > 0;
}

int SmsParts(int units, bool ucs2) noexcept {
    if (units == 0)
        return 0;
    const int single = ucs2 ? kUcs2Single : kGsmSingle;
    const int part = ucs2 ? kUcs2Part : kGsmPart;
    return units <= single ? 1 : (units + part - 1) / part;
}

SmsCount CountSms(std::string_view utf8) {
    SmsCount count;
    int septets = 0, utf16 = 0, septetsWithout = 0;
    std::unordered_set<char32_t> seen;
    while (!utf8.empty()) {
        const auto [c, size] = DecodeUtf8(utf8);
        const int gsm = Gsm7Septets(c);
        septets += gsm;
        septetsWithout += gsm == 0 ? 1 : gsm;
        utf16 += c > 0xFFFF ? 2 : 1;
        if (gsm == 0 && seen.insert(c).second)
            count.costly.emplace_back(utf8.substr(0, size));
        utf8.remove_prefix(size);
    }
    count.ucs2 = !count.costly.empty();
    count.units = count.ucs2 ? utf16 : septets;
    count.parts = SmsParts(count.units, count.ucs2);
    count.partsWithoutCostly = SmsParts(septetsWithout, false);
    return count;
}

std::string ReplaceCostlyCharacters(std::string_view utf8) {
    return ReplaceLookAlikes(utf8, [](char32_t c) { return IsGsm7(c); });
}
