#pragma once
// The failures of one batch, as the queue thread reports them to the main window.

#include <cstdint>
#include <string>
#include <vector>

struct SendFailure {
    std::int32_t code = 0;  // result code 1..7, never 0
    std::string text;       // the status text of the code
    std::string number;     // the recipient's number as the job had it

    friend bool operator==(const SendFailure&, const SendFailure&) = default;
};

using SendFailureList = std::vector<SendFailure>;

// The text the user is shown for a send result code.
std::string StatusText(std::int32_t code);
