#pragma once
// The maker's site: the home page with the six values in HTML comments, the message counter,
// the donation page, the installer download and its signature (the download path + ".sig").

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "carrier-lab/LabHosts.h"
#include "carrier-lab/LabSigning.h"
#include "carrier-lab/SiteRequest.h"

namespace lab {

class LabState;

class MakerSite {
public:
    MakerSite(LabState& state, const LabHosts& hosts, std::string latestVersion,
              std::uint16_t httpPort, std::filesystem::path stateDir, LabSigning signing);

    SiteReply Serve(const SiteRequest& request);

    // What the installer recorded, one run a line.
    std::vector<InstallerRun> InstallerRuns() const;
    std::filesystem::path InstallerRecordFile() const { return m_stateDir / "installer-runs.txt"; }

    // The installer: a shell script that appends the time and its arguments to the record.
    std::string InstallerScript() const;
    std::string HomePage() const;

    // The version the home page names; switchable while the lab runs.
    std::string LatestVersion() const;
    void SetLatestVersion(std::string version);
    const LabSigning& Signing() const { return m_signing; }

private:
    SiteReply Count(const SiteRequest& request);

    LabState& m_state;
    const LabHosts& m_hosts;
    std::uint16_t m_httpPort;
    std::filesystem::path m_stateDir;
    LabSigning m_signing;
    mutable std::mutex m_mutex;
    std::string m_latestVersion;
};

}  // namespace lab
