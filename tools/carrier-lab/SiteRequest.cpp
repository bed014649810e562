#include "carrier-lab/SiteRequest.h"

#include <algorithm>

#include "base/Text.h"
#include "carrier-lab/FormBody.h"

namespace lab {

std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string SiteRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsNoCase(key, name))
            return value;
    }
    return {};
}

std::string HtmlPage(std::string_view title, std::string_view bodyHtml) {
    std::string page = "<html>\r\n<head><title>";
    page += title;
    page += "</title></head>\r\n<body>\r\n";
    page += bodyHtml;
    page += "\r\n</body>\r\n</html>\r\n";
    return page;
}

SiteReply JsonReply(std::string body, int status) {
    SiteReply reply;
    reply.status = status;
    reply.contentType = "application/json";
    reply.body = std::move(body);
    return reply;
}

SiteReply BadRequest(const std::string& reason) {
    SiteReply reply;
    reply.status = 400;
    reply.body = HtmlPage("Bad Request", "<h1>Bad Request</h1>\r\n<p>" + Escaped(reason) + "</p>");
    reply.protocolError = reason;
    return reply;
}

SiteReply NotFound(const SiteRequest& request) {
    SiteReply reply;
    reply.status = 404;
    reply.body = HtmlPage("Not Found", "<h1>Not Found</h1>");
    reply.protocolError = "no page at " + Quoted(request.target) + " on " +
                          (request.tls ? "https://" : "http://") + request.host;
    return reply;
}

FormBody ExpectPostForm(const SiteRequest& request) {
    if (request.method != "POST") {
        throw ProtocolError("verb " + request.method + "; the form is sent with POST");
    }
    std::string type = request.Header("Content-Type");
    if (type != "application/x-www-form-urlencoded") {
        throw ProtocolError("Content-Type " + Quoted(type) +
                            "; the form is sent as \"application/x-www-form-urlencoded\"");
    }
    return FormBody::Parse(request.body);
}

void ExpectGet(const SiteRequest& request) {
    if (request.method != "GET") {
        throw ProtocolError("verb " + request.method + "; this page is read with GET");
    }
}

bool IsTenDigits(std::string_view text) {
    return text.size() == 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace lab
