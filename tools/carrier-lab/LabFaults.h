#pragma once
// The faults a test can make the lab answer with, and their names in the API and the log.

#include <chrono>
#include <string>

namespace lab {

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

// "status", "empty", "delay", "drop", "client-cert".
std::string FaultKindName(FaultKind kind);
// The fault as one short text, e.g. "status 503" or "delay 200 ms".
std::string DescribeFault(const Fault& fault);

}  // namespace lab
