#include "delivery/CarrierDispatch.h"

#include <array>
#include <span>
#include <utility>

#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Carriers.h"
#include "runtime/PostToTarget.h"

namespace {

using CarrierRoutine = SendResult (*)(CSendJob);

constexpr std::array<CarrierRoutine, kCarrierCount> kRoutines = {
    nullptr,  // Auto-Detect has no routine of its own
    SendAllTel, SendAttWireless, SendBoost,      SendCingular, SendNextel,
    SendSprint, SendTMobile,     SendUsCellular, SendVerizon,
};

}  // namespace

SendResult SendByCarrier(CSendJob job) {
    if (job.carrier <= CarrierAutoDetect || job.carrier >= kCarrierCount) {
        return ResultCarrierUnknown;
    }
    return kRoutines[static_cast<std::size_t>(job.carrier)](std::move(job));
}

SendResult SendAutoDetect(CSendJob& job) {
    constexpr auto kRejectForeign = std::span(kAutoDetectCarriers).first<3>();
    for (const std::int32_t code : kRejectForeign) {
        if (kRoutines[static_cast<std::size_t>(code)](job) == ResultSent) {
            job.carrier = code;
            return ResultSent;
        }
    }
    static_assert(kAutoDetectCarriers.back() == CarrierUSCellular);
    const SendResult result = SendUsCellular(job);
    return result == ResultSent ? ResultUnconfirmed : result;
}

void QueueContinuation(CSendJob job) {
    std::string rest;
    SplitForCarrier(job, rest, job.carrier);
    if (rest.empty())
        return;
    job.text = std::move(rest);  // every other field, the carrier included, carries over
    PostToTarget(PostTarget::QueueThread, WM_APP_QUEUE_JOB,
                 QueueEntry{WM_APP_SEND_JOB, std::move(job), PostTarget::MainWindow});
}
