// quillo-lab: the carrier lab as a program, for running Quillo by hand.

#include <signal.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>

#include "base/Paths.h"
#include "carrier-lab/LabServer.h"

namespace {

constexpr const char* kUsage =
    "usage: quillo-lab [--http-port N] [--https-port N] [--state DIR] [--phones FILE]\n"
    "                  [--latest-version TEXT] [--modem SOCKET]\n"
    "                  [--web-account NAME] [--web-secret TEXT]\n"
    "Serves the carriers' gateways and the maker's site on 127.0.0.1 (default ports 47080 and\n"
    "47443); watch it at http://localhost:47080/, inspect and inject faults under /lab/.\n"
    "--modem serves a GSM modem for ModemManager on the abstract Unix socket SOCKET.\n"
    "--web-account and --web-secret set what the SMS web-service stand-ins accept\n"
    "(default lab-account and lab-secret); see /lab/web.\n";

[[noreturn]] void Usage(const std::string& problem) {
    std::cerr << "quillo-lab: " << problem << "\n" << kUsage;
    std::exit(2);
}

std::uint16_t ParsePort(std::string_view text) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value > 65535) {
        Usage("not a port number: " + std::string(text));
    }
    return static_cast<std::uint16_t>(value);
}

std::filesystem::path DefaultStateDir() {
    // Beside Quillo's own data folder: ~/.local/share/quillo-lab/.
    return UserDataDirectory().parent_path().parent_path() / "quillo-lab";
}

}  // namespace

int main(int argc, char** argv) {
    lab::LabOptions options;
    options.stateDir = DefaultStateDir();
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        std::string value;
        if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.erase(eq);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            Usage(arg + " needs a value");
        }
        if (arg == "--http-port") {
            options.httpPort = ParsePort(value);
        } else if (arg == "--https-port") {
            options.httpsPort = ParsePort(value);
        } else if (arg == "--state") {
            options.stateDir = value;
        } else if (arg == "--phones") {
            options.phonesFile = value;
        } else if (arg == "--modem") {
            options.modemSocket = value;
        } else if (arg == "--web-account") {
            options.webAccount = value;
        } else if (arg == "--web-secret") {
            options.webSecret = value;
        } else if (arg == "--latest-version") {
            options.latestVersion = value;
        } else {
            Usage("unknown option " + arg);
        }
    }

    // Blocked before any thread starts, so that only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::mutex outputMutex;
    options.logLine = [&outputMutex](const std::string& line) {
        std::lock_guard lock(outputMutex);
        std::cout << line << std::endl;
    };

    lab::LabServer server;
    lab::LabPorts ports;
    try {
        ports = server.Start(options);
    } catch (const std::exception& e) {
        std::cerr << "quillo-lab: " << e.what() << "\n";
        return 1;
    }
    {
        std::lock_guard lock(outputMutex);
        std::cout << "quillo-lab: plain HTTP on 127.0.0.1:" << ports.http
                  << ", HTTPS on 127.0.0.1:" << ports.https << "; state in "
                  << options.stateDir.string() << "; CA " << server.CaCertificateFile().string()
                  << std::endl;
    }

    int received = 0;
    sigwait(&stopSignals, &received);
    {
        std::lock_guard lock(outputMutex);
        std::cout << "quillo-lab: stopping (" << (received == SIGINT ? "SIGINT" : "SIGTERM") << ")"
                  << std::endl;
    }
    server.Stop();
    return 0;
}
