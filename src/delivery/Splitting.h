#pragma once
// Cutting a message to what one carrier's form takes, and the sender texts the forms show.
// All lengths are byte counts of the program's text.

#include <cstdint>
#include <string>
#include <string_view>

#include "delivery/SendJob.h"

inline constexpr std::string_view kContinuedMarker = "...(cont)";  // ends every part but the last
inline constexpr std::string_view kContinuesMarker =
    "(cont)...";  // starts every part but the first

// senderName, else replyNumber, else replyEmail.
std::string SenderLabel(const CSendJob& job);
// replyNumber, else senderName, else replyEmail.
std::string ReplyLabel(const CSendJob& job);

// What carrier c counts for the job: the message plus the sender texts its form adds.
// carrierOverride 0 means job.carrier. Carrier 0 and unknown codes count 0.
std::int32_t SentLength(const CSendJob& job, std::int32_t carrierOverride);

// How many bytes carrier c takes in one submission.
std::int32_t CarrierLimit(std::int32_t carrier);

// True when the message does not fit and the carrier's other texts leave so little room that a
// cut could carry no message bytes: the chain of "(cont)..." parts would never end. Such a job
// is refused; SplitForCarrier then returns an empty part and an empty rest.
bool SplitLeavesNoRoom(const CSendJob& job, std::int32_t carrierOverride);

// The part to send now; `rest` receives what is left, starting "(cont)...", or empty when the
// whole message fits. carrierOverride 0 means job.carrier.
std::string SplitForCarrier(const CSendJob& job, std::string& rest, std::int32_t carrierOverride);

// How many parts the whole message goes out in with carrier c: the chain of cuts the send
// worker makes, part after part. 0 when the job is refused (see SplitLeavesNoRoom).
int CountParts(const CSendJob& job, std::int32_t carrier);
