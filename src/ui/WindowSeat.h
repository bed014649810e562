#pragma once
// Gives a Qt window an endpoint through which application messages reach it on the GUI thread.

#include <QObject>
#include <functional>
#include <memory>

#include "base/WindowEndpoint.h"

// Creates an endpoint whose messages run `handler` on `window`'s thread. Close the endpoint
// before the window is destroyed; queued messages for a destroyed window are dropped.
std::shared_ptr<CWindowEndpoint> MakeWindowEndpoint(QObject* window,
                                                    CWindowEndpoint::Handler handler);
