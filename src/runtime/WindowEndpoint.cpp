#include "runtime/WindowEndpoint.h"

#include "runtime/HandlerGuard.h"

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
    std::unique_lock lock(m_mutex);
    m_open = false;
    m_cv.notify_all();  // releases the waiting senders
    m_cv.wait(lock, [this] { return m_handingOver == 0; });
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

// Counts a worker in while it hands a call to the executor; Close() waits for the count to
// reach zero, so once it has returned no worker is inside the executor and none will enter it.
class CWindowEndpoint::HandOver {
public:
    explicit HandOver(CWindowEndpoint& endpoint) : m_endpoint(endpoint) {
        std::lock_guard lock(endpoint.m_mutex);
        m_open = endpoint.m_open;
        if (m_open)
            ++endpoint.m_handingOver;
    }
    ~HandOver() {
        if (!m_open)
            return;
        {
            std::lock_guard lock(m_endpoint.m_mutex);
            --m_endpoint.m_handingOver;
        }
        m_endpoint.m_cv.notify_all();
    }
    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    bool Open() const { return m_open; }

private:
    CWindowEndpoint& m_endpoint;
    bool m_open = false;
};

bool CWindowEndpoint::Post(Message message) {
    // std::function needs a copyable callable; the message moves in once and is shared. When
    // the window is closed it is dropped here, payload and all.
    auto shared = std::make_shared<Message>(std::move(message));
    HandOver handOver(*this);
    if (!handOver.Open())
        return false;
    m_executor([self = shared_from_this(), shared] { self->Run(*shared, nullptr); });
    return true;
}

std::intptr_t CWindowEndpoint::Send(Message message) {
    if (std::this_thread::get_id() == m_owner)
        return Handle(message);
    auto pending = std::make_shared<Pending>();
    auto shared = std::make_shared<Message>(std::move(message));
    {
        HandOver handOver(*this);
        if (!handOver.Open())
            return 0;
        m_executor(
            [self = shared_from_this(), shared, pending] { self->Run(*shared, pending.get()); });
    }
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return pending->done || !m_open; });
    return pending->done ? pending->result : 0;
}
