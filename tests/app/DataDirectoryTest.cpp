// Where settings and upgrades go: beside a portable copy, per user for an installed one.

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/Paths.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

TEST(DataDirectory, PortableCopyKeepsItsFilesButAnInstalledOrUnknownOneUsesTheUserFolder) {
    TempDir temp;
    const fs::path bin = temp / "bin" / "";
    fs::create_directories(bin);
    const char* before = std::getenv("XDG_DATA_HOME");
    const std::string saved = before != nullptr ? before : "";
    ::setenv("XDG_DATA_HOME", (temp / "xdg").c_str(), 1);
    EXPECT_FALSE(IsInstalledCopy(bin));
    EXPECT_EQ(DataDirectory(bin), bin);
    // An unknown folder is not the current one.
    EXPECT_EQ(DataDirectory(""), temp / "xdg" / "quillo" / "");

    const fs::path metainfo = temp / "share" / "metainfo";
    fs::create_directories(metainfo);
    WriteFileBytes(metainfo / (std::string(QUILLO_APP_ID) + ".metainfo.xml"), "<component/>");
    EXPECT_TRUE(IsInstalledCopy(bin));  // writable, as for root, and still shared
    EXPECT_EQ(DataDirectory(bin), temp / "xdg" / "quillo" / "");
    EXPECT_TRUE(fs::is_directory(temp / "xdg" / "quillo"));
    ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
}
