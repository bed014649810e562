#pragma once
// The lab's values: how it is started, what a phone received, what the request log holds, and
// the error it throws. Shared by the server, its parts and the tests that read it.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
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
    std::string webAccount = "lab-account";  // what the web-service stand-ins accept
    std::string webSecret = "lab-secret";
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
    int parts = 0;      // the texts it arrived in through the modem; 0: through a web form
    std::string route;  // the web service it came by; empty: a carrier's form or the modem
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

struct InstallerRun {
    std::string time;
    std::string arguments;
};

class LabError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole-number parameter `name` of an API request; `fallback` when it is absent. Throws
// LabError when it is not a number, or not one an int holds.
int IntegerParam(const std::map<std::string, std::string>& params, const char* name, int fallback);

// "alltel", "att", ... for carrier codes 1..9; "" otherwise.
std::string SiteName(int carrier);

}  // namespace lab
