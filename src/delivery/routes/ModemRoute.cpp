#include "delivery/routes/ModemRoute.h"

#include <libmm-glib.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <iostream>
#include <optional>

#include "base/Shutdown.h"
#include "base/Text.h"
#include "base/Unsendable.h"
#include "delivery/SmsCount.h"
#include "delivery/routes/CallDeadline.h"
#include "delivery/routes/GlibHandles.h"
#include "delivery/routes/ModemFailures.h"
#include "delivery/routes/ModemManagerBus.h"
#include "delivery/routes/ModemReports.h"

using namespace modem_failure;

namespace {

constexpr std::chrono::milliseconds kDefaultDeadline{60000};
std::atomic<std::chrono::milliseconds::rep> g_deadlineMs{kDefaultDeadline.count()};

std::chrono::milliseconds CallDeadline() {
    return std::chrono::milliseconds(g_deadlineMs.load());
}

constexpr const char* kSmsInterface = "org.freedesktop.ModemManager1.Sms";

// Makes `context` the thread's default while it lives, so that the signals of the objects made
// meanwhile are dispatched to it (and only when the route pumps it).
class CThreadContext {
public:
    explicit CThreadContext(GMainContext* context) : m_context(context) {
        g_main_context_push_thread_default(m_context);
    }
    ~CThreadContext() {
        // Signals queued for it, processed before anyone looks at the objects again.
        while (g_main_context_iteration(m_context, FALSE)) {
        }
        g_main_context_pop_thread_default(m_context);
    }
    CThreadContext(const CThreadContext&) = delete;
    CThreadContext& operator=(const CThreadContext&) = delete;

private:
    GMainContext* m_context;
};

}  // namespace

std::string ModemAddress(std::string_view number, std::string_view countryCode) {
    const bool tenDigits =
        number.size() == 10 &&
        std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!tenDigits)
        return {};
    // Appended, not added up: GCC 12 sees a false overlap in the optimised "+" + ... chain.
    std::string address = "+";
    address.append(countryCode).append(number);
    return address;
}

std::string ModemText(const CSendJob& job) {
    if (job.typedText.empty())
        return Cp1252ToUtf8(job.text);
    // A broken sequence would make the daemon refuse the whole text: it becomes U+FFFD.
    std::string text;
    for (std::string_view rest = job.typedText; !rest.empty();) {
        const auto [c, size] = DecodeUtf8(rest);
        AppendUtf8(text, (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF ? 0xFFFD : c);
        rest.remove_prefix(size);
    }
    return text;
}

// One connection to the bus and ModemManager's object manager, with the context its signals
// go to.
class CModemRoute::Session {
public:
    Session() : m_context(g_main_context_new()) {}
    ~Session() {
        m_reports.reset();
        m_bus.Close();
        // Closing queues the proxies' clean-up (their signal subscriptions' data) on this
        // context: run it, or it is lost with the context.
        while (g_main_context_iteration(m_context, FALSE)) {
        }
        g_main_context_unref(m_context);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Connects when needed; a failure as the report shows it.
    std::optional<RouteResult> Connect();
    // Sends `text` to `address` through the chosen modem.
    RouteResult Send(const RouteSettings& options, const std::string& address,
                     const std::string& text);
    RouteResult SendThrough(const RouteSettings& options, MMObject* modem,
                            const std::string& address, const std::string& text);
    bool Closed() const {
        return !m_bus.connection || g_dbus_connection_is_closed(m_bus.connection.get());
    }

    GMainContext* Context() const { return m_context; }

private:
    GObjectPtr<MMObject> FindModem(const std::string& wanted);
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    RouteResult Failure(GError* error, MMObject* modem);
    std::optional<RouteResult> MakeReady(MMObject* modem);
    MMSmsState ReadSmsState(const char* path, guint* reference);

    GMainContext* m_context;
    CCallDeadline m_deadline;
    ModemManagerBus m_bus;
    std::unique_ptr<CModemReports> m_reports;  // made with the first text that asks for one
    std::string m_lost;  // the modem that went away, until one is found and sends again
};

std::optional<RouteResult> CModemRoute::Session::Connect() {
    if (!Closed() && m_bus.manager)
        return std::nullopt;
    m_reports.reset();
    const ModemBusState state = m_bus.Connect(m_deadline, CallDeadline());
    if (state == ModemBusState::Connected)
        return std::nullopt;
    return ModemFailure(state == ModemBusState::NoAnswer ? kTimeout : kNoService,
                        ResultNoConnection);
}

bool CModemRoute::Session::PumpUntil(const std::function<bool()>& done,
                                     std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline || ShutdownRequested())
            return false;
        // Wakes at least every 50 ms to look at the clock and the shutdown flag.
        GSource* tick = g_timeout_source_new(50);
        g_source_set_callback(
            tick, [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(tick, m_context);
        g_main_context_iteration(m_context, TRUE);
        g_source_destroy(tick);
        g_source_unref(tick);
    }
    return true;
}

GObjectPtr<MMObject> CModemRoute::Session::FindModem(const std::string& wanted) {
    for (GObjectPtr<MMObject>& object : m_bus.Modems()) {
        MMModem* modem = mm_object_peek_modem(object.get());
        const char* device = modem ? mm_modem_get_device_identifier(modem) : nullptr;
        if (modem && (wanted.empty() || wanted == mm_object_get_path(object.get()) ||
                      (device && wanted == device)))
            return std::move(object);
    }
    return nullptr;
}

RouteResult CModemRoute::Session::Failure(GError* error, MMObject* modem) {
    if (m_deadline.Expired())
        return ShutdownRequested() ? ModemFailure(kClosing, ResultNoConnection)
                                   : ModemFailure(kTimeout, ResultNoConnection);
    // A modem that left the bus meanwhile explains any error of its calls.
    while (g_main_context_iteration(m_context, FALSE)) {
    }
    GObjectPtr<GDBusObject> still(g_dbus_object_manager_get_object(
        G_DBUS_OBJECT_MANAGER(m_bus.manager.get()), mm_object_get_path(modem)));
    if (!still || Closed())
        return ModemFailure(kModemGone, ResultNoConnection);
    GCharPtr name(g_dbus_error_get_remote_error(error));
    if (!name && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT))
        return ModemFailure(kTimeout, ResultNoConnection);
    std::cerr << "quillo: modem: " << error->message << "\n";
    return FailureForDbusError(name ? name.get() : "");
}

std::optional<RouteResult> CModemRoute::Session::MakeReady(MMObject* object) {
    MMModem* modem = mm_object_peek_modem(object);
    const MMModemState state = mm_modem_get_state(modem);
    if (state == MM_MODEM_STATE_LOCKED)
        return ModemFailure(kSimLocked);
    if (state == MM_MODEM_STATE_FAILED) {
        return mm_modem_get_state_failed_reason(modem) == MM_MODEM_STATE_FAILED_REASON_SIM_MISSING
                   ? ModemFailure(kSimLocked)
                   : ModemFailure(kRefused);
    }
    if (state <= MM_MODEM_STATE_DISABLED) {
        GError* raw = nullptr;
        if (!mm_modem_enable_sync(modem, m_deadline.Arm(CallDeadline()), &raw)) {
            GErrorPtr error(raw);
            return Failure(error.get(), object);
        }
    }
    // The messaging interface appears once the modem is enabled.
    if (!PumpUntil([&] { return mm_object_peek_modem_messaging(object) != nullptr; },
                   CallDeadline())) {
        return ModemFailure(kNotAllowed);
    }
    return std::nullopt;
}

MMSmsState CModemRoute::Session::ReadSmsState(const char* path, guint* reference) {
    // Read from the daemon itself: the object's cached properties may not have caught up yet.
    const auto read = [&](const char* property) -> GVariantPtr {
        GError* raw = nullptr;
        GVariantPtr reply(g_dbus_connection_call_sync(
            m_bus.connection.get(), MM_DBUS_SERVICE, path, "org.freedesktop.DBus.Properties", "Get",
            g_variant_new("(ss)", kSmsInterface, property), G_VARIANT_TYPE("(v)"),
            G_DBUS_CALL_FLAGS_NONE, -1, m_deadline.Arm(CallDeadline()), &raw));
        GErrorPtr error(raw);
        if (!reply)
            return nullptr;
        GVariant* value = nullptr;
        g_variant_get(reply.get(), "(v)", &value);
        return GVariantPtr(value);
    };
    GVariantPtr state = read("State");
    GVariantPtr ref = read("MessageReference");
    *reference = ref ? g_variant_get_uint32(ref.get()) : 0;
    return state ? static_cast<MMSmsState>(g_variant_get_uint32(state.get()))
                 : MM_SMS_STATE_UNKNOWN;
}

RouteResult CModemRoute::Session::Send(const RouteSettings& options, const std::string& address,
                                       const std::string& text) {
    while (g_main_context_iteration(m_context, FALSE)) {
    }
    GObjectPtr<MMObject> object = FindModem(options.modem);
    if (!object) {
        const bool lost = !m_lost.empty() && (options.modem.empty() || options.modem == m_lost);
        return ModemFailure(lost ? kModemGone : kNoModem, ResultNoConnection);
    }
    RouteResult result = SendThrough(options, object.get(), address, text);
    if (result.code == ResultSent)
        m_lost.clear();
    else if (result.reason == kModemGone)
        m_lost = mm_object_get_path(object.get());
    return result;
}

RouteResult CModemRoute::Session::SendThrough(const RouteSettings& options, MMObject* modem,
                                              const std::string& address, const std::string& text) {
    if (m_lost == mm_object_get_path(modem))
        return ModemFailure(kModemGone, ResultNoConnection);  // its port is closed for good
    if (auto failure = MakeReady(modem))
        return *failure;
    MMModemMessaging* messaging = mm_object_peek_modem_messaging(modem);
    if (options.deliveryReports && !m_reports)
        m_reports = std::make_unique<CModemReports>(m_bus.connection.get());

    GObjectPtr<MMSmsProperties> properties(mm_sms_properties_new());
    mm_sms_properties_set_number(properties.get(), address.c_str());
    mm_sms_properties_set_text(properties.get(), text.c_str());
    mm_sms_properties_set_delivery_report_request(properties.get(), options.deliveryReports);
    GError* raw = nullptr;
    GObjectPtr<MMSms> sms(mm_modem_messaging_create_sync(messaging, properties.get(),
                                                         m_deadline.Arm(CallDeadline()), &raw));
    if (!sms) {
        GErrorPtr error(raw);
        return Failure(error.get(), modem);
    }
    const std::string path = mm_sms_get_path(sms.get());
    RouteResult result;
    if (!mm_sms_send_sync(sms.get(), m_deadline.Arm(CallDeadline()), &raw)) {
        GErrorPtr error(raw);
        result = Failure(error.get(), modem);
    } else {
        guint reference = 0;
        if (ReadSmsState(path.c_str(), &reference) == MM_SMS_STATE_SENT) {
            result.messageId = std::to_string(reference);
            if (options.deliveryReports)
                m_reports->Await(mm_object_get_path(modem), path, reference, address,
                                 result.messageId);
        } else {
            result = ModemFailure(kRefused);
        }
    }
    // Without a delivery report to wait for, the daemon need not keep the message (the report
    // watcher deletes the others once their report is in).
    if (!(options.deliveryReports && result.code == ResultSent) && !Closed()) {
        mm_modem_messaging_delete_sync(messaging, path.c_str(), m_deadline.Arm(CallDeadline()),
                                       nullptr);
    }
    return result;
}

CModemRoute::CModemRoute() = default;
CModemRoute::~CModemRoute() = default;

void CModemRoute::SetCallDeadlineForTests(std::chrono::milliseconds deadline) {
    g_deadlineMs = deadline.count();
}

RouteResult CModemRoute::Send(const CSendJob& job) {
    if (ShutdownRequested())
        return ModemFailure(kClosing, ResultNoConnection);
    const std::string address = ModemAddress(job.number, job.route.countryCode);
    if (address.empty())
        return ModemFailure(kBadNumber);
    const std::string text = ModemText(job);
    if (CountSms(text).parts > kMostSmsParts)
        return ModemFailure(kTooLong);

    if (!m_session)
        m_session = std::make_unique<Session>();
    CThreadContext context(m_session->Context());
    if (auto failure = m_session->Connect())
        return *failure;
    return m_session->Send(job.route, address, text);
}
