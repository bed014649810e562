#include "storage/RouteSettings.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <string_view>

#include "base/CaughtException.h"
#include "storage/ArchiveException.h"
#include "storage/SettingsFile.h"

namespace {

constexpr std::array<std::string_view, 2> kRouteNames = {"carrier-forms", "modem"};

bool AllDigits(std::string_view text) {
    return !text.empty() && text.size() <= 3 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void ReadRoute(RouteSettings& s, std::string_view value) {
    const auto* it = std::find(kRouteNames.begin(), kRouteNames.end(), value);
    if (it != kRouteNames.end())
        s.route = static_cast<DeliveryRoute>(it - kRouteNames.begin());
}
void ReadCountryCode(RouteSettings& s, std::string_view value) {
    if (AllDigits(value))
        s.countryCode = std::string(value);
}
void ReadModem(RouteSettings& s, std::string_view value) {
    s.modem = std::string(value);
}
void ReadDeliveryReports(RouteSettings& s, std::string_view value) {
    if (value == "yes" || value == "no")
        s.deliveryReports = value == "yes";
}

struct Key {
    std::string_view name;
    void (*read)(RouteSettings&, std::string_view);
};
constexpr std::array<Key, 4> kKeys = {{
    {"route", ReadRoute},
    {"country-code", ReadCountryCode},
    {"modem", ReadModem},
    {"delivery-reports", ReadDeliveryReports},
}};

}  // namespace

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
    text += "country-code=" + settings.countryCode + "\n";
    text += "modem=" + settings.modem + "\n";
    text += std::string("delivery-reports=") + (settings.deliveryReports ? "yes" : "no") + "\n";
    ReplaceFileAtomically(file, text);  // for its owner only, as every file of ours
}
