#include <gtest/gtest.h>

#include "delivery/SendFailure.h"

TEST(StatusText, EachCodeHasItsTextAndAnythingElseIsWeird) {
    EXPECT_EQ(StatusText(1), "Unable to deliver your message to the destination carrier");
    EXPECT_EQ(StatusText(2), "Unable to determine the carrier: message send failed");
    EXPECT_EQ(StatusText(3), "The carrier selected for this number is incorrect");
    EXPECT_EQ(StatusText(4),
              "Unable to deliver your message because a network connection was not detected");
    EXPECT_EQ(StatusText(5), "Your message was sent, but delivery could not be confirmed");
    EXPECT_EQ(StatusText(6),
              "You must enter a valid reply number or email address before this message can be "
              "sent");
    EXPECT_EQ(StatusText(7), "You must enter a valid reply number before this message can be sent");
    for (std::int32_t code : {0, 8, -1, 1000}) {
        EXPECT_EQ(StatusText(code), "Something weird happened.") << code;
    }
}
