#pragma once
// How messages reach a window that lives on the user-interface thread. The window creates an
// endpoint with an executor (queue a call onto its thread) and a handler, and closes it, on its
// own thread, before it goes away. The executor is only ever called while the endpoint is open,
// and Close() waits for the calls in progress, so it may use the window; it may run the call at
// once or queue it, and calls that arrive after Close() handle nothing. Workers hold only a weak
// reference.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "runtime/Message.h"

class CWindowEndpoint : public std::enable_shared_from_this<CWindowEndpoint> {
public:
    using Executor = std::function<void(std::function<void()>)>;
    using Handler = std::function<std::intptr_t(Message&)>;

    // The endpoint belongs to the thread that creates it: handlers run there.
    static std::shared_ptr<CWindowEndpoint> Create(Executor executor, Handler handler);

    CWindowEndpoint(const CWindowEndpoint&) = delete;
    CWindowEndpoint& operator=(const CWindowEndpoint&) = delete;

    // Queues the message for the window; false (payload dropped) when the window is gone.
    bool Post(Message message);

    // Runs the handler on the window's thread and waits for its result. Returns 0 at once when
    // the window is gone, or as soon as it goes while the caller waits.
    std::intptr_t Send(Message message);

    // Called by the window, on its thread, as it goes away: later posts are dropped, waiting
    // senders released. Returns once no worker is handing a call to the executor, so it must
    // not be called from inside the executor itself.
    void Close();
    bool IsOpen() const;

private:
    struct PassKey {};

public:
    CWindowEndpoint(PassKey, Executor executor, Handler handler);

private:
    struct Pending;
    class HandOver;
    std::intptr_t Handle(Message& message);
    void Run(Message& message, Pending* pending);

    Executor m_executor;
    Handler m_handler;
    std::thread::id m_owner;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = true;
    int m_handingOver = 0;  // workers inside the executor
};
