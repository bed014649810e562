#include "base/WindowEndpoint.h"

#include "base/HandlerGuard.h"

struct CWindowEndpoint::Pending {
    bool done = false;
    std::intptr_t result = 0;
};

std::shared_ptr<CWindowEndpoint> CWindowEndpoint::Create(Executor executor, Handler handler) {
    return std::make_shared<CWindowEndpoint>(PassKey{}, std::move(executor), std::move(handler));
}

CWindowEndpoint::CWindowEndpoint(PassKey, Executor executor, Handler handler)
    : m_executor(std::move(executor)),
      m_handler(std::move(handler)),
      m_owner(std::this_thread::get_id()) {}

bool CWindowEndpoint::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_open;
}

void CWindowEndpoint::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_open = false;
    }
    m_cv.notify_all();
}

// On the window's thread, where Close() is called too: the window is either open for the whole
// handler or already closed, and then the message goes unhandled. A handler that throws is
// reported and answers 0.
std::intptr_t CWindowEndpoint::Handle(Message& message) {
    std::intptr_t result = 0;
    if (IsOpen())
        RunGuarded("window", message.id, [&] { result = m_handler(message); });
    return result;
}

void CWindowEndpoint::Run(Message& message, Pending* pending) {
    const std::intptr_t result = Handle(message);
    if (pending != nullptr) {
        {
            std::lock_guard lock(m_mutex);
            pending->result = result;
            pending->done = true;
        }
        m_cv.notify_all();
    }
}

// The call is handed to the executor under the lock that Close() takes, so once Close() has
// returned no worker is inside the executor and none will enter it: the window may go.
bool CWindowEndpoint::Post(Message message) {
    // std::function needs a copyable callable; the message moves in once and is shared. When
    // the window is closed it is dropped here, after the lock, payload and all.
    auto shared = std::make_shared<Message>(std::move(message));
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return false;
    m_executor([self = shared_from_this(), shared] { self->Run(*shared, nullptr); });
    return true;
}

std::intptr_t CWindowEndpoint::Send(Message message) {
    if (std::this_thread::get_id() == m_owner)
        return Handle(message);
    auto pending = std::make_shared<Pending>();
    auto shared = std::make_shared<Message>(std::move(message));
    std::unique_lock lock(m_mutex);
    if (!m_open)
        return 0;
    m_executor([self = shared_from_this(), shared, pending] { self->Run(*shared, pending.get()); });
    m_cv.wait(lock, [&] { return pending->done || !m_open; });
    return pending->done ? pending->result : 0;
}
