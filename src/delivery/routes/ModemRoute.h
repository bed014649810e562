#pragma once
// The modem route: each job becomes one text that ModemManager sends through a GSM modem (it
// splits and encodes it itself). Synchronous libmm-glib calls on the core thread, each under a
// deadline; the bus is the system bus, or the one DBUS_SYSTEM_BUS_ADDRESS names. A text sent
// with a delivery report asked for is followed by CModemReports, whose report goes to the queue
// thread under the message id Send returned.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "delivery/routes/DeliveryRoute.h"

// The number as the modem dials it: "+" country code and the ten digits; empty for anything
// but ten digits.
std::string ModemAddress(std::string_view number, std::string_view countryCode);

// The text the modem sends: the message as typed, or the code-page text in UTF-8 when the job
// has none.
std::string ModemText(const CSendJob& job);

class CModemRoute : public CDeliveryRoute {
public:
    CModemRoute();
    ~CModemRoute() override;

    RouteResult Send(const CSendJob& job) override;

    // Test-only: the deadline of every call (the default allows a long text's many parts).
    static void SetCallDeadlineForTests(std::chrono::milliseconds deadline);

    class Session;

private:
    std::unique_ptr<Session> m_session;  // the bus connection and ModemManager's objects
};
