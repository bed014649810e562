#include "carrier-lab/LabHosts.h"

#include <algorithm>

#include "base/Text.h"
#include "res/StringTable.h"

namespace lab {

namespace {

constexpr std::array<int, 10> kCarrierHostIds = {
    0,
    IDS_ALLTEL_HOST,
    IDS_ATT_HOST,
    IDS_BOOST_HOST,
    IDS_CINGULAR_HOST,
    IDS_NEXTEL_HOST,
    IDS_SPRINT_HOST,
    IDS_TMOBILE_HOST,
    IDS_USCELLULAR_HOST,
    IDS_VERIZON_HOST,
};

std::string_view WithoutScheme(std::string_view value) {
    if (auto scheme = value.find("://"); scheme != std::string_view::npos) {
        value.remove_prefix(scheme + 3);
    }
    return value;
}

std::string HostPort(std::string_view value) {
    value = WithoutScheme(value);
    return std::string(value.substr(0, value.find('/')));
}

}  // namespace

std::string LowerHost(std::string_view host) {
    return AsciiLowerCase(host.substr(0, host.find(':')));
}

std::string HostPart(const std::string& value) {
    return LowerHost(HostPort(value));
}

std::string PathPart(const std::string& value) {
    std::string_view rest = WithoutScheme(value);
    auto slash = rest.find('/');
    return slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
}

LabHosts LabHosts::FromStringTable() {
    LabHosts hosts;
    for (int carrier = 1; carrier <= 9; ++carrier) {
        hosts.m_carriers[carrier] = HostPart(LoadString(kCarrierHostIds[carrier]));
    }
    hosts.m_makerHost = HostPart(LoadString(IDS_SERVICE_HOST));
    std::string site = LoadString(IDS_SITE_URL);
    std::string download = LoadString(IDS_DOWNLOAD_URL);
    std::string donate = LoadString(IDS_PAYPAL_URL);
    hosts.m_siteHost = HostPart(site);
    hosts.m_downloadHost = HostPart(download);
    hosts.m_homePath = PathPart(site);
    hosts.m_downloadPath = PathPart(download);
    // The donation page is the maker's only when the deployment puts it on the maker's host.
    if (hosts.SiteOf(HostPart(donate)) == kMakerSite)
        hosts.m_donatePath = PathPart(donate);
    return hosts;
}

int LabHosts::SiteOf(const std::string& host) const {
    if (host.empty())
        return kNoSite;
    for (int carrier = 1; carrier <= 9; ++carrier) {
        if (m_carriers[carrier] == host)
            return carrier;
    }
    if (host == m_makerHost || host == m_siteHost || host == m_downloadHost)
        return kMakerSite;
    return kNoSite;
}

std::vector<std::string> LabHosts::AllNames() const {
    std::vector<std::string> names(m_carriers.begin() + 1, m_carriers.end());
    names.insert(names.end(), {m_makerHost, m_siteHost, m_downloadHost});
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    names.erase(std::remove(names.begin(), names.end(), std::string()), names.end());
    return names;
}

std::string LabHosts::SiteUrl(std::uint16_t httpPort) const {
    return "http://" + m_siteHost + ":" + std::to_string(httpPort) + m_homePath;
}

std::string LabHosts::DonateUrl(std::uint16_t httpPort) const {
    if (m_donatePath.empty())
        return LoadString(IDS_PAYPAL_URL);
    return "http://" + m_makerHost + ":" + std::to_string(httpPort) + m_donatePath;
}

std::string LabHosts::DownloadLocation(std::uint16_t httpPort) const {
    return m_downloadHost + ":" + std::to_string(httpPort) + m_downloadPath;
}

void LabHosts::ApplyStringOverrides(const LabPorts& ports) const {
    for (int carrier = 1; carrier <= 9; ++carrier) {
        std::uint16_t port = UsesTls(carrier) ? ports.https : ports.http;
        OverrideStringForTests(kCarrierHostIds[carrier],
                               m_carriers[carrier] + ":" + std::to_string(port));
    }
    OverrideStringForTests(IDS_SERVICE_HOST, m_makerHost + ":" + std::to_string(ports.http));
    OverrideStringForTests(IDS_SITE_URL, SiteUrl(ports.http));
    OverrideStringForTests(IDS_PAYPAL_URL, DonateUrl(ports.http));
    OverrideStringForTests(IDS_DOWNLOAD_URL, DownloadLocation(ports.http));
}

}  // namespace lab
