// The program's own cost of delivering. BM_DeliveryOverhead pushes 1,000 short jobs through the
// queue and core threads to the carrier lab in this process, then sends the very same HTTP
// requests the lab logged from a bare libcurl loop, in two like-for-like pairs:
//   ratio_batch: the time to the batch report against a loop of only the carrier form posts
//                (the counter reports go on in a thread of their own after the report);
//   ratio_all:   the time to the last counter report against a loop of every request.
// Goal: both at most 1.2. The "_fresh" ratios compare with a loop that, like the HTTP client,
// takes a new handle for every request. BM_JobHandOff runs 1,000 jobs the core thread refuses
// without sending (an unknown carrier): what the two threads cost per job with no network at
// all. Verizon is left out: its exchange waits 800 ms by design.

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
#include "res/StringTable.h"
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

// The logged carrier requests without the counter reports.
std::vector<lab::LogEntry> CarrierRequests(const std::vector<lab::LogEntry>& log) {
    const std::string counter = LoadString(IDS_COUNTER_PATH);
    std::vector<lab::LogEntry> carrier;
    for (const auto& entry : log) {
        if (!entry.target.starts_with(counter))
            carrier.push_back(entry);
    }
    return carrier;
}

double TimedReplay(Lab& lab, const std::vector<lab::LogEntry>& requests, bool freshHandle) {
    lab->Reset();
    const auto start = Clock::now();
    Replay(requests, freshHandle);
    return Seconds(Clock::now() - start);
}

void BM_DeliveryOverhead(benchmark::State& state) {
    static Lab lab;
    Program program;
    // Per iteration: to the batch report, to the last counter report, and the four loops.
    double toReport = 0, toLastCount = 0, bareCarrier = 0, bareAll = 0, freshCarrier = 0,
           freshAll = 0;
    std::size_t carrierRequests = 0, allRequests = 0;
    for (auto _ : state) {
        lab->Reset();
        const auto start = Clock::now();
        program.SendBatch([](int i) { return kCarriers[i % std::size(kCarriers)]; });
        const double reported = Seconds(Clock::now() - start);
        WaitForCounterReports(std::chrono::seconds(60));
        toLastCount += Seconds(Clock::now() - start);
        toReport += reported;
        state.SetIterationTime(reported);

        const auto all = lab->Log();
        const auto carrier = CarrierRequests(all);
        carrierRequests = carrier.size();
        allRequests = all.size();
        bareCarrier += TimedReplay(lab, carrier, false);
        bareAll += TimedReplay(lab, all, false);
        freshCarrier += TimedReplay(lab, carrier, true);
        freshAll += TimedReplay(lab, all, true);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["carrier_requests"] = static_cast<double>(carrierRequests);
    state.counters["all_requests"] = static_cast<double>(allRequests);
    state.counters["to_report_s"] = toReport / runs;
    state.counters["to_last_count_s"] = toLastCount / runs;
    state.counters["bare_carrier_s"] = bareCarrier / runs;
    state.counters["bare_all_s"] = bareAll / runs;
    state.counters["ratio_batch"] = toReport / bareCarrier;
    state.counters["ratio_all"] = toLastCount / bareAll;
    state.counters["ratio_batch_fresh"] = toReport / freshCarrier;
    state.counters["ratio_all_fresh"] = toLastCount / freshAll;
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
