#pragma once
// A window stand-in for core tests: its own thread plays the user-interface thread, and every
// application message that reaches it is recorded.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/WindowEndpoint.h"

class TestWindow {
public:
    using Handler = std::function<std::intptr_t(Message&)>;

    TestWindow();
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    std::shared_ptr<CWindowEndpoint> Endpoint() const { return m_endpoint; }
    void RegisterAsMainWindow();

    // Runs after the message is recorded, on the window's thread; its result is the handler's.
    void SetHandler(Handler handler);

    // Closes the endpoint as a window going away would (on the window's thread).
    void Close();

    std::vector<Message> Messages() const;
    // Forgets what was recorded (a long run keeps its record small).
    void ClearMessages();
    std::vector<std::uint32_t> MessageIds() const;
    bool WaitForCount(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    bool WaitFor(const std::function<bool(const std::vector<Message>&)>& predicate,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    void Execute(std::function<void()> call);
    void Loop();

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    std::deque<std::function<void()>> m_calls;
    std::vector<Message> m_messages;
    Handler m_handler;
    bool m_stop = false;
    std::shared_ptr<CWindowEndpoint> m_endpoint;
    std::thread m_thread;
};
