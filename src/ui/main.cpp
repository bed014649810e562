// Quillo: a desktop text messenger.

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "app/MessengerApp.h"
#include "runtime/UiServices.h"
#include "ui/main/MainDlg.h"
#include "ui/platform/GuardedApplication.h"
#include "ui/platform/QtUiServices.h"
#include "ui/platform/ShutdownSignals.h"

int main(int argc, char* argv[]) {
    CShutdownSignals::InstallHandlers();
    CGuardedApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo"));
    InstallUiServices(std::make_shared<QtUiServices>());
    CShutdownSignals shutdownSignals;

    CMessengerApp app([&shutdownSignals] {
        auto dialog = std::make_unique<CMainDlg>();
        QObject::connect(&shutdownSignals, &CShutdownSignals::closeRequested, dialog.get(),
                         &CMainDlg::reject);
        dialog->exec();
    });
    app.InitInstance();

    if (!app.WorkersStopped()) {
        // A worker is still inside a request: leave without tearing down what it may touch.
        std::fflush(nullptr);
        ::_exit(0);
    }
    InstallUiServices(nullptr);
    return 0;
}
