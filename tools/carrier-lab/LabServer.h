#pragma once
// The carrier lab: one local server that stands in for the nine carriers' send-a-text gateways
// and for the maker's site, strict about every request, and open to inspection.
//
// Used by the quillo-lab program and, in-process on ephemeral ports, by integration tests.

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "carrier-lab/LabControl.h"
#include "carrier-lab/LabFaults.h"
#include "carrier-lab/LabTypes.h"

namespace lab {

class LabServer : public LabControl {
public:
    LabServer();
    ~LabServer() override;  // stops
    LabServer(const LabServer&) = delete;
    LabServer& operator=(const LabServer&) = delete;

    // Reads the host names from the string table, loads or creates the certificates, binds both
    // ports on loopback and starts serving. Throws LabError when anything fails.
    LabPorts Start(const LabOptions& options);
    void Stop();
    bool Running() const;

    // Points every host entry of the string table at this lab's ports (tests only).
    void ApplyStringOverrides() const;

    // Waits until the log holds at least `count` entries; false when the timeout passed first.
    bool WaitForLogSize(std::size_t count, std::chrono::milliseconds timeout) const;

    LabPorts Ports() const override;
    std::filesystem::path CaCertificateFile() const override;
    int CarrierOf(const std::string& number) const override;
    void AssignPhone(const std::string& number, int carrier) override;
    std::map<std::string, int> AssignedPhones() const override;
    std::vector<InboxMessage> Inbox(const std::string& number) const override;
    std::vector<InboxMessage> AllMessages() const override;
    std::vector<LogEntry> Log() const override;
    CounterState Counter() const override;
    std::vector<InstallerRun> InstallerRuns() const override;
    std::string LatestVersion() const override;
    void SetLatestVersion(const std::string& version) override;
    std::string SigningPublicKey() const override;
    void InjectFault(const std::string& host, const Fault& fault) override;
    std::vector<PendingFault> PendingFaults() const override;
    void ClearFaults() override;
    void Reset() override;

    // The GSM modem; null when the lab runs without one.
    LabModem* Modem() const override;
    WebServices& Web() const override;

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lab
