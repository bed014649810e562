#include "carrier-lab/LabModem.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "base/Text.h"
#include "carrier-lab/LabServer.h"
#include "carrier-lab/LabState.h"

namespace lab {

namespace {

// What the modem says to the commands the daemon probes and uses; anything else is "OK".
const std::map<std::string, std::string>& Answers() {
    static const std::map<std::string, std::string> answers = {
        {"AT+GCAP", "+GCAP: +CGSM,+DS,+ES"},
        {"ATI", "Quillo carrier lab GSM modem"},
        {"AT+CGMI", "Quillo Lab"},
        {"AT+GMI", "Quillo Lab"},
        {"AT+CGMM", "LabModem"},
        {"AT+GMM", "LabModem"},
        {"AT+CGMR", "1.0"},
        {"AT+GMR", "1.0"},
        {"AT+CGSN", "356938035643809"},
        {"AT+GSN", "356938035643809"},
        {"AT+CIMI", "310150123456789"},
        {"AT+CPIN?", "+CPIN: READY"},
        {"AT+CREG?", "+CREG: 0,1"},
        {"AT+CGREG?", "+CGREG: 0,1"},
        {"AT+CEREG?", "+CEREG: 0,1"},
        {"AT+COPS?", "+COPS: 0,0,\"Quillo Lab\",0"},
        {"AT+CSQ", "+CSQ: 20,99"},
        {"AT+CMGF=?", "+CMGF: (0,1)"},
        {"AT+CPMS=?", "+CPMS: (\"ME\",\"SM\"),(\"ME\",\"SM\"),(\"ME\",\"SM\")"},
        {"AT+CPMS?", "+CPMS: \"ME\",0,100,\"ME\",0,100,\"ME\",0,100"},
        {"AT+CNUM", "+CNUM: ,\"+15550000000\",145"},
    };
    return answers;
}

constexpr std::array<std::pair<ModemFaultKind, const char*>, 6> kFaultNames = {{
    {ModemFaultKind::CmsError, "cms"},
    {ModemFaultKind::SimPin, "sim-pin"},
    {ModemFaultKind::NoAnswer, "no-answer"},
    {ModemFaultKind::Gone, "gone"},
    {ModemFaultKind::ReportFailed, "report-failed"},
    {ModemFaultKind::NoReport, "no-report"},
}};

// TP-ST: received by the recipient; "incompatible destination", a permanent error.
constexpr int kStatusDelivered = 0x00;
constexpr int kStatusFailed = 0x41;
// How long the network takes to say a text was delivered.
constexpr std::chrono::milliseconds kReportDelay{200};

constexpr int kCmsSimPin = 311;
constexpr int kCmsInvalidPdu = 304;
constexpr char kCtrlZ = 0x1A, kEscape = 0x1B;

std::string Final(const std::string& info) {
    return (info.empty() ? "" : "\r\n" + info + "\r\n") + "\r\nOK\r\n";
}

std::string CmsError(int code) {
    return "\r\n+CMS ERROR: " + std::to_string(code) + "\r\n";
}

// The ten digits of a North American number, else the number as dialled.
std::string PhoneOf(const std::string& number) {
    if (number.size() == 12 && number.rfind("+1", 0) == 0)
        return number.substr(2);
    return number;
}

void WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

std::string ModemFaultKindName(ModemFaultKind kind) {
    for (const auto& [k, name] : kFaultNames)
        if (k == kind)
            return name;
    return "?";
}

std::optional<ModemFaultKind> ParseModemFaultKind(const std::string& name) {
    for (const auto& [kind, n] : kFaultNames)
        if (name == n)
            return kind;
    return std::nullopt;
}

LabModem::LabModem(LabState& state, std::function<void(const std::string&)> logLine)
    : m_state(state), m_logLine(std::move(logLine)) {}

LabModem::~LabModem() {
    Stop();
}

void LabModem::Start(const std::string& name) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.empty() || name.size() + 1 > sizeof address.sun_path)
        throw LabError("the modem's socket name must have 1 to 106 characters");
    std::memcpy(address.sun_path + 1, name.data(), name.size());  // abstract: a leading NUL
    m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listen, 4) != 0) {
        const std::string why = std::strerror(errno);
        Stop();
        throw LabError("cannot listen on the modem's socket " + name + ": " + why);
    }
    m_wake = ::eventfd(0, EFD_CLOEXEC);
    m_name = name;
    m_thread = std::thread([this] { Serve(); });
}

void LabModem::Unplug() {
    m_unplug = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
}

void LabModem::Stop() {
    if (m_thread.joinable()) {
        m_unplug = false;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
        m_thread.join();
    }
    for (int* fd : {&m_listen, &m_wake}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void LabModem::Serve() {
    for (;;) {
        std::array<pollfd, 2> fds = {{{m_listen, POLLIN, 0}, {m_wake, POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents) {
            if (!m_unplug.exchange(false))
                return;
            std::uint64_t count = 0;  // nothing to unplug
            [[maybe_unused]] const ssize_t n = ::read(m_wake, &count, sizeof count);
        }
        if (!(fds[0].revents & POLLIN))
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        m_connected = true;
        Log("modem: port opened");
        ServeConnection(fd);
        ::close(fd);
        m_connected = false;
        Log("modem: port closed");
    }
}

void LabModem::ServeConnection(int fd) {
    std::string buffer;
    std::optional<std::size_t> pduLength;  // set while a PDU is awaited
    for (;;) {
        std::array<pollfd, 2> fds = {{{fd, POLLIN, 0}, {m_wake, POLLIN, 0}}};
        const int wait = WriteDueReports(fd, pduLength.has_value());
        const int ready = ::poll(fds.data(), fds.size(), wait);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready <= 0)
            continue;
        if (fds[1].revents) {
            if (m_unplug.exchange(false)) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t n = ::read(m_wake, &count, sizeof count);
            }
            return;
        }
        char chunk[4096];
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0)
            return;
        buffer.append(chunk, static_cast<std::size_t>(got));
        for (;;) {
            if (pduLength) {
                const std::size_t end = buffer.find_first_of(std::string{kCtrlZ, kEscape});
                if (end == std::string::npos)
                    break;
                const bool cancelled = buffer[end] == kEscape;
                std::string hex = buffer.substr(0, end);
                buffer.erase(0, end + 1);
                hex.erase(0, hex.find_first_not_of("\r\n "));
                bool drop = false;
                const std::string reply = cancelled ? Final("") : TakePdu(hex, *pduLength, drop);
                pduLength.reset();
                if (drop)
                    return;
                WriteAll(fd, reply);
                continue;
            }
            const std::size_t end = buffer.find('\r');
            if (end == std::string::npos)
                break;
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            line.erase(0, line.find_first_not_of("\r\n "));
            if (line.empty())
                continue;
            WriteAll(fd, Answer(line, pduLength));
        }
    }
}

std::string LabModem::Answer(const std::string& command, std::optional<std::size_t>& pduLength) {
    const std::string upper = AsciiUpperCase(command);
    if (upper == "AT+CPIN?" && m_simLocked)
        return Final("+CPIN: SIM PIN");
    if (upper.starts_with("AT+CPIN=")) {
        ++m_pinsEntered;
        Log("modem: refused a PIN");
        return "\r\n+CME ERROR: 16\r\n";  // incorrect password
    }
    if (upper.starts_with("AT+CNMI=")) {
        // <mode>,<mt>,<bm>,<ds>,<bfr>: <ds> 1 routes status reports as "+CDS:".
        std::size_t at = 0;
        for (int comma = 0; comma < 3 && at != std::string::npos; ++comma)
            at = upper.find(',', at + 1);
        m_reportsRouted = at != std::string::npos && upper.compare(at + 1, 1, "1") == 0;
    }
    if (upper.rfind("AT+CMGS=", 0) == 0) {
        try {
            pduLength = std::stoul(upper.substr(8));
        } catch (const std::exception&) {
            return "\r\nERROR\r\n";
        }
        return "\r\n> ";
    }
    const auto& answers = Answers();
    const auto it = answers.find(upper);
    return Final(it == answers.end() ? "" : it->second);
}

std::optional<ModemFault> LabModem::TakeFault(const std::string& number) {
    return m_faults.Take(
        [&](const ModemFault& f) { return f.number.empty() || PhoneOf(number) == PhoneOf(f.number); },
        [](ModemFault& f) -> int& { return f.count; });
}

bool LabModem::WaitForPdus(std::uint64_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_pduCame.wait_for(lock, timeout, [&] { return m_pdus.load() >= count; });
}

std::string LabModem::TakePdu(const std::string& hex, std::size_t announced, bool& drop) {
    {
        std::lock_guard lock(m_mutex);
        ++m_pdus;
    }
    m_pduCame.notify_all();
    std::string error;
    const std::optional<SubmitPdu> pdu = DecodeSubmitPdu(hex, error);
    if (pdu && pdu->tpduLength != announced)
        error = "AT+CMGS announced " + std::to_string(announced) + " octets, the PDU has " +
                std::to_string(pdu->tpduLength);
    if (!error.empty()) {
        Log("modem: refused PDU " + hex + ": " + error);
        return CmsError(kCmsInvalidPdu);
    }
    Log("modem: SMS-SUBMIT to " + pdu->number + ", part " + std::to_string(pdu->sequence) + "/" +
        std::to_string(pdu->total) + (pdu->ucs2 ? ", UCS-2" : ", GSM 7-bit"));
    const std::optional<ModemFault> fault = TakeFault(pdu->number);
    if (fault) {
        Log("modem: fault " + ModemFaultKindName(fault->kind) + " for " + pdu->number);
        switch (fault->kind) {
            case ModemFaultKind::CmsError:
                return CmsError(fault->cms);
            case ModemFaultKind::SimPin:
                return CmsError(kCmsSimPin);
            case ModemFaultKind::NoAnswer:
                return {};
            case ModemFaultKind::Gone:
                drop = true;
                return {};
            case ModemFaultKind::ReportFailed:
            case ModemFaultKind::NoReport:
                break;
        }
    }
    Reassemble(*pdu);
    int reference = 0;
    {
        std::lock_guard lock(m_mutex);
        m_nextReference = (m_nextReference + 1) % 256;
        reference = m_nextReference;
    }
    if (pdu->statusReport) {
        ++m_reportsAsked;
        ScheduleReport(reference, *pdu, fault ? std::optional(fault->kind) : std::nullopt);
    }
    return "\r\n+CMGS: " + std::to_string(reference) + "\r\n" + Final("");
}

void LabModem::ScheduleReport(int reference, const SubmitPdu& pdu,
                              std::optional<ModemFaultKind> fault) {
    if (fault == ModemFaultKind::NoReport || !m_reportsRouted) {
        Log("modem: no status report for " + pdu.number);
        return;
    }
    const int status = fault == ModemFaultKind::ReportFailed ? kStatusFailed : kStatusDelivered;
    std::lock_guard lock(m_mutex);
    m_reports.push_back({std::chrono::steady_clock::now() + kReportDelay,
                         EncodeStatusReportPdu(reference, pdu.number, status, std::time(nullptr))});
}

int LabModem::WriteDueReports(int fd, bool awaitingPdu) {
    std::vector<StatusReportPdu> due;
    int wait = -1;
    {
        std::lock_guard lock(m_mutex);
        const auto now = std::chrono::steady_clock::now();
        for (auto it = m_reports.begin(); it != m_reports.end();) {
            if (it->due <= now && !awaitingPdu) {
                due.push_back(std::move(it->pdu));
                it = m_reports.erase(it);
                continue;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                                  std::max(it->due - now, std::chrono::steady_clock::duration{}))
                                  .count();
            wait = wait < 0 ? static_cast<int>(left) : std::min(wait, static_cast<int>(left));
            ++it;
        }
    }
    // While a PDU is awaited a due report waits for it; the reply wakes the loop anyway.
    if (awaitingPdu && wait == 0)
        wait = -1;
    for (const StatusReportPdu& report : due) {
        Log("modem: status report " + report.hex);
        WriteAll(fd,
                 "\r\n+CDS: " + std::to_string(report.tpduLength) + "\r\n" + report.hex + "\r\n");
    }
    return wait;
}

void LabModem::Reassemble(const SubmitPdu& pdu) {
    std::string text;
    {
        std::lock_guard lock(m_mutex);
        auto& parts = m_partial[{pdu.number, pdu.reference, pdu.total}];
        parts[pdu.sequence] = pdu.text;
        if (static_cast<int>(parts.size()) < pdu.total)
            return;
        for (const auto& [sequence, part] : parts) text += part;
        m_partial.erase({pdu.number, pdu.reference, pdu.total});
    }
    InboxMessage message;
    message.number = PhoneOf(pdu.number);
    message.carrier = m_state.CarrierOf(message.number);
    message.text = std::move(text);
    message.parts = pdu.total;
    m_state.Deliver(std::move(message));
}

void LabModem::Log(const std::string& line) const {
    if (m_logLine)
        m_logLine(line);
}

}  // namespace lab
