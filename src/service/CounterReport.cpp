#include "service/CounterReport.h"

#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/CaughtException.h"
#include "net/FormRequest.h"
#include "res/StringTable.h"

namespace {

// Reports waiting beyond this many are dropped: the service has been gone for a long time, and
// the count itself is kept in the settings.
constexpr std::size_t kMaxWaitingReports = 1000;
// How long the process's end waits for a report in flight (transfers abort at shutdown).
constexpr std::chrono::seconds kExitWait{2};
// The reporting thread's scheduling niceness: the lowest share of the processor.
constexpr int kReporterNice = 19;

CFormRequest CounterRequest(std::int32_t sum) {
    CFormRequest request(IDS_SERVICE_HOST, IDS_COUNTER_PATH, VerbPost, kFormContentType, false);
    request.AddField("counterID", "1");
    request.AddField("sum", std::to_string(sum));
    return request;
}

// The reports of sent parts, in order, off the queue thread's path. The request is made when the
// part is counted, so a report goes where the service was at that moment.
class Reporter {
public:
    static Reporter& Instance() {
        static Reporter reporter;
        return reporter;
    }

    void Queue(CFormRequest request) {
        {
            std::lock_guard lock(m_state->mutex);
            if (m_state->waiting.size() >= kMaxWaitingReports)
                return;
            m_state->waiting.push_back(std::move(request));
            if (!m_thread.joinable())
                m_thread = std::thread(&Reporter::Loop, m_state);
        }
        m_state->changed.notify_all();
    }

    bool WaitUntilIdle(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_state->mutex);
        return m_state->changed.wait_for(
            lock, timeout, [&] { return m_state->waiting.empty() && !m_state->sending; });
    }

    ~Reporter() {
        {
            std::lock_guard lock(m_state->mutex);
            m_state->stop = true;
            m_state->waiting.clear();
        }
        m_state->changed.notify_all();
        if (!m_thread.joinable())
            return;
        // The loop owns its state too, so a report that hangs past the wait harms nothing.
        std::unique_lock lock(m_state->mutex);
        if (m_state->changed.wait_for(lock, kExitWait, [&] { return m_state->ended; })) {
            lock.unlock();
            m_thread.join();
        } else {
            m_thread.detach();
        }
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<CFormRequest> waiting;
        bool sending = false;
        bool stop = false;
        bool ended = false;
    };

    static void Loop(std::shared_ptr<State> state) {
        // The reports may trail the sending: they take the processor only when delivery
        // leaves it free, instead of halving what a batch gets on a small machine.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kReporterNice);
        std::unique_lock lock(state->mutex);
        for (;;) {
            state->changed.wait(lock, [&] { return state->stop || !state->waiting.empty(); });
            if (state->stop)
                break;
            CFormRequest request = std::move(state->waiting.front());
            state->waiting.pop_front();
            state->sending = true;
            lock.unlock();
            try {
                request.Perform();
            } catch (...) {
                ReportCaught("a queued counter report");
            }
            lock.lock();
            state->sending = false;
            state->changed.notify_all();
        }
        state->ended = true;
        state->changed.notify_all();
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
    std::thread m_thread;
};

}  // namespace

bool ReportMessageCount(std::int32_t count) noexcept {
    std::string answer;
    try {
        answer = CounterRequest(count).Perform();
    } catch (...) {
        ReportCaught("the counter report");
        answer = "FAIL";
    }
    return answer == "SUCCESS";
}

void ReportSentMessage() noexcept {
    try {
        Reporter::Instance().Queue(CounterRequest(1));
    } catch (...) {
        // Out of memory: this one report is lost, the count is not.
        ReportCaught("queueing a counter report");
    }
}

bool WaitForCounterReports(std::chrono::milliseconds timeout) {
    return Reporter::Instance().WaitUntilIdle(timeout);
}
