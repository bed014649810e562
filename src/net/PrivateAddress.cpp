#include "net/PrivateAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace inet {
namespace {

struct Range {
    std::uint32_t network;
    int bits;
};

constexpr std::array<Range, 5> kPrivateV4 = {{
    {0x0A000000, 8},   // 10/8
    {0xAC100000, 12},  // 172.16/12
    {0xC0A80000, 16},  // 192.168/16
    {0x7F000000, 8},   // 127/8
    {0xA9FE0000, 16},  // 169.254/16, link-local
}};

bool PrivateV4(std::uint32_t address) {
    for (const Range& range : kPrivateV4) {
        const std::uint32_t mask = ~std::uint32_t{0} << (32 - range.bits);
        if ((address & mask) == range.network)
            return true;
    }
    return false;
}

bool PrivateV6(const in6_addr& address) {
    const std::uint8_t* b = address.s6_addr;
    if (IN6_IS_ADDR_LOOPBACK(&address))
        return true;
    if (IN6_IS_ADDR_V4MAPPED(&address)) {
        std::uint32_t v4 = 0;
        std::memcpy(&v4, b + 12, 4);
        return PrivateV4(ntohl(v4));
    }
    return (b[0] & 0xFE) == 0xFC                        // fc00::/7, unique local
           || (b[0] == 0xFE && (b[1] & 0xC0) == 0x80);  // fe80::/10, link-local
}

}  // namespace

bool IsPrivateAddress(const sockaddr& address) {
    if (address.sa_family == AF_INET)
        return PrivateV4(ntohl(reinterpret_cast<const sockaddr_in&>(address).sin_addr.s_addr));
    if (address.sa_family == AF_INET6)
        return PrivateV6(reinterpret_cast<const sockaddr_in6&>(address).sin6_addr);
    return false;
}

namespace {

std::string Unbracketed(std::string_view text) {
    if (text.size() > 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    return std::string(text);
}

}  // namespace

bool IsAddressText(std::string_view text) {
    const std::string address = Unbracketed(text);
    in_addr v4{};
    in6_addr v6{};
    return inet_pton(AF_INET, address.c_str(), &v4) == 1 ||
           inet_pton(AF_INET6, address.c_str(), &v6) == 1;
}

bool IsPrivateAddressText(std::string_view text) {
    const std::string address = Unbracketed(text);
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1)
        return PrivateV4(ntohl(v4.s_addr));
    in6_addr v6{};
    return inet_pton(AF_INET6, address.c_str(), &v6) == 1 && PrivateV6(v6);
}

std::string AddressText(const sockaddr& address) {
    std::array<char, INET6_ADDRSTRLEN> text{};
    const void* bytes =
        address.sa_family == AF_INET
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in&>(address).sin_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in6&>(address).sin6_addr);
    if (inet_ntop(address.sa_family, bytes, text.data(), text.size()) == nullptr)
        return "?";
    return text.data();
}

}  // namespace inet
