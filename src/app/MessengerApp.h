#pragma once
// CMessengerApp: the program's life from start to exit.

#include <chrono>
#include <functional>

class CMessengerApp {
public:
    // Builds the main window, runs it modally and destroys it (saving the settings).
    using MainWindowRunner = std::function<void()>;

    // keepHistory false leaves the history file alone (tests whose program folder is not theirs).
    explicit CMessengerApp(MainWindowRunner runMainWindow,
                           std::chrono::milliseconds workerStopTimeout = std::chrono::seconds(3),
                           bool keepHistory = true);

    // Runs the whole life of the program; always returns false, as nothing is left to run.
    bool InitInstance();

    // After InitInstance: true when both workers ended within the stop timeout. When one did
    // not, it is still running on its own and the process must end without tearing down.
    bool WorkersStopped() const noexcept { return m_workersStopped; }

private:
    MainWindowRunner m_runMainWindow;
    std::chrono::milliseconds m_workerStopTimeout;
    bool m_keepHistory;
    bool m_workersStopped = true;
};
