#pragma once
// CBatchHistory: what the history keeps of the batch the queue thread is working through,
// gathered part by part as the core thread finishes them.

#include <cstdint>
#include <vector>

#include "delivery/SendJob.h"
#include "history/HistoryRecords.h"

// The routes as the history names them.
inline constexpr const char* kWebFormsRoute = "Carrier web forms";
inline constexpr const char* kModemRoute = "Modem";
inline constexpr const char* kWebServiceRoute = "Web service";
const char* HistoryRouteName(DeliveryRoute route);
// A route's report as the history keeps it.
DeliveryState HistoryDeliveryState(ReportedDelivery state);

class CBatchHistory {
public:
    // One finished part: the job as queued and what the core thread said of it. The batch's
    // message and sender come from its first part, which is always a whole message
    // (continuations queue behind the first parts). `resultText` is what the batch report says
    // of the part (empty when it was sent).
    void Add(const CSendJob& job, const JobOutcome& outcome, std::int32_t result,
             const std::string& resultText, std::int64_t nowMs);
    bool Empty() const { return m_record.parts.empty(); }
    // The record so far; the next Add starts a new batch.
    HistoryBatchRecord Take();

    // Keeps a report on a part of this batch until the batch is recorded; false (and nothing
    // kept) when the report is on no part of it.
    bool Hold(const DeliveryReport& report);
    // The reports kept, once the batch they belong to was taken.
    std::vector<DeliveryReport> TakeHeld();

private:
    HistoryBatchRecord m_record;
    std::vector<DeliveryReport> m_held;
};

// UTC milliseconds since 1970.
std::int64_t UtcNowMs();
