#include "app/DeliveryChoices.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::array<std::string_view, 13> kStateTexts = {
    "failed",        "unknown",    "starting", "the SIM is locked",       "disabled",
    "disabling",     "enabling",   "enabled",  "searching for a network", "registered",
    "disconnecting", "connecting", "connected"};

constexpr std::array<std::string_view, 3> kExamples = {
    "https://api.example.com/2010-04-01", "https://api.example.com/v1", "http://192.168.1.20:8080"};

std::string OrDash(const std::string& text) {
    return text.empty() ? "-" : text;
}

}  // namespace

std::string ModemStateText(ModemState state) {
    return std::string(kStateTexts.at(static_cast<std::size_t>(state)));
}

ModemRow ModemRowOf(const ModemInfo& m) {
    std::string name = m.manufacturer;
    if (!m.model.empty())
        name += (name.empty() ? "" : " ") + m.model;
    return {OrDash(name), OrDash(m.ownNumber), OrDash(m.operatorName),
            std::to_string(m.signalQuality) + "%", ModemStateText(m.state)};
}

int DefaultModemChoice(const std::vector<ModemInfo>& modems, std::string_view named) {
    const auto pick = [&](auto match) {
        const auto it = std::find_if(modems.begin(), modems.end(), match);
        return it == modems.end() ? -1 : static_cast<int>(it - modems.begin());
    };
    if (!named.empty()) {
        if (int i =
                pick([&](const ModemInfo& m) { return m.path == named || m.deviceId == named; });
            i >= 0)
            return i;
    }
    const int enabled = pick([](const ModemInfo& m) { return m.enabled; });
    return enabled >= 0 || modems.empty() ? enabled : 0;
}

std::string ModemListNote(const ModemListing& listing) {
    if (!listing.problem.empty())
        return listing.problem;
    return listing.modems.empty() ? "No modem found" : "";
}

std::string ModemAdvice(const ModemInfo& modem) {
    if (modem.simLocked)
        return "The SIM is locked: unlock it with its PIN in your system's settings; Quillo "
               "never unlocks it.";
    if (!modem.enabled && modem.state == ModemState::Disabled)
        return "The modem is disabled: Enable turns it on.";
    return {};
}

std::string_view PresetExample(WebPreset preset) {
    return kExamples.at(static_cast<std::size_t>(preset));
}

bool IsUntouchedExample(std::string_view base) {
    return base.empty() || std::find(kExamples.begin(), kExamples.end(), base) != kExamples.end();
}

std::string SecretKey(const RouteSettings& s) {
    return std::string(WebPresetName(s.webPreset)) + ":" + s.webAccount;
}

std::string DeliveryProblem(const RouteSettings& s) {
    if (s.route != RouteCarrierForms && !IsCountryCode(s.countryCode))
        return "The country code is one to three digits.";
    std::string problem = s.route == RouteWebService ? WebRouteProblem(s) : std::string();
    // The route's clause follows "Unable to deliver your message because"; here it stands alone.
    if (!problem.empty()) {
        problem[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(problem[0])));
        problem += '.';
    }
    return problem;
}
