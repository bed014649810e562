#include "base/Shutdown.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

std::atomic<bool> g_shutdown{false};

std::mutex& SleepMutex() {
    static std::mutex m;
    return m;
}

std::condition_variable& SleepCv() {
    static std::condition_variable cv;
    return cv;
}

}  // namespace

bool ShutdownRequested() noexcept {
    return g_shutdown.load(std::memory_order_acquire);
}

void RequestShutdown() noexcept {
    {
        std::lock_guard lock(SleepMutex());
        g_shutdown.store(true, std::memory_order_release);
    }
    SleepCv().notify_all();
}

bool SleepUnlessShutdown(std::chrono::milliseconds duration) {
    std::unique_lock lock(SleepMutex());
    return !SleepCv().wait_for(lock, duration, [] { return ShutdownRequested(); });
}

void ResetShutdownForTests() noexcept {
    g_shutdown.store(false, std::memory_order_release);
}
