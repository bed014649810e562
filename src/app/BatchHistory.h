#pragma once
// CBatchHistory: what the history keeps of the batch the queue thread is working through,
// gathered part by part as the core thread finishes them.

#include <cstdint>

#include "delivery/SendJob.h"
#include "history/HistoryRecords.h"

// The route every batch takes today.
inline constexpr const char* kWebFormsRoute = "Carrier web forms";

class CBatchHistory {
public:
    // One finished part. The batch's message and sender come from its first part, which is
    // always a whole message (continuations queue behind the first parts).
    void Add(const CSendJob& job, std::int32_t result, std::int64_t nowMs);
    bool Empty() const { return m_record.parts.empty(); }
    // The record so far; the next Add starts a new batch.
    HistoryBatchRecord Take();

private:
    HistoryBatchRecord m_record;
};

// UTC milliseconds since 1970.
std::int64_t UtcNowMs();
