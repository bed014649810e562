#pragma once
// A server name as the program's settings and resources write it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace inet {

// A server name split into host and port: "name", "name:port", "[v6]" or "[v6]:port".
struct ServerName {
    std::string host;
    std::uint16_t port;
};

// nullopt when the host is empty or the port part is not a port number.
std::optional<ServerName> SplitServerName(std::string_view server, std::uint16_t defaultPort);

}  // namespace inet
