#include "ui/WindowSeat.h"

#include <QMetaObject>
#include <QPointer>

std::shared_ptr<CWindowEndpoint> MakeWindowEndpoint(QObject* window,
                                                    CWindowEndpoint::Handler handler) {
    QPointer<QObject> target(window);
    auto executor = [target](std::function<void()> call) {
        // Qt drops the queued call, and with it the message, when the window is gone.
        if (QObject* object = target.data()) {
            QMetaObject::invokeMethod(object, std::move(call), Qt::QueuedConnection);
        }
    };
    return CWindowEndpoint::Create(std::move(executor), std::move(handler));
}
