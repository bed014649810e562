#pragma once
// Which addresses plain HTTP may carry a secret to: this computer and the private networks
// (10/8, 172.16/12, 192.168/16, 127/8, 169.254/16, ::1, fc00::/7, fe80::/10, and IPv4 ones
// written as IPv6).

#include <sys/socket.h>

#include <string>
#include <string_view>

namespace inet {

bool IsPrivateAddress(const sockaddr& address);
// The same for an address written as text ("10.1.2.3", "::1"); false for anything else,
// host names included.
bool IsPrivateAddressText(std::string_view text);
// Whether `text` is an IPv4 or IPv6 address (brackets allowed) rather than a name.
bool IsAddressText(std::string_view text);
// The address as text, for a message.
std::string AddressText(const sockaddr& address);

}  // namespace inet
