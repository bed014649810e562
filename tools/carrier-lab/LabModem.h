#pragma once
// The lab's GSM modem: it listens on an abstract Unix socket that ModemManager's generic plugin
// opens as a serial port, answers the AT commands the daemon probes and uses for messaging,
// takes SMS-SUBMIT PDUs after AT+CMGS, reassembles concatenated texts and puts each whole text
// into the recipient phone's inbox. Faults per number or for the whole modem. A text sent with a
// delivery report asked for gets one back as "+CDS:" once the daemon has routed them so
// (AT+CNMI with <ds> 1): "delivered" a moment later, unless a fault says otherwise.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "carrier-lab/FaultList.h"
#include "carrier-lab/SmsPdu.h"

namespace lab {

class LabState;

// CmsError: the send is answered "+CMS ERROR: <cms>" (331 no network, 322 memory full, ...).
// SimPin: "+CMS ERROR: 311", SIM PIN required. NoAnswer: the modem says nothing to the PDU (the
// daemon then waits on it until the modem is unplugged).
// Gone: the modem closes its port instead of answering, as if unplugged.
// ReportFailed: the text goes out, and its report says it could not be delivered.
// NoReport: the text goes out, and no report ever comes.
enum class ModemFaultKind { CmsError, SimPin, NoAnswer, Gone, ReportFailed, NoReport };

struct ModemFault {
    ModemFaultKind kind = ModemFaultKind::CmsError;
    int cms = 500;
    std::string number = {};  // ten digits or "+1..."; empty: any
    int count = 1;            // PDUs it answers
};

class LabModem {
public:
    LabModem(LabState& state, std::function<void(const std::string&)> logLine);
    ~LabModem();  // stops
    LabModem(const LabModem&) = delete;
    LabModem& operator=(const LabModem&) = delete;

    // Listens on the abstract socket "\0<name>". Throws LabError when it cannot.
    void Start(const std::string& name);
    void Stop();
    const std::string& SocketName() const { return m_name; }

    // Closes the port the daemon has open, as pulling the modem out would; it may reopen it.
    void Unplug();

    // A locked SIM answers "+CPIN: SIM PIN" until the modem is started again; set it before the
    // daemon probes the modem. Every PIN the daemon enters is counted, and refused.
    void SetSimLocked(bool locked) { m_simLocked = locked; }
    bool SimLocked() const { return m_simLocked.load(); }
    int PinsEntered() const { return m_pinsEntered.load(); }

    void AddFault(const ModemFault& fault) { m_faults.Add(fault); }
    std::vector<ModemFault> Faults() const { return m_faults.All(); }
    void ClearFaults() { m_faults.Clear(); }

    // Every SMS-SUBMIT PDU accepted or refused since start, and those that asked for a report.
    std::uint64_t PdusReceived() const { return m_pdus.load(); }
    std::uint64_t ReportsAsked() const { return m_reportsAsked.load(); }
    // Waits at most `timeout` until `count` PDUs have come; false at the deadline.
    bool WaitForPdus(std::uint64_t count, std::chrono::milliseconds timeout) const;
    bool Connected() const { return m_connected.load(); }

private:
    void Serve();
    void ServeConnection(int fd);
    // The answer to one command line; sets `pduLength` for AT+CMGS.
    std::string Answer(const std::string& command, std::optional<std::size_t>& pduLength);
    // The answer to a PDU; empty: none. Sets `drop` when the port must close.
    std::string TakePdu(const std::string& hex, std::size_t announced, bool& drop);
    std::optional<ModemFault> TakeFault(const std::string& number);
    void Reassemble(const SubmitPdu& pdu);
    // Queues the report on a text the network took under `reference`.
    void ScheduleReport(int reference, const SubmitPdu& pdu, std::optional<ModemFaultKind> fault);
    // Writes the reports that are due (none while a PDU is awaited); returns the wait until
    // the next one in ms, or -1 when none is queued.
    int WriteDueReports(int fd, bool awaitingPdu);
    void Log(const std::string& line) const;

    LabState& m_state;
    std::function<void(const std::string&)> m_logLine;
    std::string m_name;
    int m_listen = -1;
    int m_wake = -1;  // an eventfd that ends the serving thread
    std::thread m_thread;
    std::atomic<std::uint64_t> m_pdus{0};
    std::atomic<std::uint64_t> m_reportsAsked{0};
    mutable std::condition_variable m_pduCame;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_unplug{false};  // the wake-up only ends the current connection
    std::atomic<bool> m_simLocked{false};
    std::atomic<int> m_pinsEntered{0};
    std::atomic<bool> m_reportsRouted{false};  // the daemon asked for "+CDS:"
    FaultList<ModemFault> m_faults;
    mutable std::mutex m_mutex;
    // Parts received so far, by recipient, reference and total.
    std::map<std::tuple<std::string, int, int>, std::map<int, std::string>> m_partial;
    int m_nextReference = 0;
    struct DueReport {
        std::chrono::steady_clock::time_point due;
        StatusReportPdu pdu;
    };
    std::vector<DueReport> m_reports;
};

// "cms", "sim-pin", "no-answer", "gone", "report-failed", "no-report".
std::string ModemFaultKindName(ModemFaultKind kind);
std::optional<ModemFaultKind> ParseModemFaultKind(const std::string& name);

}  // namespace lab
