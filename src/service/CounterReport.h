#pragma once
// The maker's message counter.

// Tells the counter that one more message part was sent ("counterID=1&sum=1"). Its answer does
// not matter, and neither does a failure: the count is kept locally and delivery must go on.
void ReportSentMessage() noexcept;
