#pragma once
// CQueueThread: keeps the send jobs in order, hands them to the core thread one at a time,
// counts the sent parts and reports each batch.

#include <cstdint>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "app/BatchHistory.h"
#include "delivery/SendFailure.h"
#include "delivery/SendJob.h"
#include "runtime/WorkerThread.h"

class CQueueThread : public CWorkerThread {
public:
    // Takes each finished batch for the history; it must not block (the history's writer queues).
    using BatchRecorder = std::function<void(HistoryBatchRecord)>;
    // Takes each delivery report for the history; it must not block either.
    using DeliveryRecorder = std::function<void(const DeliveryReport&)>;

    explicit CQueueThread(BatchRecorder recorder = {}, DeliveryRecorder onDelivery = {})
        : m_recorder(std::move(recorder)), m_onDelivery(std::move(onDelivery)) {}
    const char* ClassName() const override { return "CQueueThread"; }

protected:
    bool Dispatch(Message& message) override;
    bool InitInstance() override;
    bool OnIdle(long count) override;
    int ExitInstance() override;

private:
    // WM_APP_JOB_DONE: counts or records the finished job and reports the batch when it was
    // the last.
    void OnJobDone(Message& message);
    // WM_APP_QUEUE_JOB: appends the entry behind the waiting ones.
    void OnQueueJob(Message& message);
    // WM_APP_DELIVERY_REPORT: hands the report to the history, after the batch it belongs to.
    void OnDeliveryReport(Message& message);
    // Hands the batch so far to the recorder, then the reports held back for it.
    void RecordBatch();

    bool m_ready = true;             // no job is out at the core thread
    bool m_fiftieth = false;         // the last sent part made MessageCount exactly 50
    std::deque<QueueEntry> m_queue;  // the front entry is the job out while !m_ready
    SendFailureList m_failures;      // the current batch's failures
    BatchRecorder m_recorder;
    DeliveryRecorder m_onDelivery;
    CBatchHistory m_history;  // the current batch, for the recorder
};

// Queues one batch (one job per recipient) for the queue thread in a single post. Posted one by
// one, a first job that finished before the next was queued would end the batch early and split
// its report in two.
void QueueBatch(std::vector<CSendJob> jobs, PostTarget reportTarget = PostTarget::MainWindow);
