#pragma once
// The nine carriers' send-a-text gateways, seen from the server's side: each at its own paths,
// with its own fields, counts, limits and answers.

#include <string>

#include "carrier-lab/SiteRequest.h"

namespace lab {

class LabState;

class CarrierGateways {
public:
    // Paths, phrases and the Verizon e-mail domain come from the string table.
    explicit CarrierGateways(LabState& state);

    // Answers one request to carrier `carrier`'s host (1..9). A request that differs from the
    // carrier's form gets status 400 and the reason.
    SiteReply Serve(int carrier, const SiteRequest& request);

private:
    SiteReply AllTel(const SiteRequest& request);
    SiteReply AttWireless(const SiteRequest& request);
    SiteReply Boost(const SiteRequest& request);
    SiteReply Cingular(const SiteRequest& request);
    SiteReply Nextel(const SiteRequest& request);
    SiteReply Sprint(const SiteRequest& request);
    SiteReply TMobile(const SiteRequest& request);
    SiteReply UsCellular(const SiteRequest& request);
    SiteReply Verizon(const SiteRequest& request);

    // Stores the message when the number is this carrier's; the page and notes say which.
    SiteReply DeliverOrReject(int carrier, InboxMessage message, const std::string& rejection);

    LabState& m_state;
    std::string m_verizonDomainField;  // "@" + the text-message e-mail domain
};

// The Verizon confirmation page's status marker, and the bytes between it and the message ID.
inline constexpr std::string_view kVerizonStatusMarker = "Status of message</b></FONT>&nbsp;";
inline constexpr std::string_view kVerizonIdLead = "</TD><TD><FONT size=\"2\"><b>ID: ";
static_assert(kVerizonStatusMarker.size() == 34 && kVerizonIdLead.size() == 31);

}  // namespace lab
