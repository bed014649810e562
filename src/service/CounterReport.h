#pragma once
// The maker's message counter: "counterID=1&sum=<n>" posted to /count.php on the service host.

#include <chrono>
#include <cstdint>

// The start-up report of the whole count. True only when the service answered exactly
// "SUCCESS" (line breaks removed); a failure or any other answer is false.
bool ReportMessageCount(std::int32_t count) noexcept;

// Tells the counter that one more message part was sent ("sum=1"). The report is queued and
// sent by a thread of its own, so that a counter service that is slow, dead or hanging never
// holds up delivery; its answer does not matter, nor does a failure.
void ReportSentMessage() noexcept;

// Waits until every queued report has been sent or given up; false when `timeout` passed first.
bool WaitForCounterReports(std::chrono::milliseconds timeout);
