#include "carrier-lab/MakerSite.h"

#include <fstream>

#include "carrier-lab/FormBody.h"
#include "carrier-lab/LabState.h"
#include "res/StringTable.h"

namespace lab {

namespace {

std::string ShellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

}  // namespace

MakerSite::MakerSite(LabState& state, const LabHosts& hosts, std::string latestVersion,
                     std::uint16_t httpPort, std::filesystem::path stateDir, LabSigning signing)
    : m_state(state),
      m_hosts(hosts),
      m_httpPort(httpPort),
      m_stateDir(std::move(stateDir)),
      m_signing(std::move(signing)),
      m_latestVersion(std::move(latestVersion)) {}

std::string MakerSite::LatestVersion() const {
    std::lock_guard lock(m_mutex);
    return m_latestVersion;
}

void MakerSite::SetLatestVersion(std::string version) {
    std::lock_guard lock(m_mutex);
    m_latestVersion = std::move(version);
}

std::string MakerSite::HomePage() const {
    const std::string latest = LatestVersion();
    // The client takes the first occurrence of each key, so "Site_URL" must come before
    // "Site_URL_Text", and no key may appear earlier in the page.
    std::string page =
        "<html>\r\n<head><title>Quillo</title><link rel=\"icon\" href=\"data:,\">\r\n";
    const std::pair<const char*, std::string> values[] = {
        {"Site_URL", m_hosts.SiteUrl(m_httpPort)},
        {"Site_URL_Text", LoadString(IDS_SITE_URL_TEXT)},
        {"Paypal_URL", m_hosts.DonateUrl(m_httpPort)},
        {"Donate_Address", LoadString(IDS_DONATE_ADDRESS)},
        {"Quillo_Latest_Version", latest},
        {"Quillo_Download_URL", m_hosts.DownloadLocation(m_httpPort)},
    };
    for (const auto& [key, value] : values) {
        page += "<!-- " + std::string(key) + " " + value + " -->\r\n";
    }
    page +=
        "</head>\r\n<body>\r\n<h1>Quillo</h1>\r\n<p>A desktop text messenger. The latest version "
        "is " +
        latest + ".</p>\r\n<p><a href=\"" + m_hosts.DownloadPath() +
        "\">Get the installer</a></p>\r\n</body>\r\n</html>\r\n";
    return page;
}

std::string MakerSite::InstallerScript() const {
    return "#!/bin/sh\n"
           "# The upgrade installer as the carrier lab serves it: it installs nothing and records\n"
           "# that it ran, with its arguments.\n"
           "printf '%s\\t%s\\n' \"$(date -u +%Y-%m-%dT%H:%M:%SZ)\" \"$*\" >> " +
           ShellQuoted(InstallerRecordFile().string()) + "\n";
}

std::vector<InstallerRun> MakerSite::InstallerRuns() const {
    std::vector<InstallerRun> runs;
    std::ifstream in(InstallerRecordFile());
    std::string line;
    while (std::getline(in, line)) {
        auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        runs.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return runs;
}

SiteReply MakerSite::Serve(const SiteRequest& request) {
    try {
        SiteReply reply;
        if (request.target == LoadString(IDS_COUNTER_PATH))
            return Count(request);
        if (request.target == m_hosts.HomePath()) {
            ExpectGet(request);
            reply.body = HomePage();
        } else if (!m_hosts.DonatePath().empty() && request.target == m_hosts.DonatePath()) {
            ExpectGet(request);
            reply.body =
                HtmlPage("Support Quillo", "<h1>Support Quillo</h1>\r\n<p>Donations by post: " +
                                               LoadString(IDS_DONATE_ADDRESS) + "</p>");
        } else if (request.target == m_hosts.DownloadPath()) {
            ExpectGet(request);
            reply.contentType = "application/octet-stream";
            reply.body = InstallerScript();
            reply.notes.push_back("installer downloaded");
        } else if (request.target == m_hosts.DownloadPath() + ".sig") {
            ExpectGet(request);
            reply.contentType = "text/plain";
            reply.body = m_signing.Sign(InstallerScript()) + "\n";
        } else {
            return NotFound(request);
        }
        return reply;
    } catch (const ProtocolError& e) {
        return BadRequest(e.what());
    }
}

SiteReply MakerSite::Count(const SiteRequest& request) {
    FormBody form = ExpectPostForm(request);
    form.ExpectNames({"counterID", "sum"});
    form.ExpectValue("counterID", "1");
    std::int64_t sum = form.Integer("sum");
    if (sum < 0)
        throw ProtocolError("field \"sum\" is negative: " + std::to_string(sum));
    m_state.Count(sum);
    SiteReply reply;
    reply.body = "SUCCESS";
    reply.notes.push_back("counted " + std::to_string(sum));
    return reply;
}

}  // namespace lab
