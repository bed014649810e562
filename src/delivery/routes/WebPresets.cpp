#include "delivery/routes/WebPresets.h"

#include <array>

#include "base/JsonValue.h"
#include "delivery/routes/WebRouteCheck.h"
#include "net/FormRequest.h"

namespace {

constexpr std::string_view kJsonHeaders =
    "Content-Type: application/json\r\nAccept: application/json\r\n";

std::string WithoutTrailingSlash(std::string base) {
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

// A path segment: unreserved characters stay, every other byte is "%XX".
std::string PathSegment(std::string_view text) {
    return PercentEncode(text, "-._~", false);
}

std::string Sender(const RouteSettings& s) {
    return WebSenderAddress(s.webSender, s.countryCode);
}

WebRequest FormAccount(const RouteSettings& s, std::string_view to, std::string_view text) {
    WebRequest r;
    r.url = WithoutTrailingSlash(s.webBase) + "/Accounts/" + PathSegment(s.webAccount) +
            "/Messages.json";
    r.headers = "Content-Type: application/x-www-form-urlencoded\r\nAccept: application/json\r\n";
    r.body =
        "To=" + FormEncode(to) + "&From=" + FormEncode(Sender(s)) + "&Body=" + FormEncode(text);
    r.basicAuth = true;
    return r;
}

WebRequest JsonToken(const RouteSettings& s, std::string_view to, std::string_view text) {
    WebRequest r;
    r.url = WithoutTrailingSlash(s.webBase) + "/messages";
    r.headers = std::string(kJsonHeaders) + "Authorization: Bearer " + s.webSecret + "\r\n";
    r.body = "{\"from\":" + JsonQuoted(Sender(s)) + ",\"to\":" + JsonQuoted(to) +
             ",\"text\":" + JsonQuoted(text) + "}";
    return r;
}

WebRequest PhoneGateway(const RouteSettings& s, std::string_view to, std::string_view text) {
    WebRequest r;
    r.url = WithoutTrailingSlash(s.webBase) + "/message";
    r.headers = std::string(kJsonHeaders);
    r.body = "{\"message\":" + JsonQuoted(text) + ",\"phoneNumbers\":[" + JsonQuoted(to) + "]}";
    r.basicAuth = true;
    return r;
}

struct Preset {
    WebRequest (*make)(const RouteSettings&, std::string_view, std::string_view);
    std::string_view idPath;
    std::string_view requiredPath;
};

// By WebPreset.
constexpr std::array<Preset, 3> kPresets = {{
    {FormAccount, "sid", "status"},
    {JsonToken, "data.id", ""},
    {PhoneGateway, "id", ""},
}};

const Preset& PresetOf(WebPreset preset) {
    const auto index = static_cast<std::size_t>(preset);
    return kPresets[index < kPresets.size() ? index : 0];
}

}  // namespace

WebRequest MakeWebRequest(const RouteSettings& settings, std::string_view to,
                          std::string_view text) {
    return PresetOf(settings.webPreset).make(settings, to, text);
}

std::string_view WebIdPath(WebPreset preset) {
    return PresetOf(preset).idPath;
}

std::string_view WebRequiredPath(WebPreset preset) {
    return PresetOf(preset).requiredPath;
}
