#pragma once
// One send job (the message for one recipient), the send result codes and the queue record.

#include <cstdint>
#include <string>

#include "runtime/MessageIds.h"
#include "storage/RouteSettings.h"

struct CSendJob {
    std::string number;  // ten digits, no separators
    std::string senderName;
    std::string replyNumber;  // digits only
    std::string replyEmail;
    std::string text;          // the message, or for a continuation the rest starting "(cont)..."
    std::string reserved;      // always empty; carried into continuations
    std::int32_t carrier = 0;  // carrier code; 0 = Auto-Detect
    std::string shownName;     // the address-book name To showed, for the history; may be empty
    // The way out and its options, and the message as typed (UTF-8) for the routes that carry
    // more than the code page.
    RouteSettings route;
    std::string typedText;

    friend bool operator==(const CSendJob&, const CSendJob&) = default;
};

enum SendResult : std::int32_t {
    ResultSent = 0,
    ResultUndeliverable = 1,
    ResultCarrierUnknown = 2,
    ResultWrongCarrier = 3,
    ResultNoConnection = 4,
    ResultUnconfirmed = 5,
    ResultNeedReplyAddress = 6,
    ResultNeedReplyNumber = 7,
};

// WM_APP_JOB_DONE: what became of a job beyond its code (lParam). The reason replaces the
// code's own text in the batch report; the message id and the carrier go to the history.
struct JobOutcome {
    std::string number;
    std::string reason;        // empty: the code's own text
    std::string messageId;     // the network's reference for the message, empty when it gave none
    std::int32_t carrier = 0;  // the carrier that took it (found by Auto-Detect); 0: as queued
};

// WM_APP_DELIVERY_REPORT: what the network said later of a message a route sent, found by the
// message id the route gave for it. The states number as the history's.
enum class ReportedDelivery : std::int32_t {
    Pending = 1,
    Delivered = 2,
    Failed = 3,
    Expired = 4,
};
struct DeliveryReport {
    DeliveryRoute route = RouteModem;
    std::string messageId;
    ReportedDelivery state = ReportedDelivery::Pending;
    std::int64_t atMs = 0;  // UTC, milliseconds since 1970
};

// What the queue thread keeps per pending job: the message to post to the core thread with the
// job, and where the batch report goes when the queue runs empty.
struct QueueEntry {
    std::uint32_t message = WM_APP_SEND_JOB;
    CSendJob payload;
    PostTarget reportTarget = PostTarget::MainWindow;

    friend bool operator==(const QueueEntry&, const QueueEntry&) = default;
};
