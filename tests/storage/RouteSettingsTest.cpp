#include <gtest/gtest.h>
#include <sys/stat.h>

#include "storage/RouteSettings.h"
#include "support/TempDir.h"

namespace {

TEST(RouteSettings, SavedSettingsComeBackAndOnlyTheUserMayReadThem) {
    TempDir dir;
    const auto file = RouteSettingsPath(dir.path());
    const RouteSettings saved{RouteModem, "44", "/org/freedesktop/ModemManager1/Modem/3", true};
    SaveRouteSettings(file, saved);
    EXPECT_EQ(LoadRouteSettings(file), saved);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(RouteSettings, WhatCannotBeReadKeepsTheCarriersForms) {
    TempDir dir;
    EXPECT_EQ(LoadRouteSettings(dir / "missing.conf"), RouteSettings{});
    WriteFileBytes(dir / "bad.conf",
                   "route=pigeon\ncountry-code=+44\ndelivery-reports=maybe\nnoise\nmodem=m1\n");
    RouteSettings expected;
    expected.modem = "m1";
    EXPECT_EQ(LoadRouteSettings(dir / "bad.conf"), expected);
}

}  // namespace
