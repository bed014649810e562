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
    static constexpr std::array<MessageMapEntry<CQueueThread>, 3> kMessageMap = {{
        {WM_APP_JOB_DONE, &CQueueThread::OnJobDone},
        {WM_APP_QUEUE_JOB, &CQueueThread::OnQueueJob},
        {WM_APP_DELIVERY_REPORT, &CQueueThread::OnDeliveryReport},
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
    // Jobs still waiting are not sent; the parts that went out are kept in the history.
    m_failures.clear();
    m_queue.clear();
    RecordBatch();
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

void CQueueThread::OnDeliveryReport(Message& message) {
    auto* report = message.Expect<DeliveryReport>();
    if (!report || !m_onDelivery)
        return;
    // A report on a part of the batch still under way would find no row yet.
    if (!m_history.Hold(*report))
        m_onDelivery(*report);
}

void CQueueThread::RecordBatch() {
    if (m_history.Empty())
        return;
    m_recorder(m_history.Take());
    if (m_onDelivery)
        for (const DeliveryReport& report : m_history.TakeHeld()) m_onDelivery(report);
}

void CQueueThread::OnJobDone(Message& message) {
    JobOutcome outcome;
    if (auto* posted = message.Expect<JobOutcome>())
        outcome = std::move(*posted);
    const auto result = static_cast<SendResult>(message.lParam);

    if (result == ResultSent) {
        const std::int32_t count = AppSettings().MessageCount.fetch_add(1) + 1;
        ReportSentMessage();
        m_fiftieth = count == kDonationCount;
    }
    // A route's own reason replaces the code's text, in the report and in the history.
    std::string resultText = result == ResultSent     ? std::string()
                             : outcome.reason.empty() ? StatusText(result)
                                                      : outcome.reason;

    PostTarget reportTarget = PostTarget::MainWindow;
    if (!m_queue.empty()) {
        reportTarget = m_queue.front().reportTarget;
        if (m_recorder)
            m_history.Add(m_queue.front().payload, outcome, result, resultText, UtcNowMs());
        m_queue.pop_front();
    }
    if (result != ResultSent)
        m_failures.push_back({result, std::move(resultText), std::move(outcome.number)});
    m_ready = true;

    if (m_queue.empty()) {
        // Recorded first (the writer only queues it), so a window that reads the history
        // after the report finds the batch.
        RecordBatch();
        PostToTarget(reportTarget, WM_APP_SEND_REPORT, std::exchange(m_failures, {}));
        if (m_fiftieth) {
            PostToTarget(PostTarget::MainWindow, WM_APP_FIFTIETH_MESSAGE);
            m_fiftieth = false;
        }
    }
}
