#pragma once
// A fixture base that gives every core test a clean process state and puts it back afterwards:
// fresh settings with the program's folder in a temporary place, no targets registered, no
// string overrides, the shutdown flag clear, and a recorder in place of the user interface.

#include <gtest/gtest.h>

#include "base/Shutdown.h"
#include "res/StringTable.h"
#include "runtime/PostToTarget.h"
#include "service/CounterReport.h"
#include "storage/AppSettings.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        Reset();
        AppSettings().ExeDirectory = programDir.path() / "";
        ui = RecordingUi::Install();
    }
    void TearDown() override {
        // A report still queued must not reach the next test's servers.
        EXPECT_TRUE(WaitForCounterReports(std::chrono::seconds(30)));
        Reset();
        InstallUiServices(nullptr);
    }

    static void Reset() {
        RegisterMainWindow(nullptr);
        RegisterWorker(PostTarget::CoreThread, nullptr);
        RegisterWorker(PostTarget::QueueThread, nullptr);
        AppSettings().Clear();
        ResetStringOverridesForTests();
        ResetShutdownForTests();
    }

    std::shared_ptr<RecordingUi> ui;
    TempDir programDir;
};
