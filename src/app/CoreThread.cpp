#include "app/CoreThread.h"

#include <utility>

#include "delivery/CarrierDispatch.h"
#include "runtime/PostToTarget.h"
#include "service/SiteCheck.h"
#include "service/Upgrade.h"

bool CCoreThread::Dispatch(Message& message) {
    static constexpr std::array<MessageMapEntry<CCoreThread>, 3> kMessageMap = {{
        {WM_APP_SEND_JOB, &CCoreThread::OnSendJob},
        {WM_APP_UPGRADE, &CCoreThread::OnUpgrade},
        {WM_APP_SITE_INFO, &CCoreThread::OnSiteInfo},
    }};
    return DispatchFrom(this, kMessageMap, message);
}

void CCoreThread::OnSendJob(Message& message) {
    // The message holds its own copy of the job; the queue thread keeps the original.
    auto* posted = message.Expect<CSendJob>();
    if (!posted)
        return;
    CSendJob job = std::move(*posted);
    if (job.route.route != RouteCarrierForms) {
        m_routes.Deliver(std::move(job));
        return;
    }
    const std::int32_t asked = job.carrier;

    const SendResult result = asked == 0 ? SendAutoDetect(job) : SendByCarrier(job);

    // The rest goes out whatever became of this part. It is queued before the result is
    // reported, so the queue never runs empty (and the batch never ends) in between.
    QueueContinuation(job);

    if (result == ResultSent && job.carrier != asked && MainWindowExists()) {
        PostToTarget(PostTarget::MainWindow, WM_APP_CARRIER_FOUND, job.number, job.carrier);
    }
    PostToTarget(PostTarget::QueueThread, WM_APP_JOB_DONE,
                 JobOutcome{std::move(job.number), {}, {}, job.carrier}, result);
}

void CCoreThread::OnSiteInfo(Message&) {
    CheckSiteAtStart();
}

void CCoreThread::OnUpgrade(Message& message) {
    if (auto* window = message.Expect<WindowRef>())
        CUpgrade(*window).Run();
}
