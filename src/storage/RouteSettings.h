#pragma once
// How batches leave the program, and the options of each way. Kept in a small file of its own
// beside the settings file, never in Quillo.bin, whose format is fixed.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

enum DeliveryRoute : std::int32_t {
    RouteCarrierForms = 0,  // the carriers' web forms, as always
    RouteModem = 1,         // a GSM modem through ModemManager
    RouteWebService = 2,    // an SMS web service, or a gateway app on the user's phone
};

// The shapes of SMS web service the web route speaks; every field stays the user's to edit.
enum WebPreset : std::int32_t {
    PresetFormAccount = 0,   // POST {base}/Accounts/{account}/Messages.json, Basic, form fields
    PresetJsonToken = 1,     // POST {base}/messages, Bearer token, a JSON body
    PresetPhoneGateway = 2,  // POST {base}/message on the user's phone, Basic, a JSON body
};

// The bounds of RouteSettings::webPerMinute.
inline constexpr int kMinWebPerMinute = 1;
inline constexpr int kMaxWebPerMinute = 600;

struct RouteSettings {
    DeliveryRoute route = RouteCarrierForms;
    std::string countryCode = "1";  // digits put before a ten-digit number off the carrier route
    std::string modem;              // a modem's device id or object path; empty: the first
    bool deliveryReports = false;   // ask the network for a delivery report

    WebPreset webPreset = PresetFormAccount;
    std::string webBase;     // the service's address, scheme included
    std::string webAccount;  // the account or user name
    std::string webSender;   // the number texts come from (not for the phone gateway)
    int webPerMinute = 60;   // the most messages a batch sends per minute, within the bounds
    // The service's token or password, handed in from the keyring for this run. Never saved.
    std::string webSecret;

    friend bool operator==(const RouteSettings&, const RouteSettings&) = default;
};

// The preset's name in route.conf ("form-account", "json-token", "phone-gateway").
std::string_view WebPresetName(WebPreset preset);

// A country code as route.conf takes it: one to three digits.
bool IsCountryCode(std::string_view code);

// "route.conf" in the data folder.
std::filesystem::path RouteSettingsPath(const std::filesystem::path& dataDirectory);

// The settings the file holds; the defaults for a missing file, a line that cannot be read or a
// value that makes no sense.
RouteSettings LoadRouteSettings(const std::filesystem::path& file);

// Replaces the file in one step, readable by the user only; the secret is left out. Throws
// CArchiveException when it cannot be written.
void SaveRouteSettings(const std::filesystem::path& file, const RouteSettings& settings);
