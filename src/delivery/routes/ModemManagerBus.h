#pragma once
// The connection to ModemManager that the route and the modem list share: the system bus (or
// the one DBUS_SYSTEM_BUS_ADDRESS names), never auto-starting the daemon, each call under the
// caller's deadline. Signals go to the thread's default context.

#include <libmm-glib.h>

#include <chrono>
#include <vector>

#include "delivery/routes/CallDeadline.h"
#include "delivery/routes/GlibHandles.h"

enum class ModemBusState {
    Connected,
    NotRunning,  // no bus, or nobody owns ModemManager's name on it
    NoAnswer,    // a call ran out of time
};

struct ModemManagerBus {
    GObjectPtr<GDBusConnection> connection;
    GObjectPtr<MMManager> manager;

    ModemBusState Connect(CCallDeadline& deadline, std::chrono::milliseconds limit);
    // Every object that has a modem interface now, each with a reference of its own (an object
    // whose modem interface went away has nothing to peek at, so it is left out).
    std::vector<GObjectPtr<MMObject>> Modems() const;
    // Closes the connection now rather than when the last reference goes.
    void Close();
};
