#pragma once
// How batches leave the program, and the options of each way. Kept in a small file of its own
// beside the settings file, never in Quillo.bin, whose format is fixed.

#include <cstdint>
#include <filesystem>
#include <string>

enum DeliveryRoute : std::int32_t {
    RouteCarrierForms = 0,  // the carriers' web forms, as always
    RouteModem = 1,         // a GSM modem through ModemManager
};

struct RouteSettings {
    DeliveryRoute route = RouteCarrierForms;
    std::string countryCode = "1";  // digits put before a ten-digit number on the modem route
    std::string modem;              // a modem's device id or object path; empty: the first
    bool deliveryReports = false;   // ask the network for a delivery report

    friend bool operator==(const RouteSettings&, const RouteSettings&) = default;
};

// "route.conf" in the data folder.
std::filesystem::path RouteSettingsPath(const std::filesystem::path& dataDirectory);

// The settings the file holds; the defaults for a missing file, a line that cannot be read or a
// value that makes no sense.
RouteSettings LoadRouteSettings(const std::filesystem::path& file);

// Replaces the file in one step, readable by the user only. Throws CArchiveException when it
// cannot be written.
void SaveRouteSettings(const std::filesystem::path& file, const RouteSettings& settings);
