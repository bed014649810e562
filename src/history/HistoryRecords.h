#pragma once
// What the history keeps of a sent batch, and what its queries hand back.
//
// Texts: the message is UTF-8 as typed, both ways. Everything else that comes from the program
// (names, numbers, sender details, result texts, carrier and route names) is program text in
// the code page; the store converts it to UTF-8 at its edge and back when it reads.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How a delivery report left a message; a route that has no reports leaves Unknown.
enum class DeliveryState : std::int32_t {
    Unknown = 0,
    Pending = 1,
    Delivered = 2,
    Failed = 3,
    Expired = 4,
};

// One finished job (one part for one recipient), as the queue thread has it.
struct HistoryPart {
    std::string number;
    std::string name;     // as shown in To, or empty for a bare number
    std::string carrier;  // the carrier's name, or the route's for routes without carriers
    std::int32_t result = 0;
    std::string resultText;
    std::optional<std::string> messageId;  // the service's or modem's id, when it gave one
};

struct HistoryBatchRecord {
    std::int64_t sentAt = 0;  // UTC, milliseconds since 1970
    std::string route;
    std::string messageUtf8;
    std::string senderName;
    std::string replyNumber;
    std::string replyEmail;
    std::vector<HistoryPart> parts;  // in the order they were finished
};

// One recipient of a batch: its parts folded together.
struct HistoryRecipient {
    std::int64_t id = 0;
    std::string name;
    std::string number;
    std::string carrier;
    std::int32_t parts = 0;
    std::int32_t result = 0;  // the first failure among its parts, 0 when every part was sent
    std::string resultText;
    std::optional<std::string> messageId;
    DeliveryState state = DeliveryState::Unknown;
    std::int64_t stateAt = 0;

    bool Failed() const { return result != 0; }
};

struct HistoryBatch {
    std::int64_t id = 0;  // newer batches have larger ids
    std::int64_t sentAt = 0;
    std::string route;
    std::string firstLineUtf8;
    std::int32_t sentCount = 0;
    std::int32_t failedCount = 0;
    std::vector<HistoryRecipient> recipients;
};

// A page of batches, newest first. Pass the last id of one page as `before` for the next.
struct HistoryQuery {
    std::string searchUtf8;  // words to find in the text, the names and the numbers; empty: all
    bool failuresOnly = false;
    std::int64_t before = 0;  // 0: from the newest
    int limit = 50;
};

// What "send again to the failed recipients" needs.
struct HistoryResend {
    std::string messageUtf8;
    std::vector<HistoryRecipient> failed;
};
