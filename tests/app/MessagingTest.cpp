#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

#include "app/CoreThread.h"
#include "app/MessengerApp.h"
#include "app/QueueThread.h"
#include "delivery/SendFailure.h"
#include "delivery/SendJob.h"
#include "runtime/PostToTarget.h"
#include "runtime/WindowEndpoint.h"
#include "runtime/WorkerThread.h"
#include "support/CoreTestEnvironment.h"
#include "support/ScriptedServer.h"
#include "support/TestWindow.h"

using namespace std::chrono_literals;

namespace {

// A worker that records what it handles, on its own thread, with a latch to keep it busy.
class RecordingWorker : public CWorkerThread {
public:
    const char* ClassName() const override { return "RecordingWorker"; }

    struct Event {
        std::string what;  // "msg" or "idle"
        std::uint32_t id = 0;
        std::intptr_t lParam = 0;
    };

    std::vector<Event> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

    bool WaitFor(const std::function<bool(const std::vector<Event>&)>& done,
                 std::chrono::milliseconds timeout = 10s) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [&] { return done(m_events); });
    }

    // The next WM_APP_SEND_JOB blocks until Release().
    std::promise<void> entered;
    std::shared_future<void> release;
    std::atomic<bool> finishedAfterRelease{false};
    int exitCalls = 0;

protected:
    bool OnIdle(long count) override {
        Record({"idle", 0, count});
        return false;
    }

    int ExitInstance() override {
        ++exitCalls;
        return 0;
    }

    bool Dispatch(Message& message) override { return DispatchFrom(this, kMap, message); }

private:
    void OnJobDone(Message& m) { Record({"msg", m.id, m.lParam}); }
    void OnThrow(Message&) { throw std::runtime_error("no such carrier"); }
    void OnBlocking(Message& m) {
        entered.set_value();
        release.wait();
        Record({"msg", m.id, m.lParam});  // touches this object after the owner let go
        finishedAfterRelease = true;
    }

    void Record(Event e) {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(std::move(e));
        }
        m_cv.notify_all();
    }

    static constexpr std::array<MessageMapEntry<RecordingWorker>, 3> kMap = {{
        {WM_APP_JOB_DONE, &RecordingWorker::OnJobDone},
        {WM_APP_CARRIER_FOUND, &RecordingWorker::OnThrow},
        {WM_APP_SEND_JOB, &RecordingWorker::OnBlocking},
    }};

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Event> m_events;
};

std::size_t CountMessages(const std::vector<RecordingWorker::Event>& events) {
    return static_cast<std::size_t>(
        std::count_if(events.begin(), events.end(), [](const auto& e) { return e.what == "msg"; }));
}

class Messaging : public CoreTest {};

}  // namespace

TEST_F(Messaging, MessagesArriveInOrderAndOnIdleRunsOnceEachTimeTheQueueRunsEmpty) {
    auto worker = std::make_shared<RecordingWorker>();
    ASSERT_TRUE(worker->CreateThread());
    ASSERT_TRUE(worker->WaitFor([](auto& e) { return e.size() == 1; }));
    EXPECT_EQ(worker->Events()[0].what, "idle");  // the loop starts with an empty queue

    RegisterWorker(PostTarget::QueueThread, worker);
    for (int i = 0; i < 3; ++i) PostToTarget(PostTarget::QueueThread, WM_APP_JOB_DONE, {}, i);
    ASSERT_TRUE(
        worker->WaitFor([](auto& e) { return CountMessages(e) == 3 && e.back().what == "idle"; }));

    // Each message is followed by at most one idle call, always with a fresh count of 0, and
    // the messages keep their order.
    std::intptr_t expected = 0;
    std::string previous = "start";
    for (const auto& e : worker->Events()) {
        if (e.what == "msg") {
            EXPECT_EQ(e.lParam, expected++);
        } else {
            EXPECT_EQ(e.lParam, 0);
            EXPECT_NE(previous, "idle") << "OnIdle ran twice without a message between";
        }
        previous = e.what;
    }

    // No further idle call without another message.
    const auto before = worker->Events().size();
    EXPECT_FALSE(worker->WaitFor([&](auto& e) { return e.size() > before; }, 100ms));

    worker->PostQuitMessage();
    EXPECT_TRUE(worker->Join(5s));
    EXPECT_EQ(worker->exitCalls, 1);
}

TEST_F(Messaging, MessagesPostedTogetherAreAllHandledBeforeTheWorkerGoesIdle) {
    auto worker = std::make_shared<RecordingWorker>();
    ASSERT_TRUE(worker->CreateThread());
    ASSERT_TRUE(worker->WaitFor([](auto& e) { return e.size() == 1; }));
    RegisterWorker(PostTarget::QueueThread, worker);
    for (int round = 0; round < 50; ++round) {
        std::vector<Message> batch;
        for (int i = 0; i < 4; ++i) batch.push_back({WM_APP_JOB_DONE, {}, i});
        PostAllToTarget(PostTarget::QueueThread, std::move(batch));
    }
    ASSERT_TRUE(worker->WaitFor(
        [](auto& e) { return CountMessages(e) == 200 && e.back().what == "idle"; }));
    // Idle calls fall only between whole batches.
    int handled = 0;
    for (const auto& e : worker->Events()) {
        if (e.what == "msg")
            EXPECT_EQ(e.lParam, handled++ % 4);
        else
            EXPECT_EQ(handled % 4, 0) << "idle inside a batch after message " << handled;
    }
    RegisterWorker(PostTarget::QueueThread, nullptr);
    worker->PostQuitMessage();
    EXPECT_TRUE(worker->Join(5s));
}

TEST_F(Messaging, TwoThreadsPostingAtOnceLoseNothing) {
    auto worker = std::make_shared<RecordingWorker>();
    ASSERT_TRUE(worker->CreateThread());
    RegisterWorker(PostTarget::QueueThread, worker);

    constexpr int kEach = 5000;
    auto poster = [](std::intptr_t tag) {
        for (int i = 0; i < kEach; ++i) {
            PostToTarget(PostTarget::QueueThread, WM_APP_JOB_DONE, std::string("n"), tag + i);
        }
    };
    std::thread a(poster, 0), b(poster, 1'000'000);
    a.join();
    b.join();
    ASSERT_TRUE(worker->WaitFor([](auto& e) { return CountMessages(e) == 2 * kEach; }));

    // Every message arrived once, and each poster's messages in the order it posted them.
    std::intptr_t nextA = 0, nextB = 1'000'000;
    for (const auto& e : worker->Events()) {
        if (e.what != "msg")
            continue;
        if (e.lParam < 1'000'000) {
            EXPECT_EQ(e.lParam, nextA++);
        } else {
            EXPECT_EQ(e.lParam, nextB++);
        }
    }
    EXPECT_EQ(nextA, kEach);
    EXPECT_EQ(nextB, 1'000'000 + kEach);
    worker->PostQuitMessage();
    EXPECT_TRUE(worker->Join(5s));
}

TEST_F(Messaging, UndeliverableMessagesAreDroppedAndTheLoopGoesOn) {
    // No target registered: nothing happens, the payload goes with the message.
    PostToTarget(PostTarget::QueueThread, WM_APP_QUEUE_JOB, QueueEntry{}, 0);
    PostToTarget(PostTarget::MainWindow, WM_APP_SEND_REPORT, SendFailureList{{4, "t", "n"}}, 0);
    PostToTarget(7, WM_APP_JOB_DONE, std::string("n"), 0);
    PostToTarget(-1, WM_APP_JOB_DONE, std::string("n"), 0);

    auto worker = std::make_shared<RecordingWorker>();
    ASSERT_TRUE(worker->CreateThread());
    RegisterWorker(PostTarget::QueueThread, worker);
    PostToTarget(PostTarget::QueueThread, kFirstAppMessage - 1, std::string("below the range"), 1);
    PostToTarget(PostTarget::QueueThread, kLastAppMessage + 1, std::string("above the range"), 2);
    PostToTarget(PostTarget::QueueThread, WM_APP_SITE_INFO, {}, 3);  // no handler
    PostToTarget(PostTarget::QueueThread, WM_APP_JOB_DONE, std::string("n"), 4);
    ASSERT_TRUE(worker->WaitFor([](auto& e) { return CountMessages(e) == 1; }));
    for (const auto& e : worker->Events()) {
        if (e.what == "msg") {
            EXPECT_EQ(e.lParam, 4);
        }
    }

    worker->PostQuitMessage();
    EXPECT_TRUE(worker->Join(5s));
    // A stopped worker takes nothing more.
    EXPECT_FALSE(worker->PostThreadMessage(Message{WM_APP_JOB_DONE, std::string("late"), 5}));
}

TEST_F(Messaging, AHandlerThatThrowsIsReportedWithItsMessageAndTheLoopGoesOn) {
    auto worker = std::make_shared<RecordingWorker>();
    ASSERT_TRUE(worker->CreateThread());
    TestWindow window;
    window.SetHandler([](Message& m) -> std::intptr_t {
        if (m.lParam == 1)
            throw std::runtime_error("bad report");
        return 1;
    });

    testing::internal::CaptureStderr();
    worker->PostThreadMessage(Message{WM_APP_CARRIER_FOUND, std::string("5551234567"), 0});
    worker->PostThreadMessage(Message{WM_APP_JOB_DONE, std::string("n"), 2});
    const bool workerWentOn = worker->WaitFor([](auto& e) { return CountMessages(e) == 1; });
    window.Endpoint()->Post(Message{WM_APP_SEND_REPORT, {}, 1});
    const std::intptr_t answer = window.Endpoint()->Send(Message{WM_APP_SEND_REPORT, {}, 1});
    window.Endpoint()->Post(Message{WM_APP_SEND_REPORT, {}, 2});
    const bool windowWentOn = window.WaitForCount(3);
    const std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(workerWentOn);
    EXPECT_TRUE(windowWentOn);
    EXPECT_EQ(answer, 0);  // a failed handler answers nothing
    EXPECT_NE(errors.find("RecordingWorker: the handler of message 0x8006 failed: no such carrier"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("window: the handler of message 0x8002 failed: bad report"),
              std::string::npos)
        << errors;
    worker->PostQuitMessage();
    EXPECT_TRUE(worker->Join(5s));
}

TEST(MessagePayload, AHandlerGivenAnotherRecordThanItExpectsSaysSo) {
    Message message{WM_APP_SEND_REPORT, std::string("not a list"), 0};
    testing::internal::CaptureStderr();
    EXPECT_EQ(message.Expect<SendFailureList>(), nullptr);
    EXPECT_NE(message.Expect<std::string>(), nullptr);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("message 0x8002 came without its payload"), std::string::npos) << errors;
    EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;  // said once, for the wrong type
}

TEST_F(Messaging, PostsRacingAClosingWindowEitherReachItOrAreDroppedWithTheirPayload) {
    // The executor uses the window's own state, as Qt's does; the window goes the moment its
    // endpoint is closed. The sanitizers watch for a post that reaches it afterwards.
    struct Window {
        std::mutex mutex;
        std::vector<std::function<void()>> queued;
    };
    auto token = std::make_shared<int>(0);  // every payload holds it
    for (int round = 0; round < 50; ++round) {
        auto window = std::make_unique<Window>();
        std::atomic<int> queued{0};
        auto endpoint = CWindowEndpoint::Create(
            [w = window.get(), &queued](std::function<void()> call) {
                std::lock_guard lock(w->mutex);
                w->queued.push_back(std::move(call));
                ++queued;
            },
            [](Message&) -> std::intptr_t { return 1; });
        std::atomic<int> accepted{0};
        std::thread poster([&] {
            while (endpoint->Post(Message{WM_APP_SEND_REPORT, token, 0})) ++accepted;
        });
        while (accepted < 20) std::this_thread::yield();
        endpoint->Close();
        window.reset();
        poster.join();
        EXPECT_EQ(accepted.load(), queued.load());
    }
    EXPECT_EQ(token.use_count(), 1);  // the queued calls went with their window
}

TEST_F(Messaging, AWorkerBusyInALongHandlerDoesNotHoldUpShutdownAndOutlivesItsOwner) {
    auto worker = std::make_shared<RecordingWorker>();
    std::promise<void> release;
    worker->release = release.get_future().share();
    auto entered = worker->entered.get_future();
    ASSERT_TRUE(worker->CreateThread());
    ASSERT_TRUE(worker->PostThreadMessage(Message{WM_APP_SEND_JOB, CSendJob{}, 0}));
    ASSERT_EQ(entered.wait_for(10s), std::future_status::ready);

    worker->PostQuitMessage();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(worker->Join(200ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    // The owner lets go while the handler still runs; the thread keeps the object alive, so the
    // handler's last steps touch nothing released (the sanitizers watch this).
    std::weak_ptr<RecordingWorker> watch = worker;
    auto* raw = worker.get();
    worker.reset();
    EXPECT_FALSE(watch.expired());
    release.set_value();
    // Wait for the thread to drop its reference as its loop ends.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!watch.expired() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(watch.expired());
    (void)raw;
}

TEST_F(Messaging, SendingToAWindowWaitsForItsAnswerAndNeverForAWindowThatIsGone) {
    TestWindow window;
    window.SetHandler([](Message& m) -> std::intptr_t { return m.lParam * 2; });
    EXPECT_EQ(
        window.Endpoint()->Send(Message{WM_APP_UPGRADE_STATUS, std::string("Connecting..."), 21}),
        42);
    ASSERT_EQ(window.Messages().size(), 1u);
    EXPECT_EQ(*window.Messages()[0].Get<std::string>(), "Connecting...");

    window.Close();
    EXPECT_EQ(window.Endpoint()->Send(Message{WM_APP_SHUTDOWN, {}, 0}), 0);
    EXPECT_FALSE(window.Endpoint()->Post(Message{WM_APP_SHUTDOWN, {}, 0}));
    EXPECT_EQ(window.Messages().size(), 1u);
}

TEST_F(Messaging, ASenderWaitingOnAWindowIsReleasedWhenTheWindowGoes) {
    // A window whose thread never gets round to the message: the call is only queued.
    std::vector<std::function<void()>> stuck;
    std::mutex stuckMutex;
    auto endpoint = CWindowEndpoint::Create(
        [&](std::function<void()> call) {
            std::lock_guard lock(stuckMutex);
            stuck.push_back(std::move(call));
        },
        [](Message&) -> std::intptr_t { return 1; });

    auto sender = std::async(std::launch::async, [&] {
        return endpoint->Send(Message{WM_APP_UPGRADE_STATUS, std::string("x"), 0});
    });
    // Close only once the send is queued, so that it really is waiting.
    for (;;) {
        std::lock_guard lock(stuckMutex);
        if (!stuck.empty())
            break;
    }
    endpoint->Close();
    ASSERT_EQ(sender.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(sender.get(), 0);
    // The late call finds the window gone and handles nothing.
    for (auto& call : stuck) call();
}

TEST_F(Messaging, MainWindowMessagesGoToTheRegisteredWindowOnly) {
    TestWindow window;
    EXPECT_FALSE(MainWindowExists());
    PostToTarget(PostTarget::MainWindow, WM_APP_CARRIER_FOUND, std::string("5551234567"), 7);

    window.RegisterAsMainWindow();
    EXPECT_TRUE(MainWindowExists());
    PostToTarget(PostTarget::MainWindow, WM_APP_SEND_REPORT,
                 SendFailureList{{3, "t", "5551234567"}}, 0);
    ASSERT_TRUE(window.WaitForCount(1));
    auto messages = window.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, WM_APP_SEND_REPORT);
    ASSERT_NE(messages[0].Get<SendFailureList>(), nullptr);
    EXPECT_EQ(messages[0].Get<SendFailureList>()->at(0).number, "5551234567");

    window.Close();
    EXPECT_FALSE(MainWindowExists());
}

TEST_F(Messaging, TheApplicationStartsBothWorkersRunsTheWindowAndStopsThem) {
    std::shared_ptr<CWorkerThread> core, queue;
    CMessengerApp app([&] {
        core = Worker(PostTarget::CoreThread);
        queue = Worker(PostTarget::QueueThread);
        // First start without a settings file: the defaults.
        EXPECT_EQ(AppSettings().SendOnEnter, 1);
        EXPECT_EQ(AppSettings().AddressBookStartup, CAppSettings::StartupClosed);
        EXPECT_EQ(AppSettings().MessageCount, 0);
        EXPECT_EQ(AppSettings().WindowX, 0);
    }, std::chrono::seconds(3), false);
    EXPECT_FALSE(app.InitInstance());
    ASSERT_TRUE(core && queue);
    EXPECT_NE(std::dynamic_pointer_cast<CCoreThread>(core), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<CQueueThread>(queue), nullptr);
    EXPECT_TRUE(app.WorkersStopped());
    EXPECT_EQ(Worker(PostTarget::CoreThread), nullptr);
    EXPECT_EQ(Worker(PostTarget::QueueThread), nullptr);
    EXPECT_FALSE(core->PostThreadMessage(Message{WM_APP_SITE_INFO, {}, 0}));

    // The program's folder ends with its separator.
    const std::string dir = AppSettings().ExeDirectory.string();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(AppSettings().ExeDirectory / "app_tests"));
}

TEST_F(Messaging, ClosingTheWindowWhileASendHangsStopsTheWorkersWithinTheirTime) {
    ScriptedServer silent;  // accepts the connection and never answers
    OverrideStringForTests(IDS_ALLTEL_HOST, silent.HostPort());
    CMessengerApp app(
        [&] {
            CSendJob job;
            job.number = "5551230001";
            job.replyNumber = "5559876543";
            job.text = "Hello";
            job.carrier = CarrierAllTel;
            QueueBatch({job});
            // The window closes once the core thread is inside the request.
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (silent.Connections() == 0 && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::yield();
            }
            EXPECT_EQ(silent.Connections(), 1);
        },
        5s, false);
    EXPECT_FALSE(app.InitInstance());
    // The request would wait a minute for the silent server; shutdown aborts it instead.
    EXPECT_TRUE(app.WorkersStopped());
}
