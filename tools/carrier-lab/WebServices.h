#pragma once
// Strict stand-ins for the SMS web services Quillo's web route speaks, served on the lab's own
// host names (127.0.0.1, localhost) over plain HTTP and HTTPS:
//   POST /form-service/Accounts/{account}/Messages.json  Basic, form fields To, From, Body
//   POST /json-service/messages                          Bearer token, JSON from, to, text
//   POST /phone-gateway/message                          Basic, JSON message, phoneNumbers
// Each checks method, path, credentials, content type and fields, and delivers into the
// recipient phone's inbox, unless a fault for that service or number answers instead.

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "carrier-lab/FaultList.h"
#include "carrier-lab/SiteRequest.h"

namespace lab {

class LabState;

// The services by the first segment of their path.
enum class WebService { Form, Json, Phone };

// Refuse: 401 as for a wrong secret. Invalid: 422 with an error text. Busy: 429 with
// Retry-After. Error: 500. Hang: no answer for `delay`. NotJson: 200 with an HTML page.
// Redirect: 307 to the same path on the lab's other host name. Huge: 200 with a 10 MB body.
enum class WebFaultKind { Refuse, Invalid, Busy, Error, Hang, NotJson, Redirect, Huge };

struct WebFault {
    WebFaultKind kind = WebFaultKind::Error;
    std::optional<WebService> service;  // none: any service
    std::string number;                 // ten digits; empty: any recipient
    int count = 1;
    int retryAfter = 1;                                                // Busy, seconds
    std::string text = "The 'To' number is not a valid phone number";  // Invalid
    std::chrono::milliseconds delay{5000};                             // Hang
};

// "refuse", "invalid", "busy", "error", "hang", "not-json", "redirect", "huge".
std::string WebFaultKindName(WebFaultKind kind);
std::optional<WebFaultKind> ParseWebFaultKind(const std::string& name);
// "form", "json", "phone".
std::string WebServiceName(WebService service);
std::optional<WebService> ParseWebService(const std::string& name);

class WebServices {
public:
    WebServices(LabState& state, std::string account, std::string secret);

    static bool Handles(const std::string& path);
    // The path the service's base address ends in ("/form-service", ...).
    static std::string BasePath(WebService service);

    SiteReply Serve(const SiteRequest& request);

    const std::string& Account() const { return m_account; }
    void AddFault(const WebFault& fault) { m_faults.Add(fault); }
    std::vector<WebFault> Faults() const { return m_faults.All(); }
    void ClearFaults() { m_faults.Clear(); }

private:
    struct Accepted {
        std::string number;  // the recipient's ten digits
        std::string sender;
        std::string text;
        int status = 200;  // what the service answers a text it takes
    };

    // Each service's own checks of a request, and what it answers a text it took. A check
    // throws ProtocolError, or Refused for a request turned away with a status of its own.
    Accepted AcceptForm(const SiteRequest& request) const;
    Accepted AcceptJson(const SiteRequest& request) const;
    Accepted AcceptPhone(const SiteRequest& request) const;
    std::string FormAnswer();
    std::string JsonAnswer();
    std::string PhoneAnswer();

    SiteReply ServeService(WebService service, const SiteRequest& request);
    std::optional<WebFault> TakeFault(WebService service, const std::string& number);
    SiteReply FaultReply(const WebFault& fault, const SiteRequest& request);
    std::string NextId(std::string_view prefix);

    LabState& m_state;
    std::string m_account;
    std::string m_secret;
    FaultList<WebFault> m_faults;
    mutable std::mutex m_mutex;  // for the ids
    unsigned m_nextId = 1;
};

}  // namespace lab
