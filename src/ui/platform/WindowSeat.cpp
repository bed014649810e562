#include "ui/platform/WindowSeat.h"

#include <QMetaObject>

std::shared_ptr<CWindowEndpoint> MakeWindowEndpoint(QObject* window,
                                                    CWindowEndpoint::Handler handler) {
    // The endpoint calls this only while open, so `window` is alive. Qt drops the queued call,
    // and with it the message, when the window is destroyed before it runs.
    auto executor = [window](std::function<void()> call) {
        QMetaObject::invokeMethod(window, std::move(call), Qt::QueuedConnection);
    };
    auto endpoint = CWindowEndpoint::Create(std::move(executor), std::move(handler));
    // A window that forgets to close its endpoint still stops the workers reaching it here.
    std::weak_ptr<CWindowEndpoint> weak = endpoint;
    QObject::connect(window, &QObject::destroyed, [weak] {
        if (auto open = weak.lock())
            open->Close();
    });
    return endpoint;
}
