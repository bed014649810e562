#include "app/BatchHistory.h"

#include <chrono>
#include <utility>

#include "base/Text.h"
#include "contacts/Contact.h"
#include "delivery/SendFailure.h"

void CBatchHistory::Add(const CSendJob& job, std::int32_t result, const std::string& resultText,
                        std::int64_t nowMs) {
    if (m_record.parts.empty()) {
        m_record.sentAt = nowMs;
        m_record.route = job.route.route == RouteModem ? kModemRoute : kWebFormsRoute;
        // The text as typed where the job carries it, else what the forms carry.
        m_record.messageUtf8 = job.typedText.empty() ? Cp1252ToUtf8(job.text) : job.typedText;
        m_record.senderName = job.senderName;
        m_record.replyNumber = job.replyNumber;
        m_record.replyEmail = job.replyEmail;
    }
    m_record.parts.push_back({job.number, job.shownName, std::string(CarrierName(job.carrier)),
                              result, resultText, std::nullopt});
}

HistoryBatchRecord CBatchHistory::Take() {
    return std::exchange(m_record, {});
}

std::int64_t UtcNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}
