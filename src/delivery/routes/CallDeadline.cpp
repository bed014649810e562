#include "delivery/routes/CallDeadline.h"

#include "base/Shutdown.h"

namespace {

// How often the watcher looks at the shutdown flag, which has no wait of its own.
constexpr std::chrono::milliseconds kShutdownPoll{100};

}  // namespace

CCallDeadline::CCallDeadline() : m_watcher([this] { Watch(); }) {}

CCallDeadline::~CCallDeadline() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_watcher.join();
}

GCancellable* CCallDeadline::Arm(std::chrono::milliseconds limit) {
    std::lock_guard lock(m_mutex);
    m_cancellable.reset(g_cancellable_new());
    m_deadline = std::chrono::steady_clock::now() + limit;
    m_expired = false;
    m_changed.notify_all();
    return m_cancellable.get();
}

bool CCallDeadline::Expired() const {
    std::lock_guard lock(m_mutex);
    return m_expired;
}

void CCallDeadline::Watch() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        m_changed.wait_for(lock, kShutdownPoll);
        if (!m_cancellable || m_expired)
            continue;
        if (std::chrono::steady_clock::now() >= m_deadline || ShutdownRequested()) {
            m_expired = true;
            g_cancellable_cancel(m_cancellable.get());
        }
    }
}
