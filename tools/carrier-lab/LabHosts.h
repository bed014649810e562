#pragma once
// The lab's virtual hosts, read from the string table so that the lab always matches the
// deployment the program was built with.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "carrier-lab/LabTypes.h"

namespace lab {

inline constexpr int kMakerSite = 0;
inline constexpr int kNoSite = -1;

// T-Mobile and Verizon take their forms over TLS only.
inline bool UsesTls(int carrier) {
    return carrier == 7 || carrier == 9;
}

class LabHosts {
public:
    // Host names lower case and without ":port".
    static LabHosts FromStringTable();

    // 1..9 for a carrier's host, kMakerSite for the maker's, kNoSite otherwise.
    int SiteOf(const std::string& host) const;
    const std::string& CarrierHost(int carrier) const { return m_carriers.at(carrier); }
    const std::string& MakerHost() const { return m_makerHost; }
    // Every name the lab answers to, for the server certificate.
    std::vector<std::string> AllNames() const;

    // The maker's pages: home page, donation page, installer download.
    const std::string& HomePath() const { return m_homePath; }
    const std::string& DonatePath() const { return m_donatePath; }
    const std::string& DownloadPath() const { return m_downloadPath; }

    // The deployment values that name the maker's site, at the lab's own port.
    std::string SiteUrl(std::uint16_t httpPort) const;
    std::string DonateUrl(std::uint16_t httpPort) const;
    std::string DownloadLocation(std::uint16_t httpPort) const;

    // Points the string table's host entries at these ports (tests only).
    void ApplyStringOverrides(const LabPorts& ports) const;

private:
    std::array<std::string, 10> m_carriers;  // by carrier code; [0] unused
    std::string m_makerHost;                 // the service host (entry 145)
    std::string m_siteHost;                  // the home page's host
    std::string m_downloadHost;              // the download location's host
    std::string m_homePath = "/";
    std::string m_donatePath;
    std::string m_downloadPath;
};

// The host of a Host header or a TLS server name: up to any ":", lower case.
std::string LowerHost(std::string_view host);
// "host" of "host:port", "http://host:port/path" or "host:port/path", lower case.
std::string HostPart(const std::string& value);
// The path of "http://host/path" or "host/path" ("/" when it has none).
std::string PathPart(const std::string& value);

}  // namespace lab
