// The real program, in a folder of its own: a signal closes its window the normal way, so the
// settings are saved; a second signal while closing ends it at once.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct Case {
    std::vector<int> signals;
    int exitCode;
    bool saved;  // a second signal may come before or after the save: not checked then
};

class ShutdownSignalsTest : public ::testing::TestWithParam<Case> {};

TEST_P(ShutdownSignalsTest, ClosesTheWindowAndSavesOrEndsAtOnce) {
    TempDir temp;
    // A portable copy keeps its settings beside itself: here, inside the temporary folder.
    const fs::path program = temp / "quillo";
    fs::copy_file(QUILLO_PROGRAM, program);
    ChildProcess quillo(
        program, {},
        {"QT_QPA_PLATFORM=offscreen", "HOME=" + temp.path().string(),
         "XDG_DATA_HOME=" + (temp / "xdg").string(), "ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_TRUE(quillo.WaitUntilCatching(SIGTERM, std::chrono::seconds(20))) << quillo.Seen();

    for (std::size_t i = 0; i + 1 < GetParam().signals.size(); ++i) {
        kill(quillo.Pid(), GetParam().signals[i]);
        // Two signals of one kind pending at once are one: send the next once this one is in.
        ASSERT_TRUE(quillo.WaitUntilDelivered(GetParam().signals[i], std::chrono::seconds(5)));
    }
    EXPECT_EQ(quillo.Signal(GetParam().signals.back()), GetParam().exitCode) << quillo.Seen();
    if (GetParam().saved) {
        EXPECT_TRUE(fs::exists(temp / "Quillo.bin"));
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, ShutdownSignalsTest,
                         ::testing::Values(Case{{SIGTERM}, 0, true}, Case{{SIGINT}, 0, true},
                                           Case{{SIGHUP}, 0, true},
                                           Case{{SIGTERM, SIGTERM}, 128 + SIGTERM, false}));

}  // namespace
