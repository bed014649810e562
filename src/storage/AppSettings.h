#pragma once
// CAppSettings: the one process-wide record of everything the program remembers, plus the
// run-time values that live beside it. It belongs to the user-interface thread, except:
// MessageCount and CounterReported are atomics (the workers update them), the site texts are
// published under a lock, and ExeDirectory is fixed before any worker starts.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/CopyableAtomic.h"
#include "contacts/Contact.h"

// The six texts read from the maker's site at every start; never stored.
struct SiteInfoValues {
    std::string SiteUrlText;    // "Site_URL_Text"
    std::string SiteUrl;        // "Site_URL"
    std::string PaypalUrl;      // "Paypal_URL"
    std::string DonateAddress;  // "Donate_Address"
    std::string LatestVersion;  // "Quillo_Latest_Version"
    std::string DownloadUrl;    // "Quillo_Download_URL"

    friend bool operator==(const SiteInfoValues&, const SiteInfoValues&) = default;
};

class CAppSettings {
public:
    enum PanelStartup : std::int32_t { StartupOpen = 0, StartupClosed = 1, StartupLastSetting = 2 };

    std::string MyName;
    std::string MyNumber;  // digits only
    std::string MyEmail;
    std::int32_t AddressBookStartup = 0;
    std::int32_t AddressBookLastSetting = 0;
    CopyableAtomic<std::int32_t> MessageCount{0};
    std::int32_t WindowX = 0;
    std::int32_t WindowY = 0;
    std::vector<std::string> RecentTo;    // most recent first, at most 10
    std::vector<std::string> RecentFrom;  // most recent first, at most 5
    std::filesystem::path ExeDirectory;   // the program's folder, with its trailing separator
    std::int32_t MyInfoSelectedInRecentFromList = 0;
    ::AddressBook AddressBook;
    std::int32_t PanelClosed = 0;  // run time: the panel is collapsed
    CopyableAtomic<std::int32_t> CounterReported{0};
    std::int32_t SendOnEnter = 0;

    static constexpr std::size_t kRecentToLimit = 10;
    static constexpr std::size_t kRecentFromLimit = 5;

    // The start-up defaults, written before the settings file is read.
    void ApplyDefaults();

    // Everything back to zero and empty (ExeDirectory included); for tests.
    void Clear();

    SiteInfoValues SiteInfo() const;
    void SetSiteInfo(SiteInfoValues values);

private:
    Locked<SiteInfoValues> m_siteInfo;
};

// The process-wide record.
CAppSettings& AppSettings();

// Moves `text` to the top of `list` (removing an equal entry) and keeps at most `limit` entries.
void PushRecent(std::vector<std::string>& list, const std::string& text, std::size_t limit);
