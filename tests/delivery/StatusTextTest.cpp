#include <gtest/gtest.h>

#include "delivery/SendFailure.h"

TEST(StatusText, ACodeOutsideOneToSevenIsWeird) {
    for (std::int32_t code : {0, 8, -1, 1000}) {
        EXPECT_EQ(StatusText(code), "Something weird happened.") << code;
    }
}
