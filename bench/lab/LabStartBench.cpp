// How long the carrier lab takes to start and stop, against a bare HTTP server started and
// stopped the same way (the baseline): the lab is meant to start in well under a second.

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <stdlib.h>

#include <filesystem>
#include <thread>

#include "carrier-lab/LabServer.h"

namespace {

namespace fs = std::filesystem;

fs::path MakeTempDir() {
    std::string pattern = (fs::temp_directory_path() / "quillo-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

lab::LabOptions Options(const fs::path& state) {
    lab::LabOptions options;
    options.httpPort = 0;
    options.httpsPort = 0;
    options.stateDir = state;
    options.installRootCa = false;
    return options;
}

void BM_BareServerStartStop(benchmark::State& state) {
    for (auto _ : state) {
        httplib::Server server;
        server.Get("/", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("ok", "text/plain");
        });
        int port = server.bind_to_any_port("127.0.0.1");
        std::thread thread([&] { server.listen_after_bind(); });
        while (!server.is_running()) std::this_thread::yield();
        benchmark::DoNotOptimize(port);
        server.stop();
        thread.join();
    }
}
BENCHMARK(BM_BareServerStartStop)->Unit(benchmark::kMillisecond);

// A later start: the certificates are in the state folder already.
void BM_LabStartStop(benchmark::State& state) {
    fs::path dir = MakeTempDir();
    {
        lab::LabServer warm;
        warm.Start(Options(dir));
    }
    for (auto _ : state) {
        lab::LabServer server;
        benchmark::DoNotOptimize(server.Start(Options(dir)));
        server.Stop();
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_LabStartStop)->Unit(benchmark::kMillisecond);

// The first start: a new CA and server certificate are made.
void BM_LabFirstStartStop(benchmark::State& state) {
    fs::path dir = MakeTempDir();
    for (auto _ : state) {
        fs::remove_all(dir / "state");
        lab::LabServer server;
        benchmark::DoNotOptimize(server.Start(Options(dir / "state")));
        server.Stop();
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_LabFirstStartStop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
