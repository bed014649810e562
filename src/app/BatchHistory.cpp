#include "app/BatchHistory.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <utility>

#include "base/Text.h"
#include "contacts/Contact.h"
#include "delivery/SendFailure.h"

const char* HistoryRouteName(DeliveryRoute route) {
    static constexpr std::array<const char*, 3> kNames = {kWebFormsRoute, kModemRoute,
                                                          kWebServiceRoute};
    const auto i = static_cast<std::size_t>(route);
    return i < kNames.size() ? kNames[i] : kWebFormsRoute;
}

DeliveryState HistoryDeliveryState(ReportedDelivery state) {
    static_assert(
        static_cast<int>(ReportedDelivery::Pending) == static_cast<int>(DeliveryState::Pending) &&
        static_cast<int>(ReportedDelivery::Expired) == static_cast<int>(DeliveryState::Expired));
    const auto n = static_cast<std::int32_t>(state);
    const bool known = n >= static_cast<std::int32_t>(DeliveryState::Pending) &&
                       n <= static_cast<std::int32_t>(DeliveryState::Expired);
    return known ? static_cast<DeliveryState>(n) : DeliveryState::Unknown;
}

namespace {

// The carrier column: the one that took the part (Auto-Detect's find), or the route's own name
// for the routes that know no carriers.
std::string CarrierColumn(const CSendJob& job, const JobOutcome& outcome) {
    if (job.route.route != RouteCarrierForms)
        return HistoryRouteName(job.route.route);
    return std::string(CarrierName(outcome.carrier != 0 ? outcome.carrier : job.carrier));
}

}  // namespace

void CBatchHistory::Add(const CSendJob& job, const JobOutcome& outcome, std::int32_t result,
                        const std::string& resultText, std::int64_t nowMs) {
    if (m_record.parts.empty()) {
        m_record.sentAt = nowMs;
        m_record.route = HistoryRouteName(job.route.route);
        // The text as typed where the job carries it, else what the forms carry.
        m_record.messageUtf8 = job.typedText.empty() ? Cp1252ToUtf8(job.text) : job.typedText;
        m_record.senderName = job.senderName;
        m_record.replyNumber = job.replyNumber;
        m_record.replyEmail = job.replyEmail;
    }
    std::optional<std::string> messageId;
    if (!outcome.messageId.empty())
        messageId = outcome.messageId;
    m_record.parts.push_back(
        {job.number, job.shownName, CarrierColumn(job, outcome), result, resultText, messageId});
}

HistoryBatchRecord CBatchHistory::Take() {
    return std::exchange(m_record, {});
}

bool CBatchHistory::Hold(const DeliveryReport& report) {
    const bool ours =
        !m_record.parts.empty() && m_record.route == HistoryRouteName(report.route) &&
        std::any_of(m_record.parts.begin(), m_record.parts.end(),
                    [&](const HistoryPart& part) { return part.messageId == report.messageId; });
    if (ours)
        m_held.push_back(report);
    return ours;
}

std::vector<DeliveryReport> CBatchHistory::TakeHeld() {
    return std::exchange(m_held, {});
}

std::int64_t UtcNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}
