#pragma once
// A deadline for one blocking D-Bus call at a time: a watcher thread cancels the call's
// cancellable when its time is up or when shutdown is requested, so no call holds the worker.

#include <gio/gio.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "delivery/routes/GlibHandles.h"

class CCallDeadline {
public:
    CCallDeadline();
    ~CCallDeadline();
    CCallDeadline(const CCallDeadline&) = delete;
    CCallDeadline& operator=(const CCallDeadline&) = delete;

    // A fresh cancellable for the next call, cancelled after `limit` (or at shutdown) until
    // the next Arm.
    GCancellable* Arm(std::chrono::milliseconds limit);
    // True when the last armed call was cancelled by its deadline or by shutdown.
    bool Expired() const;

private:
    void Watch();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    GObjectPtr<GCancellable> m_cancellable;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_expired = false;
    bool m_stopping = false;
    std::thread m_watcher;
};
