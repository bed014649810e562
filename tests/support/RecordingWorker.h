#pragma once
// A worker that stands in for one of the program's threads and records what it is sent, in the
// order its queue delivers it.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "runtime/WorkerThread.h"

class RecordingWorker : public CWorkerThread {
public:
    const char* ClassName() const override { return "RecordingWorker"; }

    std::vector<Message> Messages() const {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

    bool WaitForCount(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [&] { return m_messages.size() >= count; });
    }

protected:
    bool Dispatch(Message& message) override {
        {
            std::lock_guard lock(m_mutex);
            m_messages.push_back(message);
        }
        m_cv.notify_all();
        return true;
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    std::vector<Message> m_messages;
};
