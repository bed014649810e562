#pragma once
// The modem route for real: a private D-Bus, ModemManager 1.20 in test mode on it, and the
// lab's GSM modem, registered through the daemon's Test interface. The bus and the daemon
// serve the whole suite; each test gets a fresh lab whose modem is plugged in anew.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "LabDeliveryFixture.h"
#include "base/Text.h"
#include "carrier-lab/LabModem.h"
#include "delivery/routes/ModemRoute.h"
#include "support/ModemDaemon.h"

inline void PrintTo(const SendFailure& f, std::ostream* out) {
    *out << "{" << f.code << ", \"" << f.text << "\", " << f.number << "}";
}

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
        BeforePlug();
        m_modemPath = s_daemon->Plug(m_modemSocket);
        ASSERT_FALSE(m_modemPath.empty()) << "no modem; see " << s_daemon->LogFile();
    }

    void TearDown() override {
        LabDeliveryTest::TearDown();
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

    // What a test sets on the lab's modem before the daemon first probes it.
    virtual void BeforePlug() {}

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
