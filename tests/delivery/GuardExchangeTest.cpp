// A carrier exchange that throws, a bug included, reads as no connection, and what it threw is
// told on standard error first.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "delivery/carriers/Gateway.h"

TEST(GuardExchange, WhatAnExchangeThrowsIsReportedThenMappedToNoConnection) {
    testing::internal::CaptureStderr();
    const SendResult bug = GuardExchange("the Nextel exchange", []() -> SendResult {
        throw std::out_of_range("basic_string::substr");
    });
    const SendResult odd = GuardExchange("the Verizon exchange", []() -> SendResult { throw 7; });
    const std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_EQ(bug, ResultNoConnection);
    EXPECT_EQ(odd, ResultNoConnection);
    EXPECT_NE(errors.find("Quillo: the Nextel exchange: basic_string::substr\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("Quillo: the Verizon exchange: an exception of unknown type\n"),
              std::string::npos)
        << errors;
}
