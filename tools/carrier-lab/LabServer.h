#pragma once
// The carrier lab: one local server that stands in for the nine carriers' send-a-text gateways
// and for the maker's site, strict about every request, and open to inspection.
//
// Used by the quillo-lab program and, in-process on ephemeral ports, by integration tests.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace lab {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct LabOptions {
    std::uint16_t httpPort = 47080;  // 0: any free port
    std::uint16_t httpsPort = 47443;
    std::filesystem::path stateDir;    // certificates and the installer's record; required
    std::filesystem::path phonesFile;  // optional explicit number-to-carrier assignments
    std::string latestVersion;         // empty: the program's own version text
    bool installRootCa = true;         // put the lab's CA into Quillo's ROOT store
    std::string modemSocket;           // the GSM modem's abstract socket name; empty: no modem
    std::function<void(const std::string&)> logLine;  // one line per request; may be empty
};

struct LabPorts {
    std::uint16_t http = 0;
    std::uint16_t https = 0;
};

// What a phone received. Texts are UTF-8, decoded from the Windows-1252 bytes of the form.
struct InboxMessage {
    std::uint64_t seq = 0;
    std::string time;  // UTC, ISO 8601
    int carrier = 0;   // the gateway that delivered it
    std::string number;
    std::string sender;       // the sender text the form showed, if it has such a field
    std::string replyNumber;  // the call-back number the form carried
    std::string replyEmail;
    std::string text;
    int parts = 0;  // the texts it arrived in through the modem; 0: through a web form
};

struct LogEntry {
    std::uint64_t seq = 0;
    std::string time;
    bool tls = false;
    std::string method;
    std::string host;    // the Host header as sent
    std::string target;  // path and query as sent
    std::string version;
    HeaderList headers;
    std::string body;           // raw bytes
    int status = 0;             // 0: the connection was dropped
    std::string site;           // "alltel", ..., "maker"; empty for an unknown host
    std::string protocolError;  // why the request was refused; empty when it was not
    std::vector<std::string> notes;
    std::string fault;  // the injected fault that answered, if any
};

struct CounterState {
    std::int64_t total = 0;  // the sum of every report's "sum"
    std::int64_t reports = 0;
};

// Short: the answer announces its whole length and ends after half the body. Cut: the answer
// has no length and ends after half the body, so only the content can tell. Tamper: one byte
// of the body is changed on the way, the length kept.
enum class FaultKind { Status, EmptyBody, Delay, Drop, ClientCertificate, Short, Cut, Tamper };

// Applies to the next `count` requests to one host (a client-certificate demand: to the next
// `count` TLS handshakes naming that host), or only to those for `path` when it is given.
struct Fault {
    FaultKind kind = FaultKind::Status;
    int count = 1;
    std::string path = {};                  // empty: any path
    int status = 500;                       // Status
    std::chrono::milliseconds delay{1000};  // Delay; the request is then served as usual
};

struct PendingFault {
    std::string host;
    Fault fault;
};

struct InstallerRun {
    std::string time;
    std::string arguments;
};

class LabModem;

class LabError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class LabServer {
public:
    LabServer();
    ~LabServer();  // stops
    LabServer(const LabServer&) = delete;
    LabServer& operator=(const LabServer&) = delete;

    // Reads the host names from the string table, loads or creates the certificates, binds both
    // ports on loopback and starts serving. Throws LabError when anything fails.
    LabPorts Start(const LabOptions& options);
    void Stop();
    bool Running() const;
    LabPorts Ports() const;

    // Points every host entry of the string table at this lab's ports (tests only).
    void ApplyStringOverrides() const;

    // The carrier code (1..9) a number belongs to, 0 for none.
    int CarrierOf(const std::string& number) const;
    void AssignPhone(const std::string& number, int carrier);
    std::map<std::string, int> AssignedPhones() const;

    std::vector<InboxMessage> Inbox(const std::string& number) const;
    std::vector<InboxMessage> AllMessages() const;
    std::vector<LogEntry> Log() const;
    CounterState Counter() const;
    std::vector<InstallerRun> InstallerRuns() const;

    // The version the maker's home page names (at start the option's, or the program's own).
    std::string LatestVersion() const;
    void SetLatestVersion(const std::string& version);
    // The public key the installer's signature verifies with, as a deployment file holds it.
    std::string SigningPublicKey() const;

    void InjectFault(const std::string& host, const Fault& fault);
    std::vector<PendingFault> PendingFaults() const;
    void ClearFaults();

    // Empties inboxes, log, counter, faults and sessions; keeps certificates and phones.
    void Reset();

    // Waits until the log holds at least `count` entries; false when the timeout passed first.
    bool WaitForLogSize(std::size_t count, std::chrono::milliseconds timeout) const;

    std::filesystem::path CaCertificateFile() const;

    // The GSM modem; null when the lab runs without one.
    LabModem* Modem() const;

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

// "alltel", "att", ... for carrier codes 1..9; "" otherwise.
std::string SiteName(int carrier);

}  // namespace lab
