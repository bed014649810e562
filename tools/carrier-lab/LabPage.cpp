#include "carrier-lab/LabPage.h"

#include <algorithm>
#include <map>

#include "carrier-lab/SiteRequest.h"

namespace lab {

namespace {

// The log is capped in the lab already; the page shows its newest entries only.
constexpr std::size_t kLogRows = 200;

constexpr const char* kStyle = R"(<style>
:root { color-scheme: light dark; font-family: sans-serif; }
body { margin: 1.5em; max-width: 72em; }
h1 { font-size: 1.4em; } h2 { font-size: 1.1em; margin-top: 1.6em; }
table { border-collapse: collapse; width: 100%; font-size: 0.9em; }
th, td { text-align: left; padding: 0.25em 0.6em; border-bottom: 1px solid rgba(128,128,128,.35);
         vertical-align: top; }
.phone { border: 1px solid rgba(128,128,128,.5); border-radius: 0.6em; padding: 0.6em 1em;
         margin: 0.6em 0; }
.text { white-space: pre-wrap; font-size: 1.05em; margin: 0.2em 0 0.5em; }
.meta { opacity: 0.7; font-size: 0.85em; }
.error { color: #c0392b; font-weight: bold; }
.empty { opacity: 0.6; font-style: italic; }
</style>)";

std::string Cell(const std::string& text) {
    return "<td>" + Escaped(text) + "</td>";
}

std::string Phones(const std::vector<InboxMessage>& messages) {
    if (messages.empty())
        return "<p class=\"empty\">No phone has received anything yet.</p>\n";
    std::map<std::string, std::vector<const InboxMessage*>> byNumber;
    for (const auto& m : messages) byNumber[m.number].push_back(&m);
    std::string html;
    for (const auto& [number, list] : byNumber) {
        html += "<div class=\"phone\"><b>" + Escaped(number) + "</b> <span class=\"meta\">" +
                Escaped(SiteName(list.front()->carrier)) + "</span>\n";
        for (const InboxMessage* m : list) {
            std::string from = m->sender;
            if (!m->replyNumber.empty())
                from += (from.empty() ? "" : ", ") + m->replyNumber;
            if (!m->replyEmail.empty())
                from += (from.empty() ? "" : ", ") + m->replyEmail;
            std::string sms = m->parts == 0 ? ""
                                            : " &middot; by SMS in " + std::to_string(m->parts) +
                                                  (m->parts == 1 ? " text" : " texts");
            if (!m->route.empty())
                sms += " &middot; by " + Escaped(m->route);
            html += "<div class=\"meta\">" + Escaped(m->time) + sms +
                    (from.empty() ? "" : " &middot; from ") + Escaped(from) +
                    "</div><div class=\"text\">" + Escaped(m->text) + "</div>\n";
        }
        html += "</div>\n";
    }
    return html;
}

std::string RequestLog(const std::vector<LogEntry>& log) {
    if (log.empty())
        return "<p class=\"empty\">No request yet.</p>\n";
    std::string html =
        "<table><tr><th>#</th><th>time</th><th>request</th><th>status</th><th>notes</th></tr>\n";
    const std::size_t first = log.size() > kLogRows ? log.size() - kLogRows : 0;
    for (std::size_t i = log.size(); i-- > first;) {
        const LogEntry& e = log[i];
        std::string notes;
        if (!e.protocolError.empty())
            notes +=
                "<span class=\"error\">protocol error: " + Escaped(e.protocolError) + "</span> ";
        if (!e.fault.empty())
            notes += "fault: " + Escaped(e.fault) + " ";
        for (const auto& n : e.notes) notes += Escaped(n) + " ";
        html += "<tr>" + Cell(std::to_string(e.seq)) + Cell(e.time) +
                Cell(e.method + " " + (e.tls ? "https://" : "http://") + e.host + e.target) +
                Cell(std::to_string(e.status)) + "<td>" + notes + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string Installer(const std::vector<InstallerRun>& runs) {
    if (runs.empty())
        return "<p class=\"empty\">The installer has not run.</p>\n";
    std::string html = "<table><tr><th>time</th><th>arguments</th></tr>\n";
    for (const auto& r : runs) html += "<tr>" + Cell(r.time) + Cell(r.arguments) + "</tr>\n";
    return html + "</table>\n";
}

}  // namespace

std::string RenderLabPage(const LabControl& lab) {
    const CounterState counter = lab.Counter();
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"refresh\" content=\"3\">\n<title>Quillo carrier lab</title>\n";
    html += kStyle;
    html +=
        "\n</head>\n<body>\n<h1>Quillo carrier lab</h1>\n"
        "<p class=\"meta\">Refreshes every 3 seconds. JSON: <a href=\"/lab/\">/lab/</a></p>\n";
    html += "<h2>Phones</h2>\n" + Phones(lab.AllMessages());
    html += "<h2>Message counter</h2>\n<p>" + std::to_string(counter.total) + " sent in " +
            std::to_string(counter.reports) + " reports</p>\n";
    html += "<h2>Installer runs</h2>\n" + Installer(lab.InstallerRuns());
    html += "<h2>Requests (newest first)</h2>\n" + RequestLog(lab.Log());
    return html + "</body>\n</html>\n";
}

}  // namespace lab
