#pragma once
// A worker thread with its own message queue and loop. Messages are handled one at a time
// through the class's message map; OnIdle runs when the queue has run empty, and again only
// after the next message has been handled.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/Message.h"

class CWorkerThread : public std::enable_shared_from_this<CWorkerThread> {
public:
    enum Priority { PriorityNormal = 0, PriorityHighest = 2 };

    CWorkerThread() = default;
    virtual ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts the thread; it keeps this object alive until its loop has ended. The priority is
    // applied where the system allows it.
    bool CreateThread(Priority priority = PriorityNormal);

    // Queues a message; false (payload dropped) when the thread is not accepting messages.
    bool PostThreadMessage(Message message);
    // Queues the messages together: none is handled before all are queued, so the thread never
    // goes idle between them.
    bool PostThreadMessages(std::vector<Message> messages);

    // Ends the loop after the message being handled; messages still queued are dropped.
    void PostQuitMessage();

    // Waits at most `timeout` for the thread to end; true when it has ended. A thread that does
    // not end in time is left to run on its own (it still holds this object).
    bool Join(std::chrono::milliseconds timeout);

    virtual const char* ClassName() const = 0;

protected:
    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return 0; }
    // Returns true to be called again at once while the queue stays empty.
    virtual bool OnIdle(long /*count*/) { return false; }
    // Looks the message up in the class's message map; false when there is no handler.
    virtual bool Dispatch(Message& message) = 0;

    template <class T>
    struct MessageMapEntry {
        std::uint32_t id;
        void (T::*handler)(Message&);
    };

    template <class T, std::size_t N>
    static bool DispatchFrom(T* self, const std::array<MessageMapEntry<T>, N>& map,
                             Message& message) {
        for (const auto& entry : map) {
            if (entry.id == message.id) {
                (self->*entry.handler)(message);
                return true;
            }
        }
        return false;
    }

private:
    void Run(std::shared_ptr<CWorkerThread> self, Priority priority);
    bool WaitForMessage(Message& out, bool& quit);

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Message> m_queue;
    bool m_accepting = false;
    bool m_quit = false;
    bool m_started = false;
    bool m_finished = false;
    std::thread m_thread;
};
