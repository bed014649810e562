#include "support/TestWindow.h"

#include <future>

#include "runtime/PostToTarget.h"

TestWindow::TestWindow() {
    m_thread = std::thread(&TestWindow::Loop, this);
    // The endpoint must be created on the window's own thread, as a real window's is.
    std::promise<std::shared_ptr<CWindowEndpoint>> made;
    Execute([&] {
        made.set_value(CWindowEndpoint::Create(
            [this](std::function<void()> call) { Execute(std::move(call)); },
            [this](Message& m) -> std::intptr_t {
                Handler handler;
                {
                    std::lock_guard lock(m_mutex);
                    m_messages.push_back(m);
                    handler = m_handler;
                }
                m_cv.notify_all();
                return handler ? handler(m) : 1;
            }));
    });
    m_endpoint = made.get_future().get();
}

TestWindow::~TestWindow() {
    Close();
    if (MainWindowEndpoint() == m_endpoint)
        RegisterMainWindow(nullptr);
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void TestWindow::RegisterAsMainWindow() {
    RegisterMainWindow(m_endpoint);
}

void TestWindow::SetHandler(Handler handler) {
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

void TestWindow::Close() {
    std::promise<void> done;
    Execute([&] {
        m_endpoint->Close();
        done.set_value();
    });
    done.get_future().wait();
}

void TestWindow::Execute(std::function<void()> call) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        m_calls.push_back(std::move(call));
    }
    m_cv.notify_all();
}

void TestWindow::Loop() {
    for (;;) {
        std::function<void()> call;
        {
            std::unique_lock lock(m_mutex);
            m_cv.wait(lock, [this] { return m_stop || !m_calls.empty(); });
            if (m_calls.empty())
                return;
            call = std::move(m_calls.front());
            m_calls.pop_front();
        }
        call();
    }
}

void TestWindow::ClearMessages() {
    std::lock_guard lock(m_mutex);
    m_messages = {};
}

std::vector<Message> TestWindow::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::vector<std::uint32_t> TestWindow::MessageIds() const {
    std::vector<std::uint32_t> ids;
    for (const auto& m : Messages()) ids.push_back(m.id);
    return ids;
}

bool TestWindow::WaitForCount(std::size_t count, std::chrono::milliseconds timeout) const {
    return WaitFor([count](const std::vector<Message>& m) { return m.size() >= count; }, timeout);
}

bool TestWindow::WaitFor(const std::function<bool(const std::vector<Message>&)>& predicate,
                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, timeout, [&] { return predicate(m_messages); });
}
