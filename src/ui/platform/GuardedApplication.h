#pragma once
// The program's QApplication. An exception that escapes an event handler or a slot is reported
// on standard error and the event loop goes on, instead of the process ending.

#include <QApplication>

class CGuardedApplication : public QApplication {
    Q_OBJECT

public:
    CGuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
