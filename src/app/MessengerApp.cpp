#include "app/MessengerApp.h"

#include <algorithm>
#include <memory>

#include "app/AppHistory.h"
#include "app/CoreThread.h"
#include "app/QueueThread.h"
#include "base/CaughtException.h"
#include "base/Paths.h"
#include "base/Shutdown.h"
#include "runtime/PostToTarget.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"

namespace {

std::shared_ptr<CWorkerThread> StartWorker(std::shared_ptr<CWorkerThread> worker,
                                           CWorkerThread::Priority priority) {
    return worker->CreateThread(priority) ? worker : nullptr;
}

}  // namespace

CMessengerApp::CMessengerApp(MainWindowRunner runMainWindow,
                             std::chrono::milliseconds workerStopTimeout, bool keepHistory)
    : m_runMainWindow(std::move(runMainWindow)),
      m_workerStopTimeout(workerStopTimeout),
      m_keepHistory(keepHistory) {}

bool CMessengerApp::InitInstance() {
    AppSettings().ExeDirectory = FindExeDirectory();

    try {
        LoadSettings();
    } catch (...) {
        // Start with whatever was read and the defaults for the rest.
        ReportCaught("loading the settings");
    }

    // Opened before the workers and closed after them, so that every batch they finish is kept.
    std::unique_ptr<CAppHistory> history;
    if (m_keepHistory)
        history = std::make_unique<CAppHistory>(DataDirectory(AppSettings().ExeDirectory));
    auto queueThread = StartWorker(
        history ? std::make_shared<CQueueThread>(history->Recorder(), history->DeliveryRecorder())
                : std::make_shared<CQueueThread>(),
        CWorkerThread::PriorityNormal);
    RegisterWorker(PostTarget::QueueThread, queueThread);
    auto coreThread = StartWorker(std::make_shared<CCoreThread>(), CWorkerThread::PriorityHighest);
    RegisterWorker(PostTarget::CoreThread, coreThread);

    // The main window's destruction at the end of this call saves the settings.
    if (m_runMainWindow)
        m_runMainWindow();

    // Stop the workers: nothing new reaches them, in-flight transfers abort, each loop ends after
    // its current message and its exit routine runs. A worker that does not end in time keeps
    // its own object alive, so nothing it touches is released under it.
    RegisterWorker(PostTarget::QueueThread, nullptr);
    RegisterWorker(PostTarget::CoreThread, nullptr);
    RequestShutdown();
    const auto deadline = std::chrono::steady_clock::now() + m_workerStopTimeout;
    for (auto& worker : {queueThread, coreThread}) {
        if (worker)
            worker->PostQuitMessage();
    }
    for (auto& worker : {queueThread, coreThread}) {
        if (!worker)
            continue;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!worker->Join(std::max(left, std::chrono::milliseconds(0))))
            m_workersStopped = false;
    }
    return false;
}
