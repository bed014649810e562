#include "app/BatchHistory.h"

#include <chrono>
#include <utility>

#include "base/Text.h"
#include "contacts/Contact.h"
#include "delivery/SendFailure.h"

void CBatchHistory::Add(const CSendJob& job, std::int32_t result, std::int64_t nowMs) {
    if (m_record.parts.empty()) {
        m_record.sentAt = nowMs;
        m_record.route = kWebFormsRoute;
        m_record.messageUtf8 = Cp1252ToUtf8(job.text);
        m_record.senderName = job.senderName;
        m_record.replyNumber = job.replyNumber;
        m_record.replyEmail = job.replyEmail;
    }
    m_record.parts.push_back({job.number, job.shownName, std::string(CarrierName(job.carrier)),
                              result, result == ResultSent ? std::string() : StatusText(result),
                              std::nullopt});
}

HistoryBatchRecord CBatchHistory::Take() {
    return std::exchange(m_record, {});
}

std::int64_t UtcNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}
