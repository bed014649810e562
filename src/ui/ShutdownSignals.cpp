#include "ui/ShutdownSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>

#include "runtime/MessageIds.h"
#include "runtime/PostToTarget.h"

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_closing = 0;

// Only async-signal-safe calls here: the work happens on the GUI thread.
void OnShutdownSignal(int signal) {
    if (g_closing != 0)
        ::_exit(128 + signal);
    g_closing = 1;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] ssize_t written = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

void CShutdownSignals::InstallHandlers() {
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = OnShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

CShutdownSignals::CShutdownSignals(QObject* parent) : QObject(parent) {
    if (g_pipe[0] >= 0) {
        m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &CShutdownSignals::OnSignal);
    }
    // The session is ending: close as if the user had, so nothing is lost.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { CloseMainWindow(); });
}

void CShutdownSignals::OnSignal() {
    char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    CloseMainWindow();
}

void CShutdownSignals::CloseMainWindow() {
    PostToTarget(PostTarget::MainWindow, WM_APP_SHUTDOWN);
}
