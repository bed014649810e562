#include <gtest/gtest.h>

#include "res/StringTable.h"

TEST(StringTable, FixedEntriesDeploymentValuesAndOverrides) {
    EXPECT_EQ(LoadString(IDS_PASSPHRASE), "qmvtrakelop");
    EXPECT_EQ(LoadString(IDS_TMOBILE_PATH), "/smsportal/index.html?act=smsc&locale=en");
    EXPECT_EQ(LoadString(IDS_USCELLULAR_PATH), "uscwmss");
    EXPECT_EQ(LoadString(IDS_VERSION), "1.06");
    EXPECT_EQ(LoadString(IDS_MESSAGE_SENT), "Your message was sent!");
    // The default deployment points at the carrier lab on loopback.
    EXPECT_EQ(LoadString(IDS_ALLTEL_HOST), "alltel.lab.localhost:47080");
    EXPECT_EQ(LoadString(IDS_VERIZON_HOST), "verizon.lab.localhost:47443");
    EXPECT_EQ(LoadString(999), "");

    OverrideStringForTests(IDS_ALLTEL_HOST, "127.0.0.1:1234");
    EXPECT_EQ(LoadString(IDS_ALLTEL_HOST), "127.0.0.1:1234");
    ResetStringOverridesForTests();
    EXPECT_EQ(LoadString(IDS_ALLTEL_HOST), "alltel.lab.localhost:47080");
}
