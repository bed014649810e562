#include "runtime/WorkerThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>

#include "runtime/HandlerGuard.h"

namespace {

// Raising a thread above normal needs privileges on Linux; without them it stays normal.
void ApplyPriority(CWorkerThread::Priority priority) {
    if (priority == CWorkerThread::PriorityNormal)
        return;
    auto tid = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, tid, -5);
}

}  // namespace

CWorkerThread::~CWorkerThread() {
    if (m_thread.joinable()) {
        // The last reference can go on the worker itself as its loop ends.
        if (m_thread.get_id() == std::this_thread::get_id()) {
            m_thread.detach();
        } else {
            m_thread.join();
        }
    }
}

bool CWorkerThread::CreateThread(Priority priority) {
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable() || m_finished)
        return false;
    m_accepting = true;
    m_started = true;
    try {
        m_thread = std::thread(&CWorkerThread::Run, this, shared_from_this(), priority);
    } catch (...) {
        std::fprintf(stderr, "Quillo: %s: its thread did not start: %s\n", ClassName(),
                     CurrentExceptionText());
        m_accepting = false;
        m_started = false;
        return false;
    }
    return true;
}

bool CWorkerThread::PostThreadMessage(Message message) {
    std::vector<Message> one;
    one.push_back(std::move(message));
    return PostThreadMessages(std::move(one));
}

bool CWorkerThread::PostThreadMessages(std::vector<Message> messages) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_accepting)
            return false;
        for (Message& message : messages) m_queue.push_back(std::move(message));
    }
    m_cv.notify_one();
    return true;
}

void CWorkerThread::PostQuitMessage() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_accepting = false;
    }
    m_cv.notify_all();
}

bool CWorkerThread::Join(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_cv.wait_for(lock, timeout, [this] { return !m_started || m_finished; })) {
        if (m_thread.joinable())
            m_thread.detach();
        return false;
    }
    lock.unlock();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
    return true;
}

bool CWorkerThread::WaitForMessage(Message& out, bool& quit) {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_quit || !m_queue.empty(); });
    if (m_quit) {
        quit = true;
        return false;
    }
    out = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

void CWorkerThread::Run(std::shared_ptr<CWorkerThread> self, Priority priority) {
    ApplyPriority(priority);
    if (InitInstance()) {
        bool idle = true;
        long idleCount = 0;
        bool quit = false;
        while (!quit) {
            while (idle) {
                bool empty;
                {
                    std::lock_guard lock(m_mutex);
                    empty = m_queue.empty() && !m_quit;
                }
                if (!empty || !OnIdle(idleCount++))
                    idle = false;
            }
            Message message;
            if (!WaitForMessage(message, quit))
                break;
            // Ids outside the application range and ids without a handler are dropped here,
            // payload and all; a handler that throws is reported and the loop goes on.
            if (IsAppMessage(message.id))
                RunGuarded(ClassName(), message.id, [&] { Dispatch(message); });
            idle = true;
            idleCount = 0;
        }
    }
    ExitInstance();
    std::deque<Message> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_accepting = false;
        dropped.swap(m_queue);
        m_finished = true;
    }
    dropped.clear();
    m_cv.notify_all();
    self.reset();
}
