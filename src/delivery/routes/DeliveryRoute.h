#pragma once
// A route turns one job into one result: the code the queue thread counts, and for a failure
// the reason the batch report shows in place of the code's own text.

#include <string>

#include "delivery/SendJob.h"

struct RouteResult {
    SendResult code = ResultSent;
    std::string reason;     // empty: the code's own text
    std::string messageId;  // the network's reference for a sent message, when it has one

    friend bool operator==(const RouteResult&, const RouteResult&) = default;
};

class CDeliveryRoute {
public:
    virtual ~CDeliveryRoute() = default;
    // Delivers the whole message of the job; never throws.
    virtual RouteResult Send(const CSendJob& job) = 0;
};
