#pragma once
// The web-service route: each job becomes one HTTPS (or, on a private network, plain HTTP)
// request to an SMS web service or a gateway app on the user's phone, in the shape of the
// chosen preset. A batch goes out no faster than the route's rate; the secret is put on the
// wire and nowhere else.

#include <chrono>
#include <optional>

#include "delivery/routes/DeliveryRoute.h"

class CWebServiceRoute : public CDeliveryRoute {
public:
    RouteResult Send(const CSendJob& job) override;

    // The most bytes of an answer that are read.
    static constexpr std::size_t kMaxAnswer = 64 * 1024;

private:
    using Clock = std::chrono::steady_clock;

    // Waits until the rate allows the next request; false when shutdown cut the wait short.
    bool WaitTurn(int perMinute, std::chrono::milliseconds atLeast);
    RouteResult Exchange(const CSendJob& job, const std::string& to, const std::string& text);

    std::optional<Clock::time_point> m_lastRequest;
};
