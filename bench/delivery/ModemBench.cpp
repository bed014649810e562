// One text through the modem route against the same text through ModemManager's own command
// line, on one daemon (test mode, on a private bus it starts) and one lab modem:
//   ratio_kept:  CModemRoute::Send on a route kept between texts, as the core thread keeps it,
//                against `mmcli -m <modem> --messaging-create-sms=...` then `mmcli -s <sms>
//                --send` (the baseline's clean-up, deleting the text, is not timed; the
//                route's is);
//   ratio_fresh: the same with a new route for each text, which connects to the bus first.
// Goal: ratio_kept at most 1.2. Skipped when ModemManager or mmcli is not installed.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>

#include "carrier-lab/LabServer.h"
#include "delivery/routes/ModemRoute.h"
#include "support/ChildProcess.h"
#include "support/ModemDaemon.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kManager = "/usr/sbin/ModemManager";
constexpr const char* kCli = "/usr/bin/mmcli";
constexpr const char* kNumber = "5550100001";
constexpr const char* kText = "Running late, see you at eight";

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The daemon, and the lab with its modem plugged into it, for the whole run.
class ModemLab {
public:
    ModemLab() : m_socket("abstract:quillo-bench" + std::to_string(::getpid())) {
        lab::LabOptions options;
        options.httpPort = 0;
        options.httpsPort = 0;
        options.stateDir = m_dir.path() / "state";
        options.modemSocket = m_socket;
        m_lab.Start(options);
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", m_daemon.Address().c_str(), 1);
        m_modem = m_daemon.Plug(m_socket);
    }
    ~ModemLab() { m_lab.Stop(); }

    const std::string& Modem() const { return m_modem; }
    std::vector<std::string> Environment() const {
        return {"PATH=/usr/bin:/bin", "DBUS_SYSTEM_BUS_ADDRESS=" + m_daemon.Address()};
    }

private:
    TempDir m_dir;
    std::string m_socket;
    lab::LabServer m_lab;
    ModemDaemon m_daemon;
    std::string m_modem;
};

CSendJob Job(const std::string& modem) {
    CSendJob job;
    job.number = kNumber;
    job.typedText = kText;
    job.route.route = RouteModem;
    job.route.modem = modem;
    return job;
}

// mmcli with `args`; its output's first match of `pattern`, or "" when it failed.
std::string Cli(const ModemLab& lab, std::vector<std::string> args, const std::regex& pattern) {
    ChildProcess cli(kCli, std::move(args), lab.Environment());
    const std::string line = cli.WaitForLine(pattern, std::chrono::seconds(30));
    std::smatch found;
    std::regex_search(line, found, pattern);
    return cli.Wait() == 0 && !found.empty() ? found.str() : std::string();
}

// The baseline's two commands; false when either failed.
bool CliSend(const ModemLab& lab, double& seconds) {
    const auto start = Clock::now();
    const std::string sms =
        Cli(lab,
            {"-m", lab.Modem(),
             std::string("--messaging-create-sms=number=+1") + kNumber + ",text='" + kText + "'"},
            std::regex("/org/freedesktop/ModemManager1/SMS/[0-9]+"));
    const bool sent =
        !sms.empty() && !Cli(lab, {"-s", sms, "--send"}, std::regex("successfully sent")).empty();
    seconds += Seconds(Clock::now() - start);
    if (!sms.empty())
        Cli(lab, {"-m", lab.Modem(), "--messaging-delete-sms=" + sms}, std::regex("."));
    return sent;
}

// "" when sent, else the reason.
std::string RouteSend(CModemRoute& route, const std::string& modem, double& seconds) {
    const auto start = Clock::now();
    const RouteResult result = route.Send(Job(modem));
    seconds += Seconds(Clock::now() - start);
    return result.code == ResultSent ? std::string() : "the route: " + result.reason;
}

void BM_ModemSend(benchmark::State& state) {
    if (!fs::exists(kManager) || !fs::exists(kCli)) {
        state.SkipWithError("ModemManager or mmcli is not installed");
        return;
    }
    static ModemLab lab;
    if (lab.Modem().empty()) {
        state.SkipWithError("the daemon did not take the lab's modem");
        return;
    }
    CModemRoute kept;
    double unused = 0;
    if (const std::string failed = RouteSend(kept, lab.Modem(), unused); !failed.empty()) {
        state.SkipWithError(failed.c_str());  // the first text enables the modem
        return;
    }
    double route = 0, fresh = 0, cli = 0;
    for (auto _ : state) {
        CModemRoute once;
        const double before = route;
        std::string failed = RouteSend(kept, lab.Modem(), route);
        if (failed.empty())
            failed = RouteSend(once, lab.Modem(), fresh);
        if (failed.empty() && !CliSend(lab, cli))
            failed = "mmcli did not send";
        if (!failed.empty()) {
            state.SkipWithError(failed.c_str());
            return;
        }
        state.SetIterationTime(route - before);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["route_ms"] = route * 1000 / runs;
    state.counters["fresh_route_ms"] = fresh * 1000 / runs;
    state.counters["mmcli_ms"] = cli * 1000 / runs;
    state.counters["ratio_kept"] = route / cli;
    state.counters["ratio_fresh"] = fresh / cli;
}
BENCHMARK(BM_ModemSend)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
