#pragma once
// Follows the network's status reports on the texts the modem route sent. ModemManager shows
// each report as a new status-report Sms ("Added" on the modem's Messaging interface), not as a
// change of the sent one. The signal is taken on a thread of its own, so a report is posted to
// the queue thread (WM_APP_DELIVERY_REPORT) when it comes, during a job or between jobs, and
// the core thread never waits for one.

#include <gio/gio.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "delivery/SendJob.h"
#include "delivery/routes/GlibHandles.h"

// The report's word for a ModemManager delivery state (TP-ST); nullopt for "unknown".
std::optional<ReportedDelivery> ReportedDeliveryOf(std::uint32_t deliveryState);

class CModemReports {
public:
    // Subscribes on `connection` at once: a report that comes after this is not missed.
    explicit CModemReports(GDBusConnection* connection);
    // Ends the thread; reports that come later are not followed.
    ~CModemReports();
    CModemReports(const CModemReports&) = delete;
    CModemReports& operator=(const CModemReports&) = delete;

    // A text the modem at `modemPath` sent as the Sms `smsPath`, under the network's `reference`
    // to `number`: its report is posted with `messageId`.
    void Await(const std::string& modemPath, const std::string& smsPath, std::uint32_t reference,
               const std::string& number, const std::string& messageId);

private:
    struct Sent {
        std::string modemPath, smsPath, number, messageId;
        std::uint32_t reference = 0;
    };
    struct Report {
        std::string modemPath, smsPath, number;
        std::uint32_t reference = 0;
        ReportedDelivery state = ReportedDelivery::Pending;
        std::int64_t atMs = 0;
    };

    static void OnAdded(GDBusConnection* connection, const gchar* sender, const gchar* path,
                        const gchar* interface, const gchar* signal, GVariant* parameters,
                        gpointer self);
    std::optional<Report> ReadReport(const std::string& modemPath, const std::string& smsPath);
    static bool Match(const Report& report, const Sent& sent);
    // Posts the report when its text is awaited, else keeps it for a while.
    void Take(Report report);
    void Delete(const std::string& modemPath, const std::string& smsPath);

    GObjectPtr<GDBusConnection> m_connection;
    GMainContext* m_context;
    GObjectPtr<GCancellable> m_cancel;  // the property reads under way
    guint m_subscription = 0;
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::vector<Sent> m_awaited;
    std::deque<Report> m_early;  // reports whose text was not awaited yet when they came
    std::thread m_thread;
};
