#pragma once
// Gives a Qt window an endpoint through which application messages reach it on the GUI thread.

#include <QObject>
#include <functional>
#include <memory>

#include "runtime/WindowEndpoint.h"

// Creates an endpoint whose messages run `handler` on `window`'s thread. Close the endpoint
// first thing in the window's destructor (it is closed at the latest as the QObject goes);
// messages queued for a closed or destroyed window are dropped.
std::shared_ptr<CWindowEndpoint> MakeWindowEndpoint(QObject* window,
                                                    CWindowEndpoint::Handler handler);
