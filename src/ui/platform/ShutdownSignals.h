#pragma once
// SIGTERM, SIGINT and SIGHUP (logout, `kill`, Ctrl+C in a terminal) and the session manager's
// request to end all close the main window the normal way, so the settings are saved and the
// workers stop as at any close. A second signal while closing ends the process at once.

#include <QObject>

class QSocketNotifier;

class CShutdownSignals : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers; call first thing in main(), before any thread starts, so
    // that a signal arriving early waits in the pipe until the main window's loop runs.
    static void InstallHandlers();

    // Hooks the pipe and the session manager into the running application.
    explicit CShutdownSignals(QObject* parent = nullptr);

signals:
    // Connected by whoever opens the main window, to the window's Cancel.
    void closeRequested();

private:
    void OnSignal();
    void CloseMainWindow();

    QSocketNotifier* m_notifier = nullptr;
};
