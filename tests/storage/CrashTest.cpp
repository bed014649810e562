// Killed at any moment of its save, the program leaves a settings file that decodes to a whole
// record: the one before the save or the one after it, never anything else.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <random>
#include <regex>
#include <thread>

#include "SettingsFixture.h"
#include "support/ChildProcess.h"

namespace {

int KillCount() {
    const char* count = std::getenv("QUILLO_CRASH_KILLS");
    return count != nullptr ? std::atoi(count) : 20;
}

class CrashTest : public SettingsFileTest {};

TEST_F(CrashTest, SigkillDuringSavesLeavesTheOldOrTheNewRecord) {
    std::mt19937 random(std::random_device{}());
    const int kills = KillCount();
    for (int kill = 0; kill < kills; ++kill) {
        ChildProcess saver(QUILLO_SAVE_LOOP, {dir.path().string()},
                           {"ASAN_OPTIONS=detect_leaks=0"});
        std::smatch saved;
        std::string line = saver.WaitForLine(std::regex("saved (\\d+)"), std::chrono::seconds(60));
        ASSERT_TRUE(std::regex_search(line, saved, std::regex("saved (\\d+)"))) << saver.Seen();
        // A moment somewhere in the next save or the one after it.
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 400));
        ASSERT_EQ(saver.Signal(SIGKILL), 128 + SIGKILL);
        const std::string seen = saver.Seen();
        const int last = std::stoi(seen.substr(seen.rfind("saved ") + 6));

        Restart();
        ASSERT_EQ(AppSettings().AddressBook.size(), 100000u) << "after kill " << kill;
        EXPECT_EQ(AppSettings().AddressBook.back().Name, "Contact 99999");
        // Lines still in the pipe are not read: the file may be any save from the last one read.
        EXPECT_GE(AppSettings().MessageCount.load(), last);
        EXPECT_TRUE(ui->MessageTexts().empty());
    }
}

}  // namespace
