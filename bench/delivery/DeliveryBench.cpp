// The program's own cost of delivering. BM_DeliveryOverhead pushes 1,000 short jobs through the
// queue and core threads to the carrier lab in this process, then sends the very same HTTP
// requests (the carrier form posts and the counter reports the lab logged) from a bare libcurl
// loop: "ratio" is the program's time over the loop's (goal: at most 1.2), "ratio_fresh_handle"
// the same against a loop that, like the HTTP client, takes a new handle for every request.
// BM_JobHandOff runs 1,000 jobs the core thread refuses without sending (an unknown carrier):
// what the two threads cost per job with no network at all. Verizon is left out: its exchange
// waits 800 ms by design.

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>

#include "app/CoreThread.h"
#include "app/QueueThread.h"
#include "base/Paths.h"
#include "carrier-lab/LabServer.h"
#include "contacts/Contact.h"
#include "net/FormRequest.h"
#include "runtime/PostToTarget.h"
#include "runtime/WindowEndpoint.h"
#include "service/CounterReport.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kJobs = 1000;

// The single-post carriers over plain HTTP, in turn.
constexpr std::int32_t kCarriers[] = {CarrierAllTel, CarrierATTWireless, CarrierCingular,
                                      CarrierNextel};

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The lab on ephemeral ports with its state in a folder of its own, for the whole run.
class Lab {
public:
    Lab() : m_dir(fs::temp_directory_path() / ("quillo-bench-" + std::to_string(getpid()))) {
        SetCertificateStoreRootForTests(m_dir / "certs");
        lab::LabOptions options;
        options.httpPort = 0;
        options.httpsPort = 0;
        options.stateDir = m_dir / "state";
        m_lab.Start(options);
        m_lab.ApplyStringOverrides();
    }
    ~Lab() {
        m_lab.Stop();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    lab::LabServer* operator->() { return &m_lab; }

private:
    fs::path m_dir;
    lab::LabServer m_lab;
};

// Both workers and a main window that only notes the batch reports.
class Program {
public:
    Program() {
        m_window = CWindowEndpoint::Create([](std::function<void()> call) { call(); },
                                           [this](Message& message) -> std::intptr_t {
                                               if (message.id == WM_APP_SEND_REPORT) {
                                                   std::lock_guard lock(m_mutex);
                                                   ++m_reports;
                                                   m_cv.notify_all();
                                               }
                                               return 1;
                                           });
        RegisterMainWindow(m_window);
        m_queue = std::make_shared<CQueueThread>();
        m_core = std::make_shared<CCoreThread>();
        m_queue->CreateThread(CWorkerThread::PriorityNormal);
        m_core->CreateThread(CWorkerThread::PriorityHighest);
        RegisterWorker(PostTarget::QueueThread, m_queue);
        RegisterWorker(PostTarget::CoreThread, m_core);
    }
    ~Program() {
        RegisterWorker(PostTarget::QueueThread, nullptr);
        RegisterWorker(PostTarget::CoreThread, nullptr);
        m_queue->PostQuitMessage();
        m_core->PostQuitMessage();
        m_queue->Join(std::chrono::seconds(10));
        m_core->Join(std::chrono::seconds(10));
        m_window->Close();
        RegisterMainWindow(nullptr);
    }

    // Queues 1,000 jobs as the send command does, for `carrier(i)`, and waits for the report.
    template <class CarrierOf>
    void SendBatch(CarrierOf carrierOf) {
        const int before = m_reports;
        std::vector<CSendJob> jobs;
        for (int i = 0; i < kJobs; ++i) {
            CSendJob job;
            job.carrier = carrierOf(i);
            job.number =
                "55502" + std::to_string(10000 + i).substr(1) + std::to_string(job.carrier % 10);
            job.senderName = "Ann";
            job.replyNumber = "5550001111";
            job.text = "Running late, see you at eight";
            jobs.push_back(std::move(job));
        }
        QueueBatch(std::move(jobs));
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_reports > before; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    int m_reports = 0;
    std::shared_ptr<CWindowEndpoint> m_window;
    std::shared_ptr<CQueueThread> m_queue;
    std::shared_ptr<CCoreThread> m_core;
};

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

CURL* NewHandle(curl_slist* headers) {
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);  // as the client speaks
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    return curl;
}

// The logged requests again from a bare loop; with `freshHandle` a new handle for each.
void Replay(const std::vector<lab::LogEntry>& log, bool freshHandle) {
    curl_slist* headers = curl_slist_append(nullptr, kFormContentType);
    CURL* curl = NewHandle(headers);
    for (const auto& entry : log) {
        if (freshHandle) {
            curl_easy_cleanup(curl);
            curl = NewHandle(headers);
        }
        const std::string url = "http://" + entry.host + entry.target;
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(entry.body.size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, entry.body.c_str());
        curl_easy_perform(curl);
    }
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
}

void BM_DeliveryOverhead(benchmark::State& state) {
    static Lab lab;
    Program program;
    double programTime = 0;
    double bareTime = 0;
    double freshTime = 0;
    std::size_t requests = 0;
    for (auto _ : state) {
        lab->Reset();
        auto start = Clock::now();
        program.SendBatch([](int i) { return kCarriers[i % std::size(kCarriers)]; });
        const double sent = Seconds(Clock::now() - start);
        programTime += sent;
        state.SetIterationTime(sent);
        // The counter reports go on beside the batch; the replay sends them too.
        WaitForCounterReports(std::chrono::seconds(60));
        const auto log = lab->Log();
        requests = log.size();

        lab->Reset();
        start = Clock::now();
        Replay(log, false);
        bareTime += Seconds(Clock::now() - start);

        lab->Reset();
        start = Clock::now();
        Replay(log, true);
        freshTime += Seconds(Clock::now() - start);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["requests"] = static_cast<double>(requests);
    state.counters["program_s"] = programTime / runs;
    state.counters["bare_curl_s"] = bareTime / runs;
    state.counters["ratio"] = programTime / bareTime;
    state.counters["ratio_fresh_handle"] = programTime / freshTime;
}
BENCHMARK(BM_DeliveryOverhead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_JobHandOff(benchmark::State& state) {
    Program program;
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        program.SendBatch([](int) { return 42; });  // no carrier has code 42: nothing is sent
        total += Seconds(Clock::now() - start);
    }
    state.counters["per_job_us"] = total * 1e6 / (kJobs * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_JobHandOff)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
