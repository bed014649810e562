#pragma once
// The program's string table: fixed texts and deployment values, loaded by numeric id.

#include <string>

enum StringId : int {
    IDS_ABOUTBOX = 101,        // "&About Quillo..." (system menu item)
    IDS_SITE_URL = 102,        // the maker's home page (deployment)
    IDS_SITE_URL_TEXT = 103,   // the home page as link text (deployment)
    IDS_PAYPAL_URL = 104,      // donation page (deployment)
    IDS_DONATE_ADDRESS = 105,  // postal text for donations (deployment)
    IDS_VERSION = 106,         // "1.06"
    IDS_DOWNLOAD_URL = 107,    // installer download location, host + path (deployment)
    IDS_CINGULAR_HOST = 114,
    IDS_CINGULAR_PATH = 115,
    IDS_NEXTEL_HOST = 116,
    IDS_NEXTEL_PATH = 117,
    IDS_BOOST_HOST = 118,
    IDS_BOOST_PATH = 119,
    IDS_ATT_HOST = 120,
    IDS_ATT_PATH = 121,
    IDS_SPRINT_HOST = 122,
    IDS_SPRINT_PATH = 123,
    IDS_TMOBILE_HOST = 124,
    IDS_TMOBILE_PATH = 125,
    IDS_VERIZON_HOST = 126,
    IDS_VERIZON_PATH = 127,
    IDS_VERIZON_STATUS_PATH = 128,
    IDS_ALLTEL_HOST = 129,
    IDS_ALLTEL_PATH = 130,
    IDS_ATT_ERROR = 131,
    IDS_NEXTEL_ERROR = 132,
    IDS_BOOST_ERROR = 133,
    IDS_SPRINT_ERROR = 134,
    IDS_TMOBILE_ERROR = 135,
    IDS_VERIZON_UNDELIVERABLE = 136,
    IDS_VERIZON_DENIED = 137,
    IDS_VERIZON_INTERNAL = 138,
    IDS_ALLTEL_ERROR = 139,
    IDS_CINGULAR_ERROR = 140,
    IDS_MESSAGE_SENT = 141,  // "Your message was sent!"
    IDS_PASSPHRASE = 142,    // settings file pass phrase
    IDS_USCELLULAR_HOST = 143,
    IDS_USCELLULAR_PATH = 144,
    IDS_SERVICE_HOST = 145,    // the maker's web service (deployment)
    IDS_VERIZON_DOMAIN = 146,  // text-message e-mail domain, without "@" (deployment)
    IDS_COUNTER_PATH = 148,    // "/count.php"
    IDS_VERIZON_FAILED = 149,
    IDS_UPGRADE_PUBLIC_KEY = 150,  // the maker's signing key, base64 DER (deployment)
};

// The text of entry `id`, or an empty text when the table has none.
std::string LoadString(int id);

// Test-only: replace one entry (for example to point a host at a test server) until reset.
void OverrideStringForTests(int id, std::string text);
void ResetStringOverridesForTests();
