// Which addresses plain HTTP may reach, and a private-network-only request to any other one.

#include <gtest/gtest.h>

#include "net/Internet.h"
#include "net/PrivateAddress.h"

namespace {

TEST(PrivateAddress, OnlyThisComputerAndPrivateNetworks) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"127.0.0.1", true},       {"127.255.0.9", true},  {"10.0.0.1", true},
        {"10.255.255.255", true},  {"172.16.0.1", true},   {"172.31.255.1", true},
        {"172.15.0.1", false},     {"172.32.0.1", false},  {"192.168.1.20", true},
        {"192.169.0.1", false},    {"169.254.10.1", true}, {"8.8.8.8", false},
        {"203.0.113.9", false},    {"::1", true},          {"[::1]", true},
        {"fc00::1", true},         {"fd12:3456::1", true}, {"fe80::1", true},
        {"fec0::1", false},        {"2001:db8::1", false}, {"::ffff:192.168.0.1", true},
        {"::ffff:8.8.8.8", false}, {"localhost", false},   {"", false},
    };
    for (const auto& [text, isPrivate] : cases)
        EXPECT_EQ(inet::IsPrivateAddressText(text), isPrivate) << text;
}

TEST(PrivateAddress, APublicAddressIsRefusedBeforeAnyConnection) {
    inet::HttpRequest request =
        inet::HttpRequest::ForUrl("Quillo", "http://203.0.113.9:9/message", 0, "POST");
    request.SetPrivateNetworkOnly(true);
    EXPECT_EQ(request.Send("", "{}"), inet::kErrorCannotConnect);
    EXPECT_EQ(request.RefusedAddress(), "203.0.113.9");
    EXPECT_EQ(request.StatusCode(), 0);
}

}  // namespace
