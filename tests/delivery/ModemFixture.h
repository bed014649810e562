#pragma once
// The modem route for real: a private D-Bus, ModemManager 1.20 in test mode on it, and the
// lab's GSM modem, registered through the daemon's Test interface. The bus and the daemon
// serve the whole suite; each test gets a fresh lab whose modem is plugged in anew.

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <regex>
#include <string>

#include "LabDeliveryFixture.h"
#include "base/Text.h"
#include "carrier-lab/LabModem.h"
#include "delivery/routes/GlibHandles.h"
#include "delivery/routes/ModemRoute.h"
#include "support/ChildProcess.h"

inline void PrintTo(const SendFailure& f, std::ostream* out) {
    *out << "{" << f.code << ", \"" << f.text << "\", " << f.number << "}";
}

class ModemDaemon {
public:
    ModemDaemon()
        : m_bus("/usr/bin/dbus-daemon", {"--session", "--nofork", "--print-address=1"},
                {"PATH=/usr/bin:/bin"}) {
        m_address = m_bus.WaitForLine(std::regex("^unix:"), std::chrono::seconds(20));
        m_manager = std::make_unique<ChildProcess>(
            "/usr/sbin/ModemManager",
            std::vector<std::string>{"--test-session", "--test-enable", "--test-no-udev",
                                     "--no-auto-scan", "--log-level=DEBUG",
                                     "--log-file=" + (m_logDir / "ModemManager.log").string()},
            std::vector<std::string>{"PATH=/usr/bin:/bin",
                                     "DBUS_SESSION_BUS_ADDRESS=" + m_address});
        GError* raw = nullptr;
        m_connection.reset(g_dbus_connection_new_for_address_sync(
            m_address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &raw));
        GErrorPtr error(raw);
    }

    const std::string& Address() const { return m_address; }
    std::filesystem::path LogFile() const { return m_logDir / "ModemManager.log"; }

    // Makes the daemon open `port` as a modem and waits until that modem is on the bus (not
    // `before`, the one it replaces); returns its object path, or "" at the deadline.
    std::string Plug(const std::string& port, const std::string& before = {}) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        bool profiled = false;
        while (std::chrono::steady_clock::now() < until) {
            const std::string path = ModemOnPort(port);
            if (profiled && !path.empty() && path != before)
                return path;
            // The daemon keeps the modem it replaces (in test mode nothing unplugs it), so the
            // new one is the one on the port with another path.
            if (!profiled) {
                profiled = Call("/org/freedesktop/ModemManager1",
                                "org.freedesktop.ModemManager1.Test", "SetProfile",
                                g_variant_new("(ss^as)", ("lab" + port).c_str(), "generic",
                                              PortList(port).data()));
            }
            // The daemon gives no signal to wait for that the test could see sooner.
            g_usleep(100000);
        }
        return {};
    }

private:
    static std::array<const char*, 2> PortList(const std::string& port) {
        return {port.c_str(), nullptr};
    }

    GVariantPtr CallFor(const char* path, const char* interface, const char* method,
                        GVariant* arguments) {
        GVariantPtr reply(g_dbus_connection_call_sync(
            m_connection.get(), "org.freedesktop.ModemManager1", path, interface, method, arguments,
            nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr));
        return reply;
    }
    bool Call(const char* path, const char* interface, const char* method, GVariant* args) {
        return CallFor(path, interface, method, args) != nullptr;
    }

    std::string ModemOnPort(const std::string& port) {
        GVariantPtr reply =
            CallFor("/org/freedesktop/ModemManager1", "org.freedesktop.DBus.ObjectManager",
                    "GetManagedObjects", nullptr);
        if (!reply)
            return {};
        GVariantIter* objects = nullptr;
        g_variant_get(reply.get(), "(a{oa{sa{sv}}})", &objects);
        const gchar* path = nullptr;
        GVariant* interfaces = nullptr;
        std::string found;
        while (g_variant_iter_loop(objects, "{&o@a{sa{sv}}}", &path, &interfaces)) {
            GVariantPtr modem(
                g_variant_lookup_value(interfaces, "org.freedesktop.ModemManager1.Modem", nullptr));
            const gchar* primary = nullptr;
            if (modem && g_variant_lookup(modem.get(), "PrimaryPort", "&s", &primary) &&
                port == primary)
                found = path;
        }
        g_variant_iter_free(objects);
        return found;
    }

    TempDir m_logDir;
    ChildProcess m_bus;
    std::string m_address;
    std::unique_ptr<ChildProcess> m_manager;
    GObjectPtr<GDBusConnection> m_connection;
};

class ModemRouteTest : public LabDeliveryTest {
protected:
    static void SetUpTestSuite() {
        s_daemon = std::make_unique<ModemDaemon>();
        // Below the 30 s a batch is waited for, above the daemon's own wait for an answer.
        CModemRoute::SetCallDeadlineForTests(std::chrono::seconds(20));
    }
    static void TearDownTestSuite() {
        s_daemon.reset();
        CModemRoute::SetCallDeadlineForTests(std::chrono::seconds(60));
    }

    void SetUp() override {
        ASSERT_FALSE(s_daemon->Address().empty()) << "no private bus";
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", s_daemon->Address().c_str(), 1);
        static int plugged = 0;
        m_modemSocket =
            "abstract:quillo" + std::to_string(::getpid()) + ":" + std::to_string(++plugged);
        LabDeliveryTest::SetUp();
        m_lab.ApplyStringOverrides();  // the core fixture cleared them
        m_modemPath = s_daemon->Plug(m_modemSocket);
        ASSERT_FALSE(m_modemPath.empty()) << "no modem; see " << s_daemon->LogFile();
    }

    void TearDown() override {
        LabDeliveryTest::TearDown();
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

    CSendJob ModemJob(std::string number, std::string typed) const {
        CSendJob job = MakeJob(std::move(number), Utf8ToCp1252(typed), CarrierAutoDetect);
        job.typedText = std::move(typed);
        job.route.route = RouteModem;
        job.route.modem = m_modemPath;
        return job;
    }

    lab::LabModem& Modem() { return *m_lab.Modem(); }

    static inline std::unique_ptr<ModemDaemon> s_daemon;
    std::string m_modemPath;
};
