#include "app/SmsPreview.h"

#include <algorithm>

#include "base/Unsendable.h"
#include "delivery/SmsCount.h"

namespace {

constexpr std::size_t kMostNamedCharacters = 20;

std::string Texts(int n) {
    return std::to_string(n) + (n == 1 ? " text" : " texts");
}

std::size_t Characters(std::string_view utf8) {
    std::size_t count = 0;
    for (; !utf8.empty(); ++count) utf8.remove_prefix(DecodeUtf8(utf8).second);
    return count;
}

// "☺ makes this 3 texts instead of 1"
std::string CostlyLine(const SmsCount& count) {
    std::string names;
    const std::size_t named = std::min(count.costly.size(), kMostNamedCharacters);
    for (std::size_t i = 0; i < named; ++i) names += (i ? " " : "") + count.costly[i];
    if (named < count.costly.size())
        names += " \u2026";
    const bool one = count.costly.size() == 1;
    if (count.parts == count.partsWithoutCostly)
        return names + (one ? " needs UCS-2 but costs" : " need UCS-2 but cost") + " no extra text";
    return names + (one ? " makes" : " make") + " this " + Texts(count.parts) + " instead of " +
           std::to_string(count.partsWithoutCostly);
}

}  // namespace

PreviewReadOut MakeSmsReadOut(std::string_view typed) {
    PreviewReadOut out;
    if (typed.empty())
        return out;
    const SmsCount count = CountSms(typed);
    const std::size_t characters = Characters(typed);
    out.text = std::to_string(characters) + "/" + std::to_string(count.parts);
    out.toolTip = std::to_string(characters) + (characters == 1 ? " character" : " characters") +
                  " in " + Texts(count.parts) + (count.ucs2 ? " (UCS-2)" : " (GSM 7-bit)");
    if (count.ucs2)
        out.toolTip += "\n" + CostlyLine(count);
    if (count.parts > kMostSmsParts) {
        out.warning = true;
        out.text = "\u26A0 " + out.text;
        out.toolTip += "\nMore than " + std::to_string(kMostSmsParts) +
                       " texts: the modem will not send it";
    }
    return out;
}

std::string_view ReplaceActionText(DeliveryRoute route) {
    return route != RouteCarrierForms ? "Replace characters that cost extra texts"
                               : "Replace unsendable characters";
}

std::string ReplaceForRoute(DeliveryRoute route, std::string_view typed) {
    return route != RouteCarrierForms ? ReplaceCostlyCharacters(typed) : ReplaceUnsendable(typed);
}
