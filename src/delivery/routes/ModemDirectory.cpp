#include "delivery/routes/ModemDirectory.h"

#include <libmm-glib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>

#include "delivery/routes/CallDeadline.h"
#include "delivery/routes/GlibHandles.h"
#include "delivery/routes/ModemManagerBus.h"

namespace {

// Long enough for a modem to power its radio up; the dialog is never waiting on it.
constexpr std::chrono::seconds kCallLimit{20};

constexpr const char* kNotRunning = "ModemManager is not running";
constexpr const char* kNoAnswer = "ModemManager did not answer in time";
constexpr const char* kGone = "The modem is no longer there";
constexpr const char* kLocked = "The SIM is locked: unlock it with its PIN first";

std::string Text(const char* text) {
    return text ? text : "";
}

ModemState StateOf(MMModemState state) {
    const int index = std::clamp(static_cast<int>(state) - MM_MODEM_STATE_FAILED, 0,
                                 static_cast<int>(ModemState::Connected));
    return static_cast<ModemState>(index);
}

ModemInfo Describe(MMObject* object, MMModem* modem) {
    ModemInfo info;
    info.path = Text(mm_object_get_path(object));
    info.deviceId = Text(mm_modem_get_device_identifier(modem));
    info.manufacturer = Text(mm_modem_get_manufacturer(modem));
    info.model = Text(mm_modem_get_model(modem));
    const gchar* const* numbers = mm_modem_get_own_numbers(modem);
    if (numbers && numbers[0])
        info.ownNumber = numbers[0];
    if (MMModem3gpp* network = mm_object_peek_modem_3gpp(object))
        info.operatorName = Text(mm_modem_3gpp_get_operator_name(network));
    gboolean recent = FALSE;
    info.signalQuality = static_cast<int>(mm_modem_get_signal_quality(modem, &recent));
    info.state = StateOf(mm_modem_get_state(modem));
    info.enabled = info.state >= ModemState::Enabled;
    info.simLocked = info.state == ModemState::Locked;
    return info;
}

// One look at ModemManager: the connection, its object manager and the context their signals
// go to, the thread's default while it lives.
class CDirectorySession {
public:
    CDirectorySession() : m_context(g_main_context_new()) {
        g_main_context_push_thread_default(m_context);
    }
    ~CDirectorySession() {
        m_bus.Close();
        while (g_main_context_iteration(m_context, FALSE)) {
        }
        g_main_context_pop_thread_default(m_context);
        g_main_context_unref(m_context);
    }
    CDirectorySession(const CDirectorySession&) = delete;
    CDirectorySession& operator=(const CDirectorySession&) = delete;

    // Empty when connected; otherwise why not.
    std::string Connect();

    std::vector<GObjectPtr<MMObject>> Modems() const { return m_bus.Modems(); }

    GCancellable* Arm() { return m_deadline.Arm(kCallLimit); }
    bool Expired() const { return m_deadline.Expired(); }

private:
    GMainContext* m_context;
    CCallDeadline m_deadline;
    ModemManagerBus m_bus;
};

std::string CDirectorySession::Connect() {
    static constexpr std::array<const char*, 3> kProblems = {"", kNotRunning, kNoAnswer};
    return kProblems[static_cast<std::size_t>(m_bus.Connect(m_deadline, kCallLimit))];
}

}  // namespace

ModemListing ListModems() {
    CDirectorySession session;
    ModemListing listing;
    listing.problem = session.Connect();
    if (!listing.problem.empty())
        return listing;
    for (const auto& object : session.Modems())
        listing.modems.push_back(Describe(object.get(), mm_object_peek_modem(object.get())));
    return listing;
}

std::string EnableModem(const std::string& path) {
    CDirectorySession session;
    if (std::string problem = session.Connect(); !problem.empty())
        return problem;
    for (const auto& object : session.Modems()) {
        if (Text(mm_object_get_path(object.get())) != path)
            continue;
        MMModem* modem = mm_object_peek_modem(object.get());
        if (mm_modem_get_state(modem) == MM_MODEM_STATE_LOCKED)
            return kLocked;
        GError* raw = nullptr;
        if (mm_modem_enable_sync(modem, session.Arm(), &raw))
            return {};
        GErrorPtr error(raw);
        if (session.Expired())
            return kNoAnswer;
        g_dbus_error_strip_remote_error(error.get());
        return Text(error->message);
    }
    return kGone;
}
