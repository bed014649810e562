#pragma once
// CCoreThread: the worker that delivers send jobs and talks to the maker's site.

#include "delivery/routes/Routes.h"
#include "runtime/WorkerThread.h"

class CCoreThread : public CWorkerThread {
public:
    const char* ClassName() const override { return "CCoreThread"; }

protected:
    bool Dispatch(Message& message) override;

private:
    // WM_APP_SEND_JOB: delivers the part of the job that its carrier takes, queues the rest and
    // reports the result to the queue thread.
    void OnSendJob(Message& message);
    // WM_APP_SITE_INFO: the site's values, the start-up counter report, the version check.
    void OnSiteInfo(Message& message);
    // WM_APP_UPGRADE: downloads and starts the installer, reporting to the window in the message.
    void OnUpgrade(Message& message);

    CRoutes m_routes;  // the routes other than the carriers' forms, kept between jobs
};
