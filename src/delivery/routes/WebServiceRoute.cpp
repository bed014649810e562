#include "delivery/routes/WebServiceRoute.h"

#include <algorithm>
#include <array>

#include "base/CaughtException.h"
#include "base/Shutdown.h"
#include "delivery/routes/ModemRoute.h"
#include "delivery/routes/WebAnswer.h"
#include "delivery/routes/WebFailures.h"
#include "delivery/routes/WebPresets.h"
#include "delivery/routes/WebRouteCheck.h"
#include "net/Internet.h"

namespace {

using namespace web_failure;

constexpr int kMostTries = 2;

// Holds at most CWebServiceRoute::kMaxAnswer bytes: a larger answer stops the transfer.
class CappedSink : public inet::ResponseSink {
public:
    std::uint32_t OnBody(std::string_view bytes) override {
        if (bytes.size() > CWebServiceRoute::kMaxAnswer - m_body.size())
            return inet::kErrorNotEnoughMemory;
        m_body.append(bytes);
        return 0;
    }
    const std::string& Body() const { return m_body; }

private:
    std::string m_body;
};

struct TransportRow {
    std::uint32_t code;
    std::string_view reason;
    SendResult result;
    bool tryAgain;
};

constexpr std::array<TransportRow, 8> kTransportFailures = {{
    {inet::kErrorTimeout, kTimeout, ResultNoConnection, true},
    {inet::kErrorOperationCancelled, kClosing, ResultNoConnection, false},
    {inet::kErrorNotEnoughMemory, kUnreadable, ResultUndeliverable, false},
    {inet::kErrorInvalidCa, kCertificate, ResultNoConnection, false},
    {inet::kErrorInvalidCertificate, kCertificate, ResultNoConnection, false},
    {inet::kErrorCertificateDateInvalid, kCertificate, ResultNoConnection, false},
    {inet::kErrorSecurityChannel, kCertificate, ResultNoConnection, false},
    {inet::kErrorInvalidServerResponse, kUnreadable, ResultUndeliverable, false},
}};

// The verdict on a transfer that ended without a whole answer.
WebVerdict TransportVerdict(std::uint32_t error, const inet::HttpRequest& request) {
    if (!request.RefusedAddress().empty())
        return {
            WebVerdict::Done, WebFailure(std::string(kPrefix) + std::string(kPlainToPublic)), {}};
    const auto* row = std::find_if(kTransportFailures.begin(), kTransportFailures.end(),
                                   [error](const TransportRow& r) { return r.code == error; });
    if (row == kTransportFailures.end())
        return {WebVerdict::Done, WebFailure(std::string(kUnreachable), ResultNoConnection), {}};
    return {row->tryAgain ? WebVerdict::TryAgain : WebVerdict::Done,
            WebFailure(std::string(row->reason), row->result), std::chrono::milliseconds(0)};
}

WebVerdict TryOnce(const RouteSettings& settings, const WebRequest& shape) {
    const bool plain = IsPlainHttp(shape.url);
    inet::HttpRequest request = inet::HttpRequest::ForUrl("Quillo", shape.url, 0, "POST");
    request.SetFollowRedirects(false);
    request.SetPrivateNetworkOnly(plain);
    if (shape.basicAuth)
        request.SetCredentials(settings.webAccount, settings.webSecret);
    CappedSink sink;
    if (const std::uint32_t error = request.Send(shape.headers, shape.body, sink))
        return TransportVerdict(error, request);
    return ReadWebAnswer(settings.webPreset, request.StatusCode(), sink.Body(),
                         request.ResponseHeader("Retry-After"));
}

}  // namespace

RouteResult CWebServiceRoute::Send(const CSendJob& job) {
    try {
        if (const std::string problem = WebRouteProblem(job.route); !problem.empty())
            return WebFailure(std::string(kPrefix) + problem);
        const std::string to = ModemAddress(job.number, job.route.countryCode);
        if (to.empty())
            return WebFailure(std::string(kBadNumber));
        return Exchange(job, to, ModemText(job));
    } catch (...) {
        // Never a word of the request: it may hold the secret.
        ReportCaught("the web-service route");
        return WebFailure(std::string(kUnreachable), ResultNoConnection);
    }
}

RouteResult CWebServiceRoute::Exchange(const CSendJob& job, const std::string& to,
                                       const std::string& text) {
    const WebRequest shape = MakeWebRequest(job.route, to, text);
    std::chrono::milliseconds wait{0};
    WebVerdict verdict;
    for (int attempt = 0; attempt < kMostTries; ++attempt) {
        if (!WaitTurn(job.route.webPerMinute, wait))
            return WebFailure(std::string(kClosing), ResultNoConnection);
        verdict = TryOnce(job.route, shape);
        if (verdict.kind == WebVerdict::Done)
            break;
        wait = verdict.wait;
    }
    return verdict.result;
}

bool CWebServiceRoute::WaitTurn(int perMinute, std::chrono::milliseconds atLeast) {
    const auto interval =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::minutes(1)) /
        std::clamp(perMinute, kMinWebPerMinute, kMaxWebPerMinute);
    const Clock::time_point now = Clock::now();
    Clock::time_point next = now;
    if (m_lastRequest)
        next = std::max(next, *m_lastRequest + interval);
    next = std::max(next, now + atLeast);
    if (next > now &&
        !SleepUnlessShutdown(std::chrono::ceil<std::chrono::milliseconds>(next - now)))
        return false;
    m_lastRequest = Clock::now();
    return true;
}
