#include <chrono>
#include <optional>
#include <string_view>

#include "base/Shutdown.h"
#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Answers.h"
#include "delivery/carriers/Carriers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

namespace {

constexpr std::string_view kAccepted = "Sending your message";
constexpr std::string_view kStatusMarker = "Status of message</b></FONT>&nbsp;";
// The message ID starts this many bytes after the first byte of the marker.
constexpr std::size_t kMessageIdOffset = 65;
// The gateway needs a moment before it knows a message's status.
constexpr std::chrono::milliseconds kStatusWait{800};

// The message ID on the confirmation page: from its fixed place after the marker up to the next
// "<". None when the page ends first.
std::optional<std::string> FindMessageId(const std::string& page, std::size_t marker) {
    const std::size_t start = marker + kMessageIdOffset;
    if (start > page.size())
        return std::nullopt;
    const auto end = page.find('<', start);
    if (end == std::string::npos)
        return std::nullopt;
    return page.substr(start, end - start);
}

}  // namespace

VerizonConfirmation ReadVerizonConfirmation(const std::string& page) {
    if (page.empty())
        return {ResultNoConnection, {}};
    if (page.find(kAccepted) == std::string::npos)
        return {ResultWrongCarrier, {}};
    const auto marker = page.find(kStatusMarker);
    if (marker == std::string::npos)
        return {ResultUndeliverable, {}};
    auto messageId = FindMessageId(page, marker);
    if (!messageId)
        return {ResultNoConnection, {}};
    return {ResultSent, std::move(*messageId)};
}

SendResult ClassifyVerizonStatus(const std::string& page) {
    if (page.empty())
        return ResultNoConnection;
    for (int phrase : {IDS_VERIZON_UNDELIVERABLE, IDS_VERIZON_DENIED, IDS_VERIZON_INTERNAL,
                       IDS_VERIZON_FAILED}) {
        if (PageHolds(page, phrase))
            return ResultWrongCarrier;
    }
    return ResultSent;
}

SendResult SendVerizon(CSendJob job) {
    return GuardExchange("the Verizon exchange", [&]() -> SendResult {
        if (!TakePart(job, CarrierVerizon))
            return kNoRoomResult;
        CFormRequest form = GatewayForm(IDS_VERIZON_HOST, IDS_VERIZON_PATH, true);
        AddFields(form, {{"min", job.number},
                         {"DOMAIN_NAME", "@" + LoadString(IDS_VERIZON_DOMAIN)},
                         {"trackResponses", "No"},
                         {"showgroup", "n"},
                         {"translatorButton", ""},
                         {"count",
                          Decimal(CarrierLimit(CarrierVerizon) - SentLength(job, CarrierVerizon))},
                         {"subject", SenderLabel(job)},
                         {"callback", job.replyNumber},
                         {"type", "0"},
                         {"Send.x", "Yes"},
                         {"Send.y", "12"},
                         {"sender", job.replyEmail},
                         {"text", job.text},
                         {"message", ""},
                         {"sender", job.replyEmail},
                         {"disclaimer_submit.x", "3"},
                         {"disclaimer_submit.y", "4"}});
        const VerizonConfirmation confirmation = ReadVerizonConfirmation(form.Perform());
        if (confirmation.result != ResultSent)
            return confirmation.result;

        // A shutdown cuts the wait short; the exchange then ends unanswered.
        if (!SleepUnlessShutdown(kStatusWait))
            return ResultNoConnection;

        CFormRequest status = GatewayForm(IDS_VERIZON_HOST, IDS_VERIZON_STATUS_PATH, true);
        AddFields(status,
                  {{"STATUS_MSGID", confirmation.messageId}, {"STATUS_DESTNUM", job.number}});
        // A status page with an error status still names a failure.
        const CarrierAnswer answer = PerformForAnswer(status);
        return AnswerResult(answer, ClassifyVerizonStatus(answer.page));
    });
}
