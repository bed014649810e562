// Killed at any moment of its writes, the program leaves a history that opens as it is and holds
// every batch it had committed, each one whole.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <random>
#include <regex>
#include <thread>

#include "history/HistoryStore.h"
#include "history/SqliteDatabase.h"
#include "history/SqliteStatement.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

int KillCount() {
    const char* count = std::getenv("QUILLO_CRASH_KILLS");
    return count != nullptr ? std::atoi(count) : 20;
}

TEST(HistoryCrashTest, SigkillDuringWritesKeepsEveryCommittedBatchWhole) {
    TempDir dir;
    std::mt19937 random(std::random_device{}());
    for (int kill = 0; kill < KillCount(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        ChildProcess writer(QUILLO_HISTORY_WRITE_LOOP, {dir.path().string()},
                            {"ASAN_OPTIONS=detect_leaks=0"});
        const std::regex recorded("recorded (\\d+)");
        ASSERT_NE(writer.WaitForLine(recorded, std::chrono::seconds(60)), "") << writer.Seen();
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
        ASSERT_EQ(writer.Signal(SIGKILL), 128 + SIGKILL);
        const std::string seen = writer.Seen();
        const long long last = std::stoll(seen.substr(seen.rfind("recorded ") + 9));

        CHistoryStore store;
        ASSERT_EQ(store.Open(HistoryFilePath(dir.path()), {}), HistoryStatus::Ready);
        store.Close();
        CSqliteDatabase db(HistoryFilePath(dir.path()), CSqliteDatabase::Mode::ReadOnly);
        CSqliteStatement check = db.Prepare("PRAGMA integrity_check");
        ASSERT_TRUE(check.Step());
        EXPECT_EQ(check.Text(0), "ok");
        const std::int64_t batches = db.QueryInt("SELECT count(*) FROM batch");
        EXPECT_GE(batches, last);
        EXPECT_EQ(db.QueryInt("SELECT max(id) FROM batch"), batches);
        EXPECT_EQ(db.QueryInt("SELECT count(*) FROM recipient"), 50 * batches);
        EXPECT_EQ(db.QueryInt("SELECT count(*) FROM message_ref"), 50 * batches);
        EXPECT_EQ(db.QueryInt("SELECT count(*) FROM batch_words"), batches);
    }
}

}  // namespace
