#include "service/SiteInfo.h"

#include <algorithm>
#include <string_view>

#include "net/FormRequest.h"
#include "res/StringTable.h"

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

}  // namespace

CSiteInfo::CSiteInfo() {
    // What the page holds after a failure is all there is; the result adds nothing.
    FetchPage(LoadString(IDS_SITE_URL), m_page);
}

bool CSiteInfo::Lookup(const std::string& key, std::string& value) const {
    const std::size_t at = m_page.find(key);
    if (key.empty() || at == std::string::npos)
        return false;
    std::string_view rest = std::string_view(m_page).substr(at);
    const std::size_t end = rest.find("-->");
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(0, end);
    // A strip of the key's characters, not of the key as a word: "=1.07" keeps its "=".
    rest.remove_prefix(std::min(rest.find_first_not_of(key), rest.size()));
    rest.remove_prefix(std::min(rest.find_first_not_of(kWhiteSpace), rest.size()));
    rest = rest.substr(0, rest.find_last_not_of(kWhiteSpace) + 1);
    value.assign(rest);
    return true;
}

SiteInfoValues ReadSiteInfoValues(const CSiteInfo& site) {
    SiteInfoValues values;
    const struct {
        const char* key;
        std::string SiteInfoValues::*value;
        int fallback;
    } kKeys[] = {
        {"Site_URL_Text", &SiteInfoValues::SiteUrlText, IDS_SITE_URL_TEXT},
        {"Site_URL", &SiteInfoValues::SiteUrl, IDS_SITE_URL},
        {"Paypal_URL", &SiteInfoValues::PaypalUrl, IDS_PAYPAL_URL},
        {"Donate_Address", &SiteInfoValues::DonateAddress, IDS_DONATE_ADDRESS},
        {"Quillo_Latest_Version", &SiteInfoValues::LatestVersion, IDS_VERSION},
        {"Quillo_Download_URL", &SiteInfoValues::DownloadUrl, IDS_DOWNLOAD_URL},
    };
    for (const auto& [key, member, fallback] : kKeys) {
        if (!site.Lookup(key, values.*member))
            values.*member = LoadString(fallback);
    }
    return values;
}

SiteInfoValues CurrentSiteInfo() {
    SiteInfoValues values = AppSettings().SiteInfo();
    if (values == SiteInfoValues{})
        values = ReadSiteInfoValues(CSiteInfo(std::string()));
    return values;
}
