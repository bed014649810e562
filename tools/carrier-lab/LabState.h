#pragma once
// Everything the lab remembers, shared by the request threads: phones and inboxes, the request
// log, the counter, pending faults, and the session values the gateways issued.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "carrier-lab/FaultList.h"
#include "carrier-lab/LabFaults.h"
#include "carrier-lab/LabTypes.h"
#include "carrier-lab/PhoneBook.h"

namespace lab {

enum class TokenKind { UsCellularSession, SprintCookie };

class LabState {
public:
    LabState();

    int CarrierOf(const std::string& number) const;
    void AssignPhone(const std::string& number, int carrier);
    void LoadPhones(const std::filesystem::path& file);
    std::map<std::string, int> AssignedPhones() const;

    // Fills in seq and time.
    void Deliver(InboxMessage message);
    std::vector<InboxMessage> Messages() const;
    std::vector<InboxMessage> Inbox(const std::string& number) const;

    // Fills in seq (and time when empty); returns the seq.
    std::uint64_t AppendLog(LogEntry entry);
    std::vector<LogEntry> Log(std::uint64_t afterSeq = 0) const;
    bool WaitForLogSize(std::size_t count, std::chrono::milliseconds timeout) const;

    void Count(std::int64_t sum);
    CounterState Counter() const;

    void AddFault(const std::string& host, const Fault& fault);
    // Takes one use of the first pending fault for the host (and `path`, for a fault bound to
    // one): a client-certificate demand when `handshake`, any other kind otherwise.
    std::optional<Fault> TakeFault(const std::string& host, bool handshake,
                                   const std::string& path = {});
    std::vector<PendingFault> PendingFaults() const;
    void ClearFaults();

    // A fresh random value, remembered as issued.
    std::string IssueToken(TokenKind kind);
    bool Issued(TokenKind kind, const std::string& value) const;

    // A Verizon message ID for a message to `number`.
    std::string IssueMessageId(const std::string& number);
    std::optional<std::string> NumberOfMessageId(const std::string& id) const;

    void Reset();

    // Waits out a delay; returns early (false) when the lab stops meanwhile.
    bool SleepUnlessStopped(std::chrono::milliseconds delay);
    void SetStopping(bool stopping);

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    PhoneBook m_phones;
    std::deque<InboxMessage> m_messages;
    std::deque<LogEntry> m_log;
    std::uint64_t m_nextMessageSeq = 1;
    std::uint64_t m_nextLogSeq = 1;
    std::uint64_t m_logged = 0;  // entries ever appended, dropped ones included
    CounterState m_counter;
    FaultList<PendingFault> m_faults;
    std::map<TokenKind, std::deque<std::string>> m_tokens;
    std::map<std::string, std::string> m_messageIds;
    std::uint64_t m_nextMessageId = 1;
    std::mt19937_64 m_random;
    bool m_stopping = false;
};

// The current time, UTC, "2006-01-02T15:04:05.123Z".
std::string NowText();

}  // namespace lab
