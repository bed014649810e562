#include "storage/AppSettings.h"

#include "contacts/AddressBookLookup.h"

CAppSettings::CAppSettings(const CAppSettings& other) {
    *this = other;
}

CAppSettings& CAppSettings::operator=(const CAppSettings& other) {
    if (this == &other)
        return *this;
    MyName = other.MyName;
    MyNumber = other.MyNumber;
    MyEmail = other.MyEmail;
    AddressBookStartup = other.AddressBookStartup;
    AddressBookLastSetting = other.AddressBookLastSetting;
    MessageCount = other.MessageCount.load();
    WindowX = other.WindowX;
    WindowY = other.WindowY;
    RecentTo = other.RecentTo;
    RecentFrom = other.RecentFrom;
    ExeDirectory = other.ExeDirectory;
    MyInfoSelectedInRecentFromList = other.MyInfoSelectedInRecentFromList;
    AddressBook = other.AddressBook;
    PanelClosed = other.PanelClosed;
    ResolvedRecipients = other.ResolvedRecipients;
    CounterReported = other.CounterReported.load();
    SendOnEnter = other.SendOnEnter;
    SetSiteInfo(other.SiteInfo());
    return *this;
}

void CAppSettings::ApplyDefaults() {
    AddressBookStartup = StartupClosed;
    MyInfoSelectedInRecentFromList = 0;
    PanelClosed = 0;
    MessageCount = 0;
    CounterReported = 0;
    SendOnEnter = 1;
}

void CAppSettings::Clear() {
    *this = CAppSettings();
}

SiteInfoValues CAppSettings::SiteInfo() const {
    std::lock_guard lock(m_siteMutex);
    return m_siteInfo;
}

void CAppSettings::SetSiteInfo(SiteInfoValues values) {
    std::lock_guard lock(m_siteMutex);
    m_siteInfo = std::move(values);
}

CAppSettings& AppSettings() {
    static CAppSettings settings;
    return settings;
}

void PushRecent(std::vector<std::string>& list, const std::string& text, std::size_t limit) {
    if (int i = FindStringIndex(list, text); i >= 0)
        list.erase(list.begin() + i);
    list.insert(list.begin(), text);
    if (list.size() > limit)
        list.pop_back();
}
