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

// WM_APP_JOB_DONE from a route that can say why a job failed: the reason replaces the code's
// own text in the batch report.
struct JobOutcome {
    std::string number;
    std::string reason;
};

// What the queue thread keeps per pending job: the message to post to the core thread with the
// job, and where the batch report goes when the queue runs empty.
struct QueueEntry {
    std::uint32_t message = WM_APP_SEND_JOB;
    CSendJob payload;
    PostTarget reportTarget = PostTarget::MainWindow;

    friend bool operator==(const QueueEntry&, const QueueEntry&) = default;
};
