#include "delivery/routes/ModemReports.h"

#include <libmm-glib.h>

#include <algorithm>
#include <chrono>
#include <iostream>

#include "runtime/PostToTarget.h"

namespace {

constexpr const char* kMessagingInterface = "org.freedesktop.ModemManager1.Modem.Messaging";
constexpr const char* kSmsInterface = "org.freedesktop.ModemManager1.Sms";
constexpr int kReadTimeoutMs = 5000;
constexpr std::size_t kMostEarlyReports = 32;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// When the network says the text was delivered (or given up); now when it does not say.
std::int64_t DischargeMs(const char* timestamp) {
    GDateTime* at =
        timestamp && *timestamp ? g_date_time_new_from_iso8601(timestamp, nullptr) : nullptr;
    if (!at)
        return NowMs();
    const std::int64_t ms = g_date_time_to_unix(at) * 1000 + g_date_time_get_microsecond(at) / 1000;
    g_date_time_unref(at);
    return ms;
}

}  // namespace

std::optional<ReportedDelivery> ReportedDeliveryOf(std::uint32_t state) {
    if (state < MM_SMS_DELIVERY_STATE_TEMPORARY_ERROR_CONGESTION)
        return ReportedDelivery::Delivered;
    if (state < MM_SMS_DELIVERY_STATE_ERROR_REMOTE_PROCEDURE)
        return ReportedDelivery::Pending;  // the service centre is still trying
    if (state == MM_SMS_DELIVERY_STATE_ERROR_VALIDITY_PERIOD_EXPIRED)
        return ReportedDelivery::Expired;
    if (state < MM_SMS_DELIVERY_STATE_UNKNOWN)
        return ReportedDelivery::Failed;
    return std::nullopt;
}

CModemReports::CModemReports(GDBusConnection* connection)
    : m_connection(G_DBUS_CONNECTION(g_object_ref(connection))),
      m_context(g_main_context_new()),
      m_cancel(g_cancellable_new()) {
    // The signal goes to the context that is the thread's default when subscribing.
    g_main_context_push_thread_default(m_context);
    m_subscription = g_dbus_connection_signal_subscribe(
        m_connection.get(), MM_DBUS_SERVICE, kMessagingInterface, "Added", nullptr, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, &CModemReports::OnAdded, this, nullptr);
    g_main_context_pop_thread_default(m_context);
    m_thread = std::thread([this] {
        g_main_context_push_thread_default(m_context);
        while (!m_stopping) g_main_context_iteration(m_context, TRUE);
        g_main_context_pop_thread_default(m_context);
    });
}

CModemReports::~CModemReports() {
    g_dbus_connection_signal_unsubscribe(m_connection.get(), m_subscription);
    m_stopping = true;
    g_cancellable_cancel(m_cancel.get());
    g_main_context_wakeup(m_context);  // stays signalled if the thread is not waiting yet
    m_thread.join();
    g_main_context_unref(m_context);
}

void CModemReports::OnAdded(GDBusConnection*, const gchar*, const gchar* path, const gchar*,
                            const gchar*, GVariant* parameters, gpointer self) {
    auto* reports = static_cast<CModemReports*>(self);
    const gchar* sms = nullptr;
    gboolean received = FALSE;
    if (reports->m_stopping || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ob)")))
        return;
    g_variant_get(parameters, "(&ob)", &sms, &received);
    if (!received)
        return;  // a text being sent, perhaps ours
    if (auto report = reports->ReadReport(path, sms))
        reports->Take(std::move(*report));
}

std::optional<CModemReports::Report> CModemReports::ReadReport(const std::string& modemPath,
                                                               const std::string& smsPath) {
    GError* raw = nullptr;
    GVariantPtr reply(g_dbus_connection_call_sync(
        m_connection.get(), MM_DBUS_SERVICE, smsPath.c_str(), "org.freedesktop.DBus.Properties",
        "GetAll", g_variant_new("(s)", kSmsInterface), G_VARIANT_TYPE("(a{sv})"),
        G_DBUS_CALL_FLAGS_NONE, kReadTimeoutMs, m_cancel.get(), &raw));
    GErrorPtr error(raw);
    if (!reply) {
        if (!m_stopping)
            std::cerr << "quillo: modem: a received text could not be read: " << error->message
                      << "\n";
        return std::nullopt;
    }
    GVariantPtr properties(g_variant_get_child_value(reply.get(), 0));
    guint type = 0, reference = 0, state = MM_SMS_DELIVERY_STATE_UNKNOWN;
    const gchar* number = "";
    const gchar* discharged = nullptr;
    g_variant_lookup(properties.get(), "PduType", "u", &type);
    g_variant_lookup(properties.get(), "MessageReference", "u", &reference);
    g_variant_lookup(properties.get(), "DeliveryState", "u", &state);
    g_variant_lookup(properties.get(), "Number", "&s", &number);
    g_variant_lookup(properties.get(), "DischargeTimestamp", "&s", &discharged);
    const auto delivery = ReportedDeliveryOf(state);
    if (type != MM_SMS_PDU_TYPE_STATUS_REPORT || !delivery)
        return std::nullopt;
    return Report{modemPath, smsPath, number, reference, *delivery, DischargeMs(discharged)};
}

void CModemReports::Await(const std::string& modemPath, const std::string& smsPath,
                          std::uint32_t reference, const std::string& number,
                          const std::string& messageId) {
    std::vector<Report> early;
    {
        std::lock_guard lock(m_mutex);
        // A reference comes round again after 256 texts: an older text under it that never had
        // its report would take the new one's.
        std::erase_if(m_awaited, [&](const Sent& s) {
            return s.modemPath == modemPath && s.reference == reference && s.number == number;
        });
        m_awaited.push_back({modemPath, smsPath, number, messageId, reference});
        early.assign(m_early.begin(), m_early.end());
        m_early.clear();
    }
    for (Report& report : early) Take(std::move(report));
}

bool CModemReports::Match(const Report& report, const Sent& sent) {
    return report.modemPath == sent.modemPath && report.reference == sent.reference &&
           report.number == sent.number;
}

void CModemReports::Take(Report report) {
    std::optional<Sent> sent;
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_awaited.begin(), m_awaited.end(),
                                     [&](const Sent& s) { return Match(report, s); });
        if (it == m_awaited.end()) {
            m_early.push_back(std::move(report));
            if (m_early.size() > kMostEarlyReports)
                m_early.pop_front();
            return;
        }
        sent = *it;
        if (report.state != ReportedDelivery::Pending)
            m_awaited.erase(it);
    }
    PostToTarget(PostTarget::QueueThread, WM_APP_DELIVERY_REPORT,
                 DeliveryReport{RouteModem, sent->messageId, report.state, report.atMs});
    // The daemon keeps both texts until told otherwise; a final word needs neither.
    Delete(report.modemPath, report.smsPath);
    if (report.state != ReportedDelivery::Pending)
        Delete(sent->modemPath, sent->smsPath);
}

void CModemReports::Delete(const std::string& modemPath, const std::string& smsPath) {
    g_dbus_connection_call(m_connection.get(), MM_DBUS_SERVICE, modemPath.c_str(),
                           kMessagingInterface, "Delete", g_variant_new("(o)", smsPath.c_str()),
                           nullptr, G_DBUS_CALL_FLAGS_NONE, kReadTimeoutMs, nullptr, nullptr,
                           nullptr);
}
