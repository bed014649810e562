#pragma once
// SMS-SUBMIT PDUs as a modem receives them after AT+CMGS in PDU mode: the service-centre
// address, then the TPDU (3GPP TS 23.040), GSM 7-bit (with the escape table) or UCS-2 text and
// the concatenation header. And the SMS-STATUS-REPORT the network sends back for one.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace lab {

struct SubmitPdu {
    std::string number;  // "+15551234567" for an international address
    std::string text;    // UTF-8
    bool ucs2 = false;
    bool statusReport = false;   // a delivery report was asked for
    int reference = -1;          // of the concatenated message; -1 when it stands alone
    int total = 1;               // parts of the whole message
    int sequence = 1;            // this part's place, from 1
    std::size_t tpduLength = 0;  // octets after the service-centre address (AT+CMGS's count)
};

// The PDU in hex as the modem receives it; nullopt with the reason in `error` when it is not a
// well-formed SMS-SUBMIT.
std::optional<SubmitPdu> DecodeSubmitPdu(std::string_view hex, std::string& error);

// An SMS-STATUS-REPORT as "+CDS: <tpduLength>" hands it over: hex, with an empty service-centre
// address first. `status` is TP-ST (0 received, 0x40 and up a permanent error); `at` stamps
// both the service centre's time and the discharge time, in UTC.
struct StatusReportPdu {
    std::string hex;
    std::size_t tpduLength = 0;
};
StatusReportPdu EncodeStatusReportPdu(int messageReference, const std::string& number, int status,
                                      std::time_t at);

}  // namespace lab
