#pragma once
// The process-wide shutdown flag: once set, network transfers abort and waits end early.

#include <chrono>

bool ShutdownRequested() noexcept;
void RequestShutdown() noexcept;

// Sleeps for `duration` unless shutdown is requested meanwhile; false when cut short.
bool SleepUnlessShutdown(std::chrono::milliseconds duration);

// Test-only: clear the flag so that the next test starts afresh.
void ResetShutdownForTests() noexcept;
