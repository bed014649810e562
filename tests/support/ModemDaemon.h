#pragma once
// A private D-Bus and ModemManager 1.20 in test mode on it (no udev, no scan), with the lab's
// GSM modem plugged in through the daemon's Test interface: for the modem tests and benchmarks.

#include <gio/gio.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "delivery/routes/GlibHandles.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

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
