#include "runtime/PostToTarget.h"

#include <mutex>

#include "runtime/WindowEndpoint.h"
#include "runtime/WorkerThread.h"

namespace {

struct Targets {
    std::mutex mutex;
    std::shared_ptr<CWindowEndpoint> mainWindow;
    std::shared_ptr<CWorkerThread> coreThread;
    std::shared_ptr<CWorkerThread> queueThread;
};

Targets& Registry() {
    static Targets targets;
    return targets;
}

std::shared_ptr<CWorkerThread>* WorkerSlot(Targets& t, PostTarget target) {
    switch (target) {
        case PostTarget::CoreThread:
            return &t.coreThread;
        case PostTarget::QueueThread:
            return &t.queueThread;
        default:
            return nullptr;
    }
}

}  // namespace

void PostToTarget(PostTarget target, Message message) {
    if (target == PostTarget::MainWindow) {
        if (auto window = MainWindowEndpoint())
            window->Post(std::move(message));
    } else if (target == PostTarget::CoreThread || target == PostTarget::QueueThread) {
        if (auto worker = Worker(target))
            worker->PostThreadMessage(std::move(message));
    }
    // AppThread: no message of the program goes there; like any other target it is dropped.
}

void PostToTarget(PostTarget target, std::uint32_t id, Payload payload, std::intptr_t lParam) {
    PostToTarget(target, Message{id, std::move(payload), lParam});
}

void PostToTarget(std::int32_t target, std::uint32_t id, Payload payload, std::intptr_t lParam) {
    if (target < 0 || target > static_cast<std::int32_t>(PostTarget::QueueThread))
        return;
    PostToTarget(static_cast<PostTarget>(target), Message{id, std::move(payload), lParam});
}

void PostAllToTarget(PostTarget target, std::vector<Message> messages) {
    if (auto worker = Worker(target))
        worker->PostThreadMessages(std::move(messages));
}

void RegisterMainWindow(std::shared_ptr<CWindowEndpoint> window) {
    std::shared_ptr<CWindowEndpoint> old;  // released after the lock, never under it
    std::lock_guard lock(Registry().mutex);
    old.swap(Registry().mainWindow);
    Registry().mainWindow = std::move(window);
}

void RegisterWorker(PostTarget target, std::shared_ptr<CWorkerThread> worker) {
    std::shared_ptr<CWorkerThread> old;  // released after the lock, never under it
    std::lock_guard lock(Registry().mutex);
    if (auto* slot = WorkerSlot(Registry(), target)) {
        old.swap(*slot);
        *slot = std::move(worker);
    }
}

bool MainWindowExists() {
    auto window = MainWindowEndpoint();
    return window && window->IsOpen();
}

std::shared_ptr<CWindowEndpoint> MainWindowEndpoint() {
    std::lock_guard lock(Registry().mutex);
    return Registry().mainWindow;
}

std::shared_ptr<CWorkerThread> Worker(PostTarget target) {
    std::lock_guard lock(Registry().mutex);
    auto* slot = WorkerSlot(Registry(), target);
    return slot ? *slot : nullptr;
}
