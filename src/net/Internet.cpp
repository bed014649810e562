#include "net/Internet.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "base/Text.h"
#include "net/Transfer.h"

namespace inet {
namespace {

std::mutex g_timeoutsMutex;
Timeouts g_timeouts = kDefaultTimeouts;

// Holds an answer's body for HttpRequest::Read, up to kMaxHeldAnswer bytes.
class HoldingSink : public ResponseSink {
public:
    explicit HoldingSink(std::string& held) : m_held(held) {}
    std::uint32_t OnBody(std::string_view bytes) override {
        if (bytes.size() > kMaxHeldAnswer - m_held.size())
            return kErrorNotEnoughMemory;
        m_held.append(bytes);
        return 0;
    }

private:
    std::string& m_held;
};

}  // namespace

Timeouts NetworkTimeouts() {
    std::lock_guard lock(g_timeoutsMutex);
    return g_timeouts;
}

void SetNetworkTimeoutsForTests(const Timeouts& timeouts) {
    std::lock_guard lock(g_timeoutsMutex);
    g_timeouts = timeouts;
}

void SetNetworkTimeoutsForTests(std::chrono::milliseconds connect,
                                std::chrono::milliseconds stall) {
    Timeouts timeouts = kDefaultTimeouts;
    timeouts.connect = connect;
    timeouts.stall = stall;
    SetNetworkTimeoutsForTests(timeouts);
}

void ResetNetworkTimeoutsForTests() {
    SetNetworkTimeoutsForTests(kDefaultTimeouts);
}

HttpRequest::HttpRequest(std::unique_ptr<State> state) : m(std::move(state)) {}

HttpRequest::HttpRequest(std::string agent, ServerName server, std::string verb, std::string path,
                         std::string version, std::uint32_t flags)
    : m(std::make_unique<State>()) {
    m->agent = std::move(agent);
    m->verb = std::move(verb);
    m->version = std::move(version);
    m->flags = flags;
    if (m->verb.empty())
        m->urlError = kErrorInvalidParameter;
    // A path without its leading "/" still makes a valid request line.
    if (path.empty() || path.front() != '/')
        path.insert(0, 1, '/');
    m->url = ((flags & kFlagSecure) != 0 ? "https://" : "http://") + server.host + ":" +
             std::to_string(server.port) + path;
}

HttpRequest HttpRequest::ForUrl(std::string agent, std::string url, std::uint32_t flags,
                                std::string verb) {
    auto state = std::make_unique<State>();
    state->agent = std::move(agent);
    state->verb = std::move(verb);
    state->flags = flags;
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://")) {
        state->urlError = kErrorUnrecognizedScheme;
    }
    state->url = std::move(url);
    return HttpRequest(std::move(state));
}

HttpRequest::HttpRequest(HttpRequest&&) noexcept = default;
HttpRequest& HttpRequest::operator=(HttpRequest&&) noexcept = default;
HttpRequest::~HttpRequest() = default;

void HttpRequest::SetCredentials(std::string user, std::string password) {
    m->user = std::move(user);
    m->password = std::move(password);
}

void HttpRequest::SetPace(Pace pace) {
    m->pace = pace;
}

void HttpRequest::SetClientCertificate(std::shared_ptr<const ClientCertificate> certificate) {
    m->clientCertificate = std::move(certificate);
}

void HttpRequest::SetFollowRedirects(bool follow) {
    m->followRedirects = follow;
}

void HttpRequest::SetPrivateNetworkOnly(bool privateOnly) {
    m->privateNetworkOnly = privateOnly;
}

std::uint32_t HttpRequest::Send(std::string_view headers, std::string_view body,
                                ResponseSink& sink) {
    m->status = 0;
    m->answerHeaders.clear();
    m->refusedAddress.clear();
    if (std::uint32_t error = OpenInternet())
        return error;
    Transfer transfer(*m, sink);
    const std::uint32_t error = transfer.Run(headers, body);
    m->status = transfer.Status();
    m->answerHeaders = transfer.TakeAnswerHeaders();
    m->refusedAddress = transfer.RefusedAddress();
    return error;
}

std::uint32_t HttpRequest::Send(std::string_view headers, std::string_view body) {
    m->held.clear();
    m->readPosition = 0;
    HoldingSink sink(m->held);
    return Send(headers, body, sink);
}

int HttpRequest::StatusCode() const noexcept {
    return m->status;
}

std::string HttpRequest::ResponseHeader(std::string_view name) const {
    for (const auto& [header, value] : m->answerHeaders) {
        if (header.size() == name.size() && StartsWithNoCase(header, name))
            return value;
    }
    return {};
}

const std::string& HttpRequest::RefusedAddress() const noexcept {
    return m->refusedAddress;
}

std::size_t HttpRequest::Read(char* buffer, std::size_t size) noexcept {
    const std::size_t count = std::min(size, m->held.size() - m->readPosition);
    std::memcpy(buffer, m->held.data() + m->readPosition, count);
    m->readPosition += count;
    return count;
}

}  // namespace inet
