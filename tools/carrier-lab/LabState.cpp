#include "carrier-lab/LabState.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace lab {

namespace {

// A lab that runs for weeks must not grow without bound: the oldest records go first.
constexpr std::size_t kMaxLog = 10000;
constexpr std::size_t kMaxMessages = 10000;
constexpr std::size_t kMaxTokens = 1000;
constexpr std::size_t kMaxMessageIds = 10000;

template <class T>
void PushCapped(std::deque<T>& queue, T value, std::size_t cap) {
    queue.push_back(std::move(value));
    while (queue.size() > cap) queue.pop_front();
}

}  // namespace

std::string NowText() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms.count()));
    return text;
}

LabState::LabState() : m_random(std::random_device{}()) {}

int LabState::CarrierOf(const std::string& number) const {
    std::lock_guard lock(m_mutex);
    return m_phones.CarrierOf(number);
}

void LabState::AssignPhone(const std::string& number, int carrier) {
    std::lock_guard lock(m_mutex);
    m_phones.Assign(number, carrier);
}

void LabState::LoadPhones(const std::filesystem::path& file) {
    PhoneBook loaded;
    loaded.Load(file);
    std::lock_guard lock(m_mutex);
    for (const auto& [number, carrier] : loaded.Assigned()) m_phones.Assign(number, carrier);
}

std::map<std::string, int> LabState::AssignedPhones() const {
    std::lock_guard lock(m_mutex);
    return m_phones.Assigned();
}

void LabState::Deliver(InboxMessage message) {
    std::lock_guard lock(m_mutex);
    message.seq = m_nextMessageSeq++;
    message.time = NowText();
    PushCapped(m_messages, std::move(message), kMaxMessages);
    m_changed.notify_all();
}

std::vector<InboxMessage> LabState::Messages() const {
    std::lock_guard lock(m_mutex);
    return {m_messages.begin(), m_messages.end()};
}

std::vector<InboxMessage> LabState::Inbox(const std::string& number) const {
    std::lock_guard lock(m_mutex);
    std::vector<InboxMessage> inbox;
    std::copy_if(m_messages.begin(), m_messages.end(), std::back_inserter(inbox),
                 [&](const InboxMessage& m) { return m.number == number; });
    return inbox;
}

std::uint64_t LabState::AppendLog(LogEntry entry) {
    std::lock_guard lock(m_mutex);
    entry.seq = m_nextLogSeq++;
    if (entry.time.empty())
        entry.time = NowText();
    std::uint64_t seq = entry.seq;
    PushCapped(m_log, std::move(entry), kMaxLog);
    ++m_logged;
    m_changed.notify_all();
    return seq;
}

std::vector<LogEntry> LabState::Log(std::uint64_t afterSeq) const {
    std::lock_guard lock(m_mutex);
    std::vector<LogEntry> entries;
    std::copy_if(m_log.begin(), m_log.end(), std::back_inserter(entries),
                 [&](const LogEntry& e) { return e.seq > afterSeq; });
    return entries;
}

bool LabState::WaitForLogSize(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_logged >= count; });
}

void LabState::Count(std::int64_t sum) {
    std::lock_guard lock(m_mutex);
    m_counter.total += sum;
    ++m_counter.reports;
}

CounterState LabState::Counter() const {
    std::lock_guard lock(m_mutex);
    return m_counter;
}

void LabState::AddFault(const std::string& host, const Fault& fault) {
    if (fault.count < 1)
        throw LabError("a fault needs a count of at least 1");
    if (fault.kind == FaultKind::Status && (fault.status < 100 || fault.status > 599)) {
        throw LabError("not an HTTP status: " + std::to_string(fault.status));
    }
    if (fault.kind == FaultKind::Delay && fault.delay.count() < 0) {
        throw LabError("a delay cannot be negative");
    }
    m_faults.Add({host, fault});
}

std::optional<Fault> LabState::TakeFault(const std::string& host, bool handshake,
                                         const std::string& path) {
    const std::optional<PendingFault> taken = m_faults.Take(
        [&](const PendingFault& p) {
            return p.host == host && (p.fault.kind == FaultKind::ClientCertificate) == handshake &&
                   (p.fault.path.empty() || p.fault.path == path);
        },
        [](PendingFault& p) -> int& { return p.fault.count; });
    if (!taken)
        return std::nullopt;
    return taken->fault;
}

std::vector<PendingFault> LabState::PendingFaults() const {
    return m_faults.All();
}

void LabState::ClearFaults() {
    m_faults.Clear();
}

std::string LabState::IssueToken(TokenKind kind) {
    std::lock_guard lock(m_mutex);
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(m_random()));
    PushCapped(m_tokens[kind], std::string(text), kMaxTokens);
    return text;
}

bool LabState::Issued(TokenKind kind, const std::string& value) const {
    std::lock_guard lock(m_mutex);
    auto it = m_tokens.find(kind);
    return it != m_tokens.end() &&
           std::find(it->second.begin(), it->second.end(), value) != it->second.end();
}

std::string LabState::IssueMessageId(const std::string& number) {
    std::lock_guard lock(m_mutex);
    // Fixed width, so that the map keeps them in the order they were issued.
    char text[16];
    std::snprintf(text, sizeof text, "7%09llu", static_cast<unsigned long long>(m_nextMessageId++));
    m_messageIds[text] = number;
    while (m_messageIds.size() > kMaxMessageIds) m_messageIds.erase(m_messageIds.begin());
    return text;
}

std::optional<std::string> LabState::NumberOfMessageId(const std::string& id) const {
    std::lock_guard lock(m_mutex);
    auto it = m_messageIds.find(id);
    if (it == m_messageIds.end())
        return std::nullopt;
    return it->second;
}

void LabState::Reset() {
    std::lock_guard lock(m_mutex);
    m_messages.clear();
    m_log.clear();
    m_logged = 0;
    m_counter = {};
    m_faults.Clear();
    m_tokens.clear();
    m_messageIds.clear();
    m_changed.notify_all();
}

bool LabState::SleepUnlessStopped(std::chrono::milliseconds delay) {
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_for(lock, delay, [&] { return m_stopping; });
}

void LabState::SetStopping(bool stopping) {
    std::lock_guard lock(m_mutex);
    m_stopping = stopping;
    m_changed.notify_all();
}

}  // namespace lab
