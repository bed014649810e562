#pragma once
// The modems ModemManager knows, for the user to choose from, and enabling one of them. Each call
// connects anew to the bus (the system bus, or the one DBUS_SYSTEM_BUS_ADDRESS names) with a
// GMainContext of its own, so it may run on any thread; every D-Bus call has a deadline. A SIM
// is never unlocked here: that is the user's business with the PIN.

#include <string>
#include <vector>

// ModemManager's modem states, in its order.
enum class ModemState {
    Failed,
    Unknown,
    Initializing,
    Locked,
    Disabled,
    Disabling,
    Enabling,
    Enabled,
    Searching,
    Registered,
    Disconnecting,
    Connecting,
    Connected,
};

struct ModemInfo {
    std::string path;      // the D-Bus object path
    std::string deviceId;  // stays the same when the modem comes back under another path
    std::string manufacturer;
    std::string model;
    std::string ownNumber;     // the first the SIM names; may be empty
    std::string operatorName;  // known once the modem is enabled
    int signalQuality = 0;     // percent
    ModemState state = ModemState::Unknown;
    bool enabled = false;
    bool simLocked = false;

    friend bool operator==(const ModemInfo&, const ModemInfo&) = default;
};

struct ModemListing {
    std::vector<ModemInfo> modems;
    std::string problem;  // why there is no list ("ModemManager is not running"); empty: none
};

ModemListing ListModems();

// Enables the modem at `path`; what went wrong, or empty.
std::string EnableModem(const std::string& path);
