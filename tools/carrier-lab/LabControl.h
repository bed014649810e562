#pragma once
// What the lab's API and page read and change of a running lab. The server implements it; they
// see nothing else of the server.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "carrier-lab/LabFaults.h"
#include "carrier-lab/LabTypes.h"

namespace lab {

class LabModem;
class WebServices;

class LabControl {
public:
    virtual ~LabControl() = default;

    virtual LabPorts Ports() const = 0;
    virtual std::filesystem::path CaCertificateFile() const = 0;

    // The carrier code (1..9) a number belongs to, 0 for none.
    virtual int CarrierOf(const std::string& number) const = 0;
    virtual void AssignPhone(const std::string& number, int carrier) = 0;
    virtual std::map<std::string, int> AssignedPhones() const = 0;

    virtual std::vector<InboxMessage> Inbox(const std::string& number) const = 0;
    virtual std::vector<InboxMessage> AllMessages() const = 0;
    virtual std::vector<LogEntry> Log() const = 0;
    virtual CounterState Counter() const = 0;
    virtual std::vector<InstallerRun> InstallerRuns() const = 0;

    // The version the maker's home page names (at start the option's, or the program's own).
    virtual std::string LatestVersion() const = 0;
    virtual void SetLatestVersion(const std::string& version) = 0;
    // The public key the installer's signature verifies with, as a deployment file holds it.
    virtual std::string SigningPublicKey() const = 0;

    virtual void InjectFault(const std::string& host, const Fault& fault) = 0;
    virtual std::vector<PendingFault> PendingFaults() const = 0;
    virtual void ClearFaults() = 0;

    // The GSM modem; null when the lab runs without one.
    virtual LabModem* Modem() const = 0;
    // The web-service stand-ins.
    virtual WebServices& Web() const = 0;

    // Empties inboxes, log, counter, faults and sessions; keeps certificates and phones.
    virtual void Reset() = 0;
};

}  // namespace lab
