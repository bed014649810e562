// The maker's site: the six values on the home page, the counter, and the installer.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "LabClient.h"
#include "carrier-lab/LabHosts.h"
#include "res/StringTable.h"
#include "service/UpgradeSignature.h"

namespace {

// The client's key lookup: from the key's first occurrence to "-->", the key's characters
// stripped from the front, blanks trimmed.
std::optional<std::string> Lookup(const std::string& page, const std::string& key) {
    auto at = page.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    std::string value = page.substr(at);
    value = value.substr(0, value.find("-->") == std::string::npos ? 0 : value.find("-->"));
    value.erase(0, value.find_first_not_of(key));
    value.erase(0, value.find_first_not_of(" \t\r\n"));
    value.erase(value.find_last_not_of(" \t\r\n") + 1);
    return value;
}

class MakerSiteTest : public LabTest {};

TEST_F(MakerSiteTest, HomePageCarriesTheSixValuesTheClientLooksUp) {
    HttpAnswer home = m_client.Get(LoadString(IDS_SITE_URL));
    ASSERT_EQ(home.status, 200);
    const std::string& page = home.body;
    EXPECT_LT(page.find("<!-- Site_URL "), page.find("<!-- Site_URL_Text "));
    EXPECT_EQ(Lookup(page, "Site_URL"), LoadString(IDS_SITE_URL));
    EXPECT_EQ(Lookup(page, "Site_URL_Text"), LoadString(IDS_SITE_URL_TEXT));
    EXPECT_EQ(Lookup(page, "Paypal_URL"), LoadString(IDS_PAYPAL_URL));
    EXPECT_EQ(Lookup(page, "Donate_Address"), LoadString(IDS_DONATE_ADDRESS));
    EXPECT_EQ(Lookup(page, "Quillo_Latest_Version"), "1.06");
    EXPECT_EQ(Lookup(page, "Quillo_Download_URL"), LoadString(IDS_DOWNLOAD_URL));
    // The overrides name the lab's own ephemeral port.
    EXPECT_NE(LoadString(IDS_DOWNLOAD_URL).find(":" + std::to_string(m_lab.Ports().http) + "/"),
              std::string::npos);

    EXPECT_EQ(m_client.Get(LoadString(IDS_PAYPAL_URL)).status, 200);
    EXPECT_EQ(m_client.PostBody(LoadString(IDS_SITE_URL), "").status, 400);

    // The version switches while the lab runs.
    EXPECT_EQ(m_client.PostBody(ApiUrl("/lab/site"), "latest_version=1.07").status, 200);
    EXPECT_EQ(Lookup(m_client.Get(LoadString(IDS_SITE_URL)).body, "Quillo_Latest_Version"), "1.07");
    EXPECT_NE(m_client.Get(ApiUrl("/lab/site")).body.find("\"latestVersion\": \"1.07\""),
              std::string::npos);
}

TEST_F(MakerSiteTest, InstallerIsSignedAndBodyFaultsSpoilOnlyTheirPath) {
    const std::string installer = "http://" + LoadString(IDS_DOWNLOAD_URL);
    const std::string body = m_client.Get(installer).body;
    const HttpAnswer signature = m_client.Get(installer + ".sig");
    ASSERT_EQ(signature.status, 200);
    EXPECT_TRUE(VerifyUpgradeSignature(body, signature.body, LoadString(IDS_UPGRADE_PUBLIC_KEY)));
    EXPECT_EQ(m_lab.SigningPublicKey(), LoadString(IDS_UPGRADE_PUBLIC_KEY));

    const std::string path = installer.substr(installer.find('/', 7));
    for (const char* kind : {"short", "cut", "tamper"}) {
        SCOPED_TRACE(kind);
        ASSERT_EQ(m_client
                      .PostBody(ApiUrl("/lab/faults"), "host=" + lab::HostPart(installer) +
                                                           "&kind=" + kind + "&path=" + path)
                      .status,
                  200);
        EXPECT_EQ(m_client.Get(installer + ".sig").body, signature.body);
        const HttpAnswer spoilt = m_client.Get(installer);
        EXPECT_EQ(m_client.Get(installer).body, body);
        if (std::string(kind) == "short") {
            EXPECT_EQ(spoilt.code, CURLE_PARTIAL_FILE);
        } else if (std::string(kind) == "cut") {
            EXPECT_EQ(spoilt.code, CURLE_OK);
            EXPECT_EQ(spoilt.body, body.substr(0, body.size() / 2));
        } else {
            EXPECT_EQ(spoilt.body.size(), body.size());
            EXPECT_NE(spoilt.body, body);
        }
    }
}

TEST_F(MakerSiteTest, CounterAnswersSuccessAndAddsUpTheReports) {
    const std::string url = "http://" + LoadString(IDS_SERVICE_HOST) + "/count.php";
    HttpAnswer first = m_client.PostBody(url, "counterID=1&sum=37");
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.body, "SUCCESS");
    EXPECT_EQ(m_client.PostBody(url, "counterID=1&sum=1").body, "SUCCESS");
    EXPECT_EQ(m_client.PostBody(url, "counterID=1&sum=0").body, "SUCCESS");

    for (const char* bad : {"counterID=2&sum=1", "sum=1&counterID=1", "counterID=1&sum=-4",
                            "counterID=1&sum=07", "counterID=1"}) {
        HttpAnswer refused = m_client.PostBody(url, bad);
        EXPECT_EQ(refused.status, 400) << bad;
        EXPECT_NE(refused.body, "SUCCESS");
    }
    lab::CounterState counter = m_lab.Counter();
    EXPECT_EQ(counter.total, 38);
    EXPECT_EQ(counter.reports, 3);

    HttpAnswer json = m_client.Get(ApiUrl("/lab/counter"));
    EXPECT_NE(json.body.find("\"total\": 38"), std::string::npos) << json.body;
    EXPECT_NE(json.body.find("\"reports\": 3"), std::string::npos);
}

TEST_F(MakerSiteTest, InstallerRecordsThatItRanAndItsArguments) {
    HttpAnswer download = m_client.Request("GET", "http://" + LoadString(IDS_DOWNLOAD_URL), "",
                                           {"Accept: application/*"});
    ASSERT_EQ(download.status, 200);
    ASSERT_EQ(download.body.rfind("#!/bin/sh\n", 0), 0u);
    EXPECT_TRUE(m_lab.InstallerRuns().empty());

    // As Quillo does: saved as QuilloUpgrade.exe, marked executable, started with /SILENT.
    std::filesystem::path installer = m_temp / "QuilloUpgrade.exe";
    WriteFileBytes(installer, download.body);
    ASSERT_EQ(::chmod(installer.c_str(), 0755), 0);
    ASSERT_EQ(std::system((installer.string() + " /SILENT").c_str()), 0);

    std::vector<lab::InstallerRun> runs = m_lab.InstallerRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments, "/SILENT");
    EXPECT_EQ(runs[0].time.size(), 20u) << runs[0].time;
    EXPECT_NE(m_client.Get(ApiUrl("/lab/installer")).body.find("\"arguments\": \"/SILENT\""),
              std::string::npos);
}

}  // namespace
