#include "storage/RouteSettings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <sstream>
#include <string_view>

#include "base/CaughtException.h"
#include "storage/ArchiveException.h"
#include "storage/SettingsFile.h"

namespace {

constexpr std::array<std::string_view, 3> kRouteNames = {"carrier-forms", "modem", "web-service"};
constexpr std::array<std::string_view, 3> kPresetNames = {"form-account", "json-token",
                                                          "phone-gateway"};

template <std::size_t N>
int IndexOf(const std::array<std::string_view, N>& names, std::string_view value) {
    const auto* it = std::find(names.begin(), names.end(), value);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

void ReadRoute(RouteSettings& s, std::string_view value) {
    if (const int i = IndexOf(kRouteNames, value); i >= 0)
        s.route = static_cast<DeliveryRoute>(i);
}
void ReadWebPreset(RouteSettings& s, std::string_view value) {
    if (const int i = IndexOf(kPresetNames, value); i >= 0)
        s.webPreset = static_cast<WebPreset>(i);
}
void ReadCountryCode(RouteSettings& s, std::string_view value) {
    if (IsCountryCode(value))
        s.countryCode = std::string(value);
}
void ReadModem(RouteSettings& s, std::string_view value) {
    s.modem = std::string(value);
}
void ReadWebBase(RouteSettings& s, std::string_view value) {
    s.webBase = std::string(value);
}
void ReadWebAccount(RouteSettings& s, std::string_view value) {
    s.webAccount = std::string(value);
}
void ReadWebSender(RouteSettings& s, std::string_view value) {
    s.webSender = std::string(value);
}
void ReadWebPerMinute(RouteSettings& s, std::string_view value) {
    int perMinute = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), perMinute);
    if (error == std::errc() && end == value.data() + value.size() &&
        perMinute >= kMinWebPerMinute && perMinute <= kMaxWebPerMinute)
        s.webPerMinute = perMinute;
}
void ReadDeliveryReports(RouteSettings& s, std::string_view value) {
    if (value == "yes" || value == "no")
        s.deliveryReports = value == "yes";
}

struct Key {
    std::string_view name;
    void (*read)(RouteSettings&, std::string_view);
};
constexpr std::array<Key, 9> kKeys = {{
    {"route", ReadRoute},
    {"country-code", ReadCountryCode},
    {"modem", ReadModem},
    {"delivery-reports", ReadDeliveryReports},
    {"web-preset", ReadWebPreset},
    {"web-base", ReadWebBase},
    {"web-account", ReadWebAccount},
    {"web-sender", ReadWebSender},
    {"web-per-minute", ReadWebPerMinute},
}};

// A value never spans lines: a line break typed into a field would start a key of its own.
std::string OneLine(std::string value) {
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return value;
}

}  // namespace

std::string_view WebPresetName(WebPreset preset) {
    return kPresetNames[std::min<std::size_t>(preset, kPresetNames.size() - 1)];
}

bool IsCountryCode(std::string_view code) {
    return !code.empty() && code.size() <= 3 &&
           std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::filesystem::path RouteSettingsPath(const std::filesystem::path& dataDirectory) {
    return dataDirectory / "route.conf";
}

RouteSettings LoadRouteSettings(const std::filesystem::path& file) {
    RouteSettings settings;
    std::error_code error;
    if (std::filesystem::status(file, error).type() == std::filesystem::file_type::not_found)
        return settings;  // none yet: the carriers' forms, as before
    std::string bytes;
    try {
        bytes = ReadWholeFile(file);
    } catch (const CArchiveException&) {
        ReportCaught("reading the route file");  // the carriers' forms meanwhile
        return settings;
    }
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string_view name = std::string_view(line).substr(0, eq);
        const auto* key =
            std::find_if(kKeys.begin(), kKeys.end(), [&](const Key& k) { return k.name == name; });
        if (key != kKeys.end())
            key->read(settings, std::string_view(line).substr(eq + 1));
    }
    return settings;
}

void SaveRouteSettings(const std::filesystem::path& file, const RouteSettings& settings) {
    const std::size_t route = std::min<std::size_t>(settings.route, kRouteNames.size() - 1);
    std::string text = "route=" + std::string(kRouteNames[route]) + "\n";
    text += "country-code=" + OneLine(settings.countryCode) + "\n";
    text += "modem=" + OneLine(settings.modem) + "\n";
    text += std::string("delivery-reports=") + (settings.deliveryReports ? "yes" : "no") + "\n";
    text += "web-preset=" + std::string(WebPresetName(settings.webPreset)) + "\n";
    text += "web-base=" + OneLine(settings.webBase) + "\n";
    text += "web-account=" + OneLine(settings.webAccount) + "\n";
    text += "web-sender=" + OneLine(settings.webSender) + "\n";
    text += "web-per-minute=" +
            std::to_string(std::clamp(settings.webPerMinute, kMinWebPerMinute, kMaxWebPerMinute)) +
            "\n";
    ReplaceFileAtomically(file, text);  // for its owner only, as every file of ours
}
