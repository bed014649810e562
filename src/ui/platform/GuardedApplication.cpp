#include "ui/platform/GuardedApplication.h"

#include <cstdio>

#include "runtime/HandlerGuard.h"

CGuardedApplication::CGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool CGuardedApplication::notify(QObject* receiver, QEvent* event) {
    const int type = event->type();  // read first: the handler may have consumed the event
    const char* className = receiver->metaObject()->className();
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        std::fprintf(stderr, "Quillo: %s: the handler of event %d failed: %s\n", className, type,
                     CurrentExceptionText());
        return false;
    }
}
