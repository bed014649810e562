#pragma once
// The platform layer under the HTTP client: libcurl and OpenSSL in the place of the Windows
// internet library. It sends what it is given (agent, verb, path, version, headers, body) and
// adds only what libcurl must send (Host, Content-Length); it follows redirects, keeps one
// cookie store for the whole process, takes proxies from the environment (http_proxy,
// https_proxy, no_proxy), verifies a server's chain against the system bundle plus the ROOT
// store, and answers a server's certificate request with the certificate it was given.
//
// Errors are reported with the Windows internet library's numbers, so that a code carried by an
// exception means what it meant there.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/ServerName.h"

class ClientCertificate;

namespace inet {

enum ErrorCode : std::uint32_t {
    kErrorNotEnoughMemory = 8,  // an answer larger than kMaxHeldAnswer
    kErrorInvalidParameter = 87,
    kErrorTimeout = 12002,  // no connection in time, or no byte for the stall time
    kErrorInternal = 12004,
    kErrorInvalidUrl = 12005,  // also a server name whose port is not a port
    kErrorUnrecognizedScheme = 12006,
    kErrorNameNotResolved = 12007,
    kErrorOperationCancelled = 12017,  // shutdown, or the reader stopped the transfer
    kErrorCannotConnect = 12029,
    kErrorConnectionAborted = 12030,  // the server closed before the answer was complete
    kErrorConnectionReset = 12031,    // the connection broke while sending or reading
    kErrorCertificateDateInvalid = 12037,
    kErrorClientAuthCertNeeded = 12044,  // the server asks (again) for a client certificate
    kErrorInvalidCa = 12045,             // a certificate authority not accepted, on either side
    kErrorInvalidServerResponse = 12152,
    kErrorRedirectFailed = 12156,
    kErrorSecurityChannel = 12157,
    kErrorInvalidCertificate = 12169,
    kErrorDecodingFailed = 12175,
};

// Request flags, with the Windows internet library's values. The layer acts on kFlagSecure
// (HTTPS) and kFlagIgnoreCertCnInvalid (the server's host name is not checked); there is no
// cache to reload or skip, and every request has a connection of its own.
enum RequestFlag : std::uint32_t {
    kFlagReload = 0x80000000,
    kFlagNoCacheWrite = 0x04000000,
    kFlagExistingConnect = 0x20000000,
    kFlagSecure = 0x00800000,
    kFlagKeepConnection = 0x00400000,
    kFlagIgnoreCertCnInvalid = 0x00001000,
    kFlagTransferAscii = 0x00000001,
};

inline constexpr std::uint16_t kPlainPort = 80;
inline constexpr std::uint16_t kSecurePort = 443;

// The most bytes of an answer body that a request holds in memory (the streaming reader of
// Send(headers, body, sink) has no limit).
inline constexpr std::size_t kMaxHeldAnswer = 16 * 1024 * 1024;

// The time limits of transfers, each ending in kErrorTimeout: connecting (TLS handshake
// included); the longest wait for the next byte once connected; the whole exchange of a form
// request or page read; and for a download, which may take long, instead of that deadline the
// least it must receive in each rate window.
struct Timeouts {
    std::chrono::milliseconds connect;
    std::chrono::milliseconds stall;
    std::chrono::milliseconds deadline;
    std::chrono::milliseconds rateWindow;
    std::size_t minBytesPerWindow;
};
inline constexpr Timeouts kDefaultTimeouts{std::chrono::seconds(60), std::chrono::seconds(60),
                                           std::chrono::minutes(2), std::chrono::seconds(60), 1024};

// How a request is held to time beyond the connect and stall limits.
enum class Pace {
    Deadline,     // done within the deadline
    MinimumRate,  // a download: at least minBytesPerWindow in every rate window
};

Timeouts NetworkTimeouts();
void SetNetworkTimeoutsForTests(const Timeouts& timeouts);
// The connect and stall limits only; the others keep their defaults.
void SetNetworkTimeoutsForTests(std::chrono::milliseconds connect, std::chrono::milliseconds stall);
void ResetNetworkTimeoutsForTests();

// Forgets every cookie of the process-wide store.
void ClearCookiesForTests();

// Makes the library ready (once per process). 0, or the code when it cannot be.
std::uint32_t OpenInternet();

// Where the body of an answer goes while it arrives.
class ResponseSink {
public:
    virtual ~ResponseSink() = default;
    // The status of the final answer (redirects followed), once its headers are complete.
    // Non-zero stops the transfer with that code.
    virtual std::uint32_t OnStatus(int /*status*/) { return 0; }
    // The next bytes of the body. Non-zero stops the transfer with that code.
    virtual std::uint32_t OnBody(std::string_view bytes) = 0;
    // Asked between the steps of the transfer, even while nothing arrives: true ends it
    // (kErrorOperationCancelled).
    virtual bool Cancelled() const { return false; }
};

// One HTTP request, like a request handle of the Windows library: sent once, then read.
class HttpRequest {
public:
    // A request to `server` (the port from the server name, if any); `version` "HTTP/1.0" or
    // empty for the library's default (HTTP/1.1).
    HttpRequest(std::string agent, ServerName server, std::string verb, std::string path,
                std::string version, std::uint32_t flags);
    // A GET (or `verb`) of a whole "http://" or "https://" URL.
    static HttpRequest ForUrl(std::string agent, std::string url, std::uint32_t flags,
                              std::string verb = "GET");

    HttpRequest(HttpRequest&&) noexcept;
    HttpRequest& operator=(HttpRequest&&) noexcept;
    ~HttpRequest();

    void SetCredentials(std::string user, std::string password);
    // Pace::Deadline unless set.
    void SetPace(Pace pace);
    // The certificate to answer the server's certificate request with.
    void SetClientCertificate(std::shared_ptr<const ClientCertificate> certificate);
    // Redirects are followed unless turned off; then a redirect is the final answer.
    void SetFollowRedirects(bool follow);
    // Connects only to addresses of this computer or a private network, and past any proxy;
    // every other address is refused before a connection is made (see RefusedAddress).
    void SetPrivateNetworkOnly(bool privateOnly);

    // Sends the request with `headers` (lines separated by CR LF or LF) and `body`, and streams
    // the answer's body into `sink`. 0 when the whole answer arrived, else the error code.
    std::uint32_t Send(std::string_view headers, std::string_view body, ResponseSink& sink);
    // Sends and holds the answer's body (at most kMaxHeldAnswer bytes) for Read.
    std::uint32_t Send(std::string_view headers, std::string_view body);

    // The final answer's status; 0 when none arrived.
    int StatusCode() const noexcept;
    // The value of the final answer's first header `name` (any case); empty when it has none.
    std::string ResponseHeader(std::string_view name) const;
    // The address a private-network-only request refused to connect to; empty when none.
    const std::string& RefusedAddress() const noexcept;
    // The next bytes of the held body, at most `size`; 0 at its end.
    std::size_t Read(char* buffer, std::size_t size) noexcept;

    struct State;  // the layer's own

private:
    explicit HttpRequest(std::unique_ptr<State> state);
    std::unique_ptr<State> m;
};

}  // namespace inet
