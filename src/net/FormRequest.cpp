#include "net/FormRequest.h"

#include <array>
#include <new>

#include "net/Internet.h"
#include "net/InternetException.h"
#include "net/SecureRequest.h"
#include "res/StringTable.h"

namespace {

constexpr const char* kAgent = "Microsoft Internet Explorer";
constexpr const char* kVerbs[] = {"POST", "GET", "HEAD", "PUT", "LINK", "DELETE", "UNLINK"};
// A plain request with a status other than this fails.
constexpr int kStatusOk = 200;
// The secure path reports every failure with this code; its details stay in CSecureRequest.
constexpr std::uint32_t kSecureFailure = 404;
// A secure answer from here on is the server's error page, not the gateway's answer.
constexpr int kFirstErrorStatus = 400;

void AppendWithoutLineBreaks(std::string& text, std::string_view bytes) {
    for (char c : bytes) {
        if (c != '\r' && c != '\n')
            text += c;
    }
}

// Appends an answer's body to a text as it arrives, without CR and LF, so that a failure
// leaves what was read before it.
class LineJoiningSink : public inet::ResponseSink {
public:
    explicit LineJoiningSink(std::string& text) : m_text(text) {}
    std::uint32_t OnBody(std::string_view bytes) override {
        m_received += bytes.size();
        if (m_received > inet::kMaxHeldAnswer)
            return inet::kErrorNotEnoughMemory;
        AppendWithoutLineBreaks(m_text, bytes);
        return 0;
    }

private:
    std::string& m_text;
    std::size_t m_received = 0;
};

std::string PerformPlain(const std::string& host, const std::string& path, FormVerb verb,
                         const std::string& headers, const std::string& body) {
    if (std::uint32_t error = inet::OpenInternet())
        throw CInternetException(error);
    if (verb < 0 || verb >= static_cast<int>(std::size(kVerbs))) {
        throw CInternetException(inet::kErrorInvalidParameter);
    }
    const auto server = inet::SplitServerName(host, inet::kPlainPort);
    if (!server)
        throw CInternetException(inet::kErrorInvalidUrl);

    inet::HttpRequest request(kAgent, *server, kVerbs[verb], path, "HTTP/1.0",
                              inet::kFlagReload | inet::kFlagNoCacheWrite);
    if (std::uint32_t error = request.Send(headers, body))
        throw CInternetException(error);

    std::string text;
    std::array<char, 4096> buffer;
    while (std::size_t count = request.Read(buffer.data(), buffer.size())) {
        AppendWithoutLineBreaks(text, std::string_view(buffer.data(), count));
    }
    if (request.StatusCode() != kStatusOk) {
        throw CInternetException(static_cast<std::uint32_t>(request.StatusCode()));
    }
    return text;
}

std::string PerformSecure(const std::string& host, const std::string& path,
                          const std::string& headers, const std::string& body) {
    CSecureRequest request;
    request.SetAgent(kAgent);
    request.SetStoreChoice(CSecureRequest::StoreMy);
    request.SetObject(path);
    request.SetServer(host, inet::kSecurePort);
    request.SetRequestCounter(0);
    // The verb is always POST on this path.
    if (!request.Open("POST"))
        throw CInternetException(kSecureFailure);
    if (!request.Send(headers, body))
        throw CInternetException(kSecureFailure);
    std::string text = request.ReadAll();
    // An error page must not pass for the gateway's answer: with no rejection phrase in it, a
    // carrier would count the message as delivered. It goes with the failure, for a carrier
    // whose rejection phrase may come on such a page.
    if (const int status = request.StatusCode(); status >= kFirstErrorStatus) {
        throw CInternetException(static_cast<std::uint32_t>(status), std::move(text));
    }
    return text;
}

}  // namespace

CFormRequest::CFormRequest(int hostId, int pathId, FormVerb verb, std::string headers, bool secure)
    : m_host(LoadString(hostId)),
      m_path(LoadString(pathId)),
      m_verb(verb),
      m_headers(std::move(headers)),
      m_secure(secure) {}

void CFormRequest::AddField(std::string name, std::string value) {
    m_fields.emplace_back(std::move(name), std::move(value));
}

std::string CFormRequest::Body() const {
    std::string body;
    for (const auto& [name, value] : m_fields) {
        if (!body.empty())
            body += '&';  // every pair holds at least its "="
        body += FormEncode(name);
        body += '=';
        body += FormEncode(value);
    }
    return body;
}

std::string CFormRequest::Perform() {
    try {
        return m_secure ? PerformSecure(m_host, m_path, m_headers, Body())
                        : PerformPlain(m_host, m_path, m_verb, m_headers, Body());
    } catch (const std::bad_alloc&) {
        throw CInternetException(inet::kErrorNotEnoughMemory);
    }
}

std::string PercentEncode(std::string_view text, std::string_view keptPunctuation,
                          bool spaceAsPlus) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                          (byte >= '0' && byte <= '9') ||
                          keptPunctuation.find(c) != std::string_view::npos;
        if (kept) {
            encoded += c;
        } else if (byte == ' ' && spaceAsPlus) {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string FormEncode(std::string_view text) {
    return PercentEncode(text, ".", true);
}

int FetchPage(const std::string& url, std::string& text) {
    constexpr int kRead = 0;
    constexpr int kFailed = 4;
    text.clear();
    try {
        if (inet::OpenInternet() != 0)
            return kFailed;
        LineJoiningSink sink(text);
        inet::HttpRequest request = inet::HttpRequest::ForUrl(
            kAgent, url, inet::kFlagReload | inet::kFlagNoCacheWrite | inet::kFlagTransferAscii);
        return request.Send("", "", sink) == 0 ? kRead : kFailed;
    } catch (const std::bad_alloc&) {
        return kFailed;
    }
}
