#include "delivery/CarrierDispatch.h"

#include <array>
#include <utility>

#include "base/PostToTarget.h"
#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Carriers.h"

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
    static constexpr std::array<std::pair<std::int32_t, CarrierRoutine>, 3> kRejectForeign = {{
        {CarrierNextel, SendNextel},
        {CarrierTMobile, SendTMobile},
        {CarrierSprint, SendSprint},
    }};
    for (const auto& [code, routine] : kRejectForeign) {
        if (routine(job) == ResultSent) {
            job.carrier = code;
            return ResultSent;
        }
    }
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
