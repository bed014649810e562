#include "delivery/routes/Routes.h"

#include <utility>

#include "delivery/routes/ModemRoute.h"
#include "delivery/routes/WebServiceRoute.h"
#include "runtime/PostToTarget.h"

namespace {

using RouteFactory = std::unique_ptr<CDeliveryRoute> (*)();

// By DeliveryRoute; the carriers' forms are the core thread's own road.
constexpr std::array<RouteFactory, 3> kFactories = {
    nullptr,
    [] { return std::unique_ptr<CDeliveryRoute>(std::make_unique<CModemRoute>()); },
    [] { return std::unique_ptr<CDeliveryRoute>(std::make_unique<CWebServiceRoute>()); },
};

}  // namespace

RouteResult CRoutes::Send(const CSendJob& job) {
    const auto route = static_cast<std::size_t>(job.route.route);
    if (route >= kFactories.size() || !kFactories[route])
        return {ResultCarrierUnknown, {}, {}};
    if (!m_routes[route])
        m_routes[route] = kFactories[route]();
    return m_routes[route]->Send(job);
}

void CRoutes::Deliver(CSendJob job) {
    RouteResult result = Send(job);
    PostToTarget(PostTarget::QueueThread, WM_APP_JOB_DONE,
                 JobOutcome{std::move(job.number), std::move(result.reason),
                            std::move(result.messageId), job.carrier},
                 result.code);
}
