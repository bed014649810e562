#include "net/ServerName.h"

#include <algorithm>
#include <cctype>

namespace inet {
namespace {

struct Parts {
    std::string_view host;
    std::optional<std::string_view> port;
};

bool IsHostChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool IsV6Char(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

// "[v6]" or "[v6]:port"; the host keeps its brackets.
std::optional<Parts> SplitBracketed(std::string_view server) {
    const std::size_t close = server.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    Parts parts{server.substr(0, close + 1), std::nullopt};
    const std::string_view rest = server.substr(close + 1);
    if (!rest.empty()) {
        if (rest.front() != ':')
            return std::nullopt;
        parts.port = rest.substr(1);
    }
    if (!std::all_of(parts.host.begin() + 1, parts.host.end() - 1, IsV6Char))
        return std::nullopt;
    return parts;
}

// "name" or "name:port".
std::optional<Parts> SplitPlain(std::string_view server) {
    Parts parts{server, std::nullopt};
    if (const std::size_t colon = server.find(':'); colon != std::string_view::npos) {
        parts.host = server.substr(0, colon);
        parts.port = server.substr(colon + 1);
    }
    if (!std::all_of(parts.host.begin(), parts.host.end(), IsHostChar))
        return std::nullopt;
    return parts;
}

// 1 to 65535, in at most five digits.
std::optional<std::uint16_t> ParsePort(std::string_view digits) {
    if (digits.empty() || digits.size() > 5)
        return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<ServerName> SplitServerName(std::string_view server, std::uint16_t defaultPort) {
    const std::optional<Parts> parts =
        !server.empty() && server.front() == '[' ? SplitBracketed(server) : SplitPlain(server);
    if (!parts || parts->host.empty())
        return std::nullopt;
    std::uint16_t port = defaultPort;
    if (parts->port) {
        const auto parsed = ParsePort(*parts->port);
        if (!parsed)
            return std::nullopt;
        port = *parsed;
    }
    return ServerName{std::string(parts->host), port};
}

}  // namespace inet
