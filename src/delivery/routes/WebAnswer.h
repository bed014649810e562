#pragma once
// What a web service's answer means for the job: sent (with the service's id), worth one more
// try (after a wait), or failed with a reason. Mapped by status, never guessed.

#include <chrono>
#include <string>
#include <string_view>

#include "delivery/routes/DeliveryRoute.h"
#include "storage/RouteSettings.h"

struct WebVerdict {
    enum Kind { Done, TryAgain };
    Kind kind = Done;
    RouteResult result;  // for Done; for TryAgain, the result should it be the last try
    std::chrono::milliseconds wait{0};  // before trying again
};

// The longest a "Retry-After" is waited out.
inline constexpr std::chrono::seconds kMaxRetryAfter{30};

WebVerdict ReadWebAnswer(WebPreset preset, int status, std::string_view body,
                         std::string_view retryAfter);

// The service's own error text in `body` (JSON "message", "error", "error.message", or the
// body itself when it is plain text), on one line and cut to a sane length, as program text in
// the code page; empty for none.
std::string ServiceErrorText(std::string_view body);
