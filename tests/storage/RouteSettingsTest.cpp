#include <gtest/gtest.h>
#include <sys/stat.h>

#include "storage/RouteSettings.h"
#include "storage/SettingsFile.h"
#include "support/TempDir.h"

namespace {

TEST(RouteSettings, SavedSettingsComeBackWithoutTheSecretAndOnlyTheUserMayReadThem) {
    TempDir dir;
    const auto file = RouteSettingsPath(dir.path());
    RouteSettings saved{RouteWebService, "44", "/org/freedesktop/ModemManager1/Modem/3", true,
                        PresetPhoneGateway, "http://192.168.1.20:8080", "me", "", 12,
                        "s3cr:t@\xc3\xa9"};
    SaveRouteSettings(file, saved);
    EXPECT_EQ(ReadWholeFile(file).find("s3cr"), std::string::npos);
    saved.webSecret.clear();
    EXPECT_EQ(LoadRouteSettings(file), saved);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(RouteSettings, WhatCannotBeReadKeepsTheCarriersForms) {
    TempDir dir;
    EXPECT_EQ(LoadRouteSettings(dir / "missing.conf"), RouteSettings{});
    WriteFileBytes(dir / "bad.conf",
                   "route=pigeon\ncountry-code=+44\ndelivery-reports=maybe\nnoise\nmodem=m1\n"
                   "web-preset=fax\nweb-per-minute=0\nweb-per-minute=9x\n");
    RouteSettings expected;
    expected.modem = "m1";
    EXPECT_EQ(LoadRouteSettings(dir / "bad.conf"), expected);
}

}  // namespace
