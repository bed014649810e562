#pragma once
// How the carriers with more than one phrase to look for read their gateways' pages: functions
// of the page alone, apart from the exchanges, so any bytes can be thrown at them.

#include <cstdint>
#include <string>

#include "delivery/SendJob.h"

// Verizon's confirmation page: the message ID its status is asked with, or the result that ends
// the exchange there (4 empty page or no ID, 3 not accepted, 1 no status to ask for).
struct VerizonConfirmation {
    SendResult result = ResultSent;  //: go on and ask with messageId
    std::string messageId;
};
VerizonConfirmation ReadVerizonConfirmation(const std::string& page);

// Verizon's status page: 4 when empty, 3 when it holds one of the four failure phrases, else 0.
SendResult ClassifyVerizonStatus(const std::string& page);

// The session value on US Cellular's start page: after "sesId" and its separator, up to a double
// quote or the end of the page. Empty when the page does not hold the name.
std::string UsCellularSessionValue(const std::string& page);
