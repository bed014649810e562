#pragma once
// One request as a lab site sees it, and the site's answer: kept free of the HTTP library.

#include <string>
#include <string_view>
#include <vector>

#include "carrier-lab/LabTypes.h"

namespace lab {

struct SiteRequest {
    bool tls = false;
    std::string method;
    std::string host;  // from the Host header, lower case, without ":port"
    std::string target;
    std::string path;  // target before "?"
    std::string version;
    HeaderList headers;
    std::string body;

    // The first header of that name (any case), or "" when there is none.
    std::string Header(std::string_view name) const;
};

struct SiteReply {
    int status = 200;
    std::string contentType = "text/html";
    std::string body;
    HeaderList headers;
    std::string protocolError;
    std::vector<std::string> notes;
};

// Text made safe inside HTML elements and attribute values.
std::string Escaped(std::string_view text);

// A small HTML page, lines ended with CR LF as the old servers sent them.
std::string HtmlPage(std::string_view title, std::string_view bodyHtml);

// The answer to a request that differs from the site's form.
SiteReply BadRequest(const std::string& reason);

// An answer of the inspection API: `body` is JSON.
SiteReply JsonReply(std::string body, int status = 200);
// The answer to a path the site does not have.
SiteReply NotFound(const SiteRequest& request);

// The form a page expects: a POST of "application/x-www-form-urlencoded" (throws
// ProtocolError otherwise), and the parsed body.
class FormBody;
FormBody ExpectPostForm(const SiteRequest& request);
void ExpectGet(const SiteRequest& request);

bool IsTenDigits(std::string_view text);

}  // namespace lab
