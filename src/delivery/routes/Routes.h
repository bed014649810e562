#pragma once
// The routes other than the carriers' web forms, made when first used and kept by the core
// thread between jobs (a modem route keeps its bus connection).

#include <array>
#include <memory>

#include "delivery/routes/DeliveryRoute.h"

class CRoutes {
public:
    // Sends the job by its route and reports it to the queue thread (WM_APP_JOB_DONE with a
    // JobOutcome). A route takes the whole message: nothing is queued after it.
    void Deliver(CSendJob job);

    // The route's result alone (what Deliver reports).
    RouteResult Send(const CSendJob& job);

private:
    std::array<std::unique_ptr<CDeliveryRoute>, 3> m_routes;  // by DeliveryRoute
};
