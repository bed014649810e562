#include "base/WindowEndpoint.h"

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

// On the window's thread: handle the message unless the window has gone meanwhile.
void CWindowEndpoint::Run(Message& message, Pending* pending) {
    std::intptr_t result = 0;
    if (IsOpen())
        result = m_handler(message);
    if (pending != nullptr) {
        {
            std::lock_guard lock(m_mutex);
            pending->result = result;
            pending->done = true;
        }
        m_cv.notify_all();
    }
}

bool CWindowEndpoint::Post(Message message) {
    if (!IsOpen())
        return false;
    // std::function needs a copyable callable; the message moves in once and is shared.
    auto shared = std::make_shared<Message>(std::move(message));
    m_executor([self = shared_from_this(), shared] { self->Run(*shared, nullptr); });
    return true;
}

std::intptr_t CWindowEndpoint::Send(Message message) {
    if (std::this_thread::get_id() == m_owner) {
        return IsOpen() ? m_handler(message) : 0;
    }
    if (!IsOpen())
        return 0;
    auto pending = std::make_shared<Pending>();
    auto shared = std::make_shared<Message>(std::move(message));
    m_executor([self = shared_from_this(), shared, pending] { self->Run(*shared, pending.get()); });
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return pending->done || !m_open; });
    return pending->done ? pending->result : 0;
}
