#include "app/QueueThread.h"

#include <utility>

#include "runtime/PostToTarget.h"
#include "service/CounterReport.h"
#include "storage/AppSettings.h"

namespace {

// The donation prompt is due when this part was the fiftieth sent.
constexpr std::int32_t kDonationCount = 50;

}  // namespace

void QueueBatch(std::vector<CSendJob> jobs, PostTarget reportTarget) {
    std::vector<Message> messages;
    messages.reserve(jobs.size());
    for (CSendJob& job : jobs) {
        messages.push_back(
            {WM_APP_QUEUE_JOB, QueueEntry{WM_APP_SEND_JOB, std::move(job), reportTarget}, 0});
    }
    PostAllToTarget(PostTarget::QueueThread, std::move(messages));
}

bool CQueueThread::Dispatch(Message& message) {
    static constexpr std::array<MessageMapEntry<CQueueThread>, 2> kMessageMap = {{
        {WM_APP_JOB_DONE, &CQueueThread::OnJobDone},
        {WM_APP_QUEUE_JOB, &CQueueThread::OnQueueJob},
    }};
    return DispatchFrom(this, kMessageMap, message);
}

bool CQueueThread::InitInstance() {
    m_ready = true;
    m_fiftieth = false;
    m_failures.clear();
    return true;
}

int CQueueThread::ExitInstance() {
    // Jobs still waiting are not sent.
    m_failures.clear();
    m_queue.clear();
    m_history.Take();
    return CWorkerThread::ExitInstance();
}

void CQueueThread::OnQueueJob(Message& message) {
    if (auto* entry = message.Expect<QueueEntry>())
        m_queue.push_back(std::move(*entry));
}

bool CQueueThread::OnIdle(long) {
    if (!m_queue.empty() && m_ready) {
        const QueueEntry& next = m_queue.front();
        PostToTarget(PostTarget::CoreThread, next.message, next.payload);
        m_ready = false;
    }
    return false;
}

void CQueueThread::OnJobDone(Message& message) {
    std::string number;
    std::string reason;
    if (auto* text = message.Get<std::string>()) {
        number = std::move(*text);
    } else if (auto* outcome = message.Get<JobOutcome>()) {
        number = std::move(outcome->number);
        reason = std::move(outcome->reason);
    } else {
        ReportWrongPayload(message.id, "a number or a JobOutcome");
    }
    const auto result = static_cast<SendResult>(message.lParam);

    if (result == ResultSent) {
        const std::int32_t count = AppSettings().MessageCount.fetch_add(1) + 1;
        ReportSentMessage();
        m_fiftieth = count == kDonationCount;
    }
    // A route's own reason replaces the code's text, in the report and in the history.
    std::string resultText = result == ResultSent ? std::string()
                             : reason.empty()     ? StatusText(result)
                                                  : reason;

    PostTarget reportTarget = PostTarget::MainWindow;
    if (!m_queue.empty()) {
        reportTarget = m_queue.front().reportTarget;
        if (m_recorder)
            m_history.Add(m_queue.front().payload, result, resultText, UtcNowMs());
        m_queue.pop_front();
    }
    if (result != ResultSent)
        m_failures.push_back({result, std::move(resultText), std::move(number)});
    m_ready = true;

    if (m_queue.empty()) {
        // Recorded first (the writer only queues it), so a window that reads the history
        // after the report finds the batch.
        if (!m_history.Empty())
            m_recorder(m_history.Take());
        PostToTarget(reportTarget, WM_APP_SEND_REPORT, std::exchange(m_failures, {}));
        if (m_fiftieth) {
            PostToTarget(PostTarget::MainWindow, WM_APP_FIFTIETH_MESSAGE);
            m_fiftieth = false;
        }
    }
}
