#include "delivery/routes/WebRouteCheck.h"

#include <algorithm>
#include <array>

#include "base/Text.h"
#include "delivery/routes/ModemRoute.h"
#include "delivery/routes/WebFailures.h"
#include "net/PrivateAddress.h"

namespace {

constexpr std::size_t kMinInternationalDigits = 8;
constexpr std::size_t kMaxInternationalDigits = 15;

bool IsControlOrSpace(char c) {
    return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
}

std::string_view AfterScheme(std::string_view base) {
    for (std::string_view scheme : {"http://", "https://"}) {
        if (StartsWithNoCase(base, scheme))
            return base.substr(scheme.size());
    }
    return {};
}

std::string AddressProblem(const RouteSettings& s) {
    if (s.webBase.empty())
        return "the service address is empty";
    if (std::any_of(s.webBase.begin(), s.webBase.end(), IsControlOrSpace))
        return "the service address holds a space or a control character";
    if (AfterScheme(s.webBase).empty())
        return "the service address does not begin with http:// or https://";
    const std::string host = WebHostOf(s.webBase);
    if (host.empty())
        return "the service address names no host";
    // A name is judged when it is looked up; an address written out is judged here.
    if (IsPlainHttp(s.webBase) && inet::IsAddressText(host) && !inet::IsPrivateAddressText(host))
        return std::string(web_failure::kPlainToPublic);
    return {};
}

std::string SenderProblem(const RouteSettings& s) {
    if (!PresetHasSender(s.webPreset) || !WebSenderAddress(s.webSender, s.countryCode).empty())
        return {};
    return "the sender number is not a phone number";
}

std::string AccountProblem(const RouteSettings& s) {
    if (s.webPreset == PresetJsonToken || !s.webAccount.empty())
        return {};
    return "the account is empty";
}

std::string SecretProblem(const RouteSettings& s) {
    if (s.webSecret.empty())
        return "no secret is set for the service";
    // It goes into a header line: a line break would start another header.
    if (std::any_of(s.webSecret.begin(), s.webSecret.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        return "the secret holds a control character";
    return {};
}

using Check = std::string (*)(const RouteSettings&);
constexpr std::array<Check, 4> kChecks = {AddressProblem, SenderProblem, AccountProblem,
                                          SecretProblem};

}  // namespace

std::string WebRouteProblem(const RouteSettings& settings) {
    for (Check check : kChecks) {
        if (std::string problem = check(settings); !problem.empty())
            return problem;
    }
    return {};
}

bool IsPlainHttp(std::string_view base) {
    return StartsWithNoCase(base, "http://");
}

bool PresetHasSender(WebPreset preset) {
    return preset != PresetPhoneGateway;
}

std::string WebSenderAddress(std::string_view sender, std::string_view countryCode) {
    std::string digits;
    bool international = false;
    for (char c : sender) {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c == '+' && digits.empty() && !international)
            international = true;
        else if (std::string_view(" -().").find(c) == std::string_view::npos)
            return {};
    }
    if (!international)
        return ModemAddress(digits, countryCode);
    if (digits.size() < kMinInternationalDigits || digits.size() > kMaxInternationalDigits)
        return {};
    return "+" + digits;
}

std::string WebHostOf(std::string_view base) {
    std::string_view rest = AfterScheme(base);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const std::size_t at = rest.rfind('@'); at != std::string_view::npos)
        rest.remove_prefix(at + 1);
    if (rest.starts_with('[')) {
        const std::size_t close = rest.find(']');
        return close == std::string_view::npos ? std::string()
                                               : std::string(rest.substr(1, close - 1));
    }
    return std::string(rest.substr(0, rest.find(':')));
}
