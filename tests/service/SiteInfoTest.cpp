// The key lookup on the maker's page and the six values with their defaults, without a network.

#include <gtest/gtest.h>

#include "res/StringTable.h"
#include "service/SiteInfo.h"

namespace {

TEST(SiteInfoLookup, FindsTheFirstOccurrenceAndStripsTheKeysCharacters) {
    using namespace std::string_literals;
    const struct {
        std::string page;
        const char* key;
        bool found;
        std::string value;
    } kCases[] = {
        {"<!-- Quillo_Latest_Version 1.07 -->", "Quillo_Latest_Version", true, "1.07"},
        // The first occurrence wins, and the strip is of characters: "Site_URL_" goes, "T" stays.
        {"<!-- Site_URL_Text Our site -->\r\n<!-- Site_URL http://x/ -->", "Site_URL", true,
         "Text Our site"},
        {"<!-- Quillo_Latest_Version=1.07-->", "Quillo_Latest_Version", true, "=1.07"},
        {"<!-- Quillo_Download_URL host/path", "Quillo_Download_URL", true, ""},
        {"<!-- Paypal_URL \t http://pay/ \r\n -->", "Paypal_URL", true, "http://pay/"},
        {"<!-- Paypal_URL -->", "Paypal_URL", true, ""},
        {"no keys here -->", "Site_URL", false, "untouched"},
        {"<!-- site_url lower case -->", "Site_URL", false, "untouched"},
        // Bytes a broken page may hold do not end the text early.
        {"\0\0<!-- Donate_Address 1 Road\0Town -->"s, "Donate_Address", true, "1 Road\0Town"s},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.page);
        std::string value = "untouched";
        EXPECT_EQ(CSiteInfo(c.page).Lookup(c.key, value), c.found);
        EXPECT_EQ(value, c.value);
    }
}

TEST(SiteInfoValuesTest, EachMissingKeyTakesItsDefault) {
    const std::pair<const char*, int> kKeys[] = {
        {"Site_URL", IDS_SITE_URL},
        {"Site_URL_Text", IDS_SITE_URL_TEXT},
        {"Paypal_URL", IDS_PAYPAL_URL},
        {"Donate_Address", IDS_DONATE_ADDRESS},
        {"Quillo_Latest_Version", IDS_VERSION},
        {"Quillo_Download_URL", IDS_DOWNLOAD_URL},
    };
    for (const auto& [missing, defaultId] : kKeys) {
        SCOPED_TRACE(missing);
        std::string page;
        for (const auto& [key, id] : kKeys) {
            if (key != missing)
                page += std::string("<!-- ") + key + " from-site-" + std::to_string(id) + " -->";
        }
        const SiteInfoValues values = ReadSiteInfoValues(CSiteInfo(page));
        const std::string expected[] = {values.SiteUrl,       values.SiteUrlText,
                                        values.PaypalUrl,     values.DonateAddress,
                                        values.LatestVersion, values.DownloadUrl};
        for (std::size_t i = 0; i < std::size(kKeys); ++i) {
            std::string want = "from-site-" + std::to_string(kKeys[i].second);
            if (kKeys[i].first == missing) {
                // "Site_URL" still occurs inside "Site_URL_Text": the page must not omit it.
                want = defaultId == IDS_SITE_URL ? "Text from-site-103" : LoadString(defaultId);
            }
            EXPECT_EQ(expected[i], want) << kKeys[i].first;
        }
    }
}

}  // namespace
