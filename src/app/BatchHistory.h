#pragma once
// CBatchHistory: what the history keeps of the batch the queue thread is working through,
// gathered part by part as the core thread finishes them.

#include <cstdint>

#include "delivery/SendJob.h"
#include "history/HistoryRecords.h"

// The routes as the history names them.
inline constexpr const char* kWebFormsRoute = "Carrier web forms";
inline constexpr const char* kModemRoute = "Modem";

class CBatchHistory {
public:
    // One finished part. The batch's message and sender come from its first part, which is
    // always a whole message (continuations queue behind the first parts). `resultText` is
    // what the batch report says of the part (empty when it was sent).
    void Add(const CSendJob& job, std::int32_t result, const std::string& resultText,
             std::int64_t nowMs);
    bool Empty() const { return m_record.parts.empty(); }
    // The record so far; the next Add starts a new batch.
    HistoryBatchRecord Take();

private:
    HistoryBatchRecord m_record;
};

// UTC milliseconds since 1970.
std::int64_t UtcNowMs();
