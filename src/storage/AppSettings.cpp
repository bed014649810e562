#include "storage/AppSettings.h"

#include "contacts/AddressBookLookup.h"

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
    return m_siteInfo.Get();
}

void CAppSettings::SetSiteInfo(SiteInfoValues values) {
    m_siteInfo.Set(std::move(values));
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
