#include "net/Internet.h"

#include <curl/curl.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "base/Shutdown.h"
#include "net/CertificateStore.h"

namespace inet {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kDefaultTimeout{60'000};
// How often a running transfer looks at the shutdown flag and the stall clock.
constexpr int kPollSliceMs = 50;
constexpr long kMaxRedirects = 10;

std::atomic<milliseconds::rep> g_connectMs{kDefaultTimeout.count()};
std::atomic<milliseconds::rep> g_stallMs{kDefaultTimeout.count()};

struct CurlEasyFree {
    void operator()(CURL* easy) const noexcept { curl_easy_cleanup(easy); }
};
struct CurlMultiFree {
    void operator()(CURLM* multi) const noexcept { curl_multi_cleanup(multi); }
};
struct CurlSlistFree {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
using CurlEasyPtr = std::unique_ptr<CURL, CurlEasyFree>;
using CurlMultiPtr = std::unique_ptr<CURLM, CurlMultiFree>;
using CurlSlistPtr = std::unique_ptr<curl_slist, CurlSlistFree>;

// libcurl's global set-up and the process-wide cookie store, made once. Nothing is torn down at
// exit: a worker may still be inside a transfer while the process ends.
class Library {
public:
    static Library& Instance() {
        static Library library;
        return library;
    }
    bool Ready() const noexcept { return m_share != nullptr; }
    CURLSH* Share() const noexcept { return m_share; }
    int SslContextIndex() const noexcept { return m_sslContextIndex; }

private:
    Library() {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            return;
        m_sslContextIndex = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
        CURLSH* share = curl_share_init();
        if (share == nullptr)
            return;
        curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &Library::Lock);
        curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &Library::Unlock);
        curl_share_setopt(share, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        m_share = share;
    }

    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<Library*>(self)->m_locks[static_cast<std::size_t>(data)].lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<Library*>(self)->m_locks[static_cast<std::size_t>(data)].unlock();
    }

    std::array<std::mutex, CURL_LOCK_DATA_LAST> m_locks;
    CURLSH* m_share = nullptr;
    int m_sslContextIndex = -1;
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

bool IsHostChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

// The caller's header lines, then empty entries that keep libcurl from adding its own Accept,
// Expect and Content-Type where the caller gave none.
CurlSlistPtr HeaderList(std::string_view headers) {
    curl_slist* list = nullptr;
    auto append = [&list](const std::string& line) {
        if (curl_slist* grown = curl_slist_append(list, line.c_str()))
            list = grown;
    };
    bool accept = false, expect = false, contentType = false;
    while (!headers.empty()) {
        const std::size_t end = headers.find('\n');
        std::string_view line = headers.substr(0, end);
        headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        accept |= StartsWithNoCase(line, "Accept:");
        expect |= StartsWithNoCase(line, "Expect:");
        contentType |= StartsWithNoCase(line, "Content-Type:");
        append(std::string(line));
    }
    if (!accept)
        append("Accept:");
    if (!expect)
        append("Expect:");
    if (!contentType)
        append("Content-Type:");
    return CurlSlistPtr(list);
}

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

struct HttpRequest::State {
    std::string agent;
    std::string url;
    std::string verb;
    std::string version;
    std::uint32_t flags = 0;
    std::uint32_t urlError = 0;  // why `url` could not be made, when it could not
    std::string user;
    std::string password;
    std::shared_ptr<const ClientCertificate> clientCertificate;
    int status = 0;
    std::string held;
    std::size_t readPosition = 0;
};

namespace {

// One run of a request through libcurl, on the calling thread.
class Transfer {
public:
    Transfer(const HttpRequest::State& request, ResponseSink& sink)
        : m_request(request), m_sink(sink) {}

    ~Transfer() {
        if (m_multi && m_easy)
            curl_multi_remove_handle(m_multi.get(), m_easy.get());
    }

    std::uint32_t Run(std::string_view headers, std::string_view body) {
        if (m_request.urlError != 0)
            return m_request.urlError;
        if (ShutdownRequested())
            return kErrorOperationCancelled;
        m_easy.reset(curl_easy_init());
        m_multi.reset(curl_multi_init());
        if (!m_easy || !m_multi)
            return kErrorNotEnoughMemory;
        m_headers = HeaderList(headers);
        Configure(body);
        if (curl_multi_add_handle(m_multi.get(), m_easy.get()) != CURLM_OK)
            return kErrorInternal;
        return Drive();
    }

    int Status() const noexcept { return m_status; }

private:
    void Configure(std::string_view body) {
        CURL* e = m_easy.get();
        const Timeouts timeouts = NetworkTimeouts();
        curl_easy_setopt(e, CURLOPT_URL, m_request.url.c_str());
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        if (!m_request.agent.empty())
            curl_easy_setopt(e, CURLOPT_USERAGENT, m_request.agent.c_str());
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, m_headers.get());
        curl_easy_setopt(e, CURLOPT_HTTP_VERSION,
                         m_request.version == "HTTP/1.0" ? long{CURL_HTTP_VERSION_1_0}
                                                         : long{CURL_HTTP_VERSION_1_1});
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
        curl_easy_setopt(e, CURLOPT_SHARE, Library::Instance().Share());
        curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
        curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        if (!m_request.user.empty() || !m_request.password.empty()) {
            curl_easy_setopt(e, CURLOPT_USERNAME, m_request.user.c_str());
            curl_easy_setopt(e, CURLOPT_PASSWORD, m_request.password.c_str());
        }

        // The verb, and the body where there is one (a POST always has one, if empty).
        const std::string& verb = m_request.verb;
        if (verb == "HEAD") {
            curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
        } else if (verb == "POST" || !body.empty()) {
            curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
            curl_easy_setopt(e, CURLOPT_POSTFIELDS, body.empty() ? "" : body.data());
            if (verb != "POST")
                curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
        } else if (verb == "GET") {
            curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
        } else {
            curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
        }

        // TLS: the chain is verified; the host name only when the request does not waive it.
        // No session is resumed, so a server's certificate request is seen on every connection.
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST,
                         (m_request.flags & kFlagIgnoreCertCnInvalid) != 0 ? 0L : 2L);
        curl_easy_setopt(e, CURLOPT_CA_CACHE_TIMEOUT, 0L);
        curl_easy_setopt(e, CURLOPT_SSL_SESSIONID_CACHE, 0L);
        // With a certificate to give, TLS 1.2 at most: there the server's verdict on it comes
        // inside the handshake, where its alert is read. Under TLS 1.3 the verdict follows the
        // handshake and often arrives as a reset that hides the alert.
        if (m_request.clientCertificate) {
            curl_easy_setopt(e, CURLOPT_SSLVERSION,
                             long{CURL_SSLVERSION_TLSv1_2} | long{CURL_SSLVERSION_MAX_TLSv1_2});
        }
        curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, &Transfer::OnSslContext);
        curl_easy_setopt(e, CURLOPT_SSL_CTX_DATA, this);

        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
        curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnWrite);
        curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
        curl_easy_setopt(e, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, &Transfer::OnConnected);
        curl_easy_setopt(e, CURLOPT_PREREQDATA, this);
    }

    // Runs the transfer, watching the shutdown flag and the stall clock between steps.
    std::uint32_t Drive() {
        const milliseconds stall = NetworkTimeouts().stall;
        m_lastActivity = Clock::now();
        for (;;) {
            int running = 0;
            if (curl_multi_perform(m_multi.get(), &running) != CURLM_OK)
                return kErrorInternal;
            if (running == 0)
                break;
            if (ShutdownRequested())
                return kErrorOperationCancelled;
            if (m_connected && Clock::now() - m_lastActivity > stall)
                return kErrorTimeout;
            if (curl_multi_poll(m_multi.get(), nullptr, 0, kPollSliceMs, nullptr) != CURLM_OK) {
                return kErrorInternal;
            }
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &left)) {
            if (message->msg == CURLMSG_DONE) {
                const CURLcode result = message->data.result;
                return result == CURLE_OK ? 0 : Classify(result);
            }
        }
        return kErrorInternal;
    }

    // The error code of a failed transfer. What the TLS exchange showed about client
    // certificates comes first:
    //   the server asked and we had no certificate (we end the handshake)    -> 12044
    //   we sent one and the server ended with handshake_failure or
    //   certificate_required: it still wants a (different) certificate       -> 12044
    //   we sent one and the server named it bad, unsupported, revoked,
    //   expired, unknown, of an unknown CA, denied, or failed its signature  -> 12045
    std::uint32_t Classify(CURLcode result) const {
        if (m_stopCode != 0)
            return m_stopCode;
        if (m_certificateRequested && !m_request.clientCertificate) {
            return kErrorClientAuthCertNeeded;
        }
        if (m_certificateSent) {
            switch (m_fatalAlert) {
                case SSL_AD_HANDSHAKE_FAILURE:
                case SSL_AD_CERTIFICATE_REQUIRED:
                    return kErrorClientAuthCertNeeded;
                case SSL_AD_BAD_CERTIFICATE:
                case SSL_AD_UNSUPPORTED_CERTIFICATE:
                case SSL_AD_CERTIFICATE_REVOKED:
                case SSL_AD_CERTIFICATE_EXPIRED:
                case SSL_AD_CERTIFICATE_UNKNOWN:
                case SSL_AD_UNKNOWN_CA:
                case SSL_AD_ACCESS_DENIED:
                case SSL_AD_DECRYPT_ERROR:
                    return kErrorInvalidCa;
                default:
                    break;
            }
        }
        switch (result) {
            case CURLE_UNSUPPORTED_PROTOCOL:
                return kErrorUnrecognizedScheme;
            case CURLE_URL_MALFORMAT:
                return kErrorInvalidUrl;
            case CURLE_COULDNT_RESOLVE_PROXY:
            case CURLE_COULDNT_RESOLVE_HOST:
                return kErrorNameNotResolved;
            case CURLE_COULDNT_CONNECT:
                return kErrorCannotConnect;
            case CURLE_OPERATION_TIMEDOUT:
                return kErrorTimeout;
            case CURLE_PARTIAL_FILE:
                return kErrorConnectionAborted;
            case CURLE_SEND_ERROR:
            case CURLE_RECV_ERROR:
                return kErrorConnectionReset;
            case CURLE_GOT_NOTHING:
            case CURLE_WEIRD_SERVER_REPLY:
                return kErrorInvalidServerResponse;
            case CURLE_TOO_MANY_REDIRECTS:
                return kErrorRedirectFailed;
            case CURLE_SSL_CONNECT_ERROR:
                return kErrorSecurityChannel;
            case CURLE_PEER_FAILED_VERIFICATION:
                return VerificationError();
            case CURLE_BAD_CONTENT_ENCODING:
                return kErrorDecodingFailed;
            case CURLE_OUT_OF_MEMORY:
                return kErrorNotEnoughMemory;
            case CURLE_ABORTED_BY_CALLBACK:
                return kErrorOperationCancelled;
            default:
                return kErrorInternal;
        }
    }

    // A server chain that ends in no trusted authority is the Windows library's "invalid CA".
    std::uint32_t VerificationError() const {
        long verify = X509_V_OK;
        curl_easy_getinfo(m_easy.get(), CURLINFO_SSL_VERIFYRESULT, &verify);
        switch (verify) {
            case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
            case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
            case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
            case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
            case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            case X509_V_ERR_CERT_UNTRUSTED:
                return kErrorInvalidCa;
            case X509_V_ERR_CERT_HAS_EXPIRED:
            case X509_V_ERR_CERT_NOT_YET_VALID:
                return kErrorCertificateDateInvalid;
            default:
                return kErrorInvalidCertificate;
        }
    }

    void Touch() { m_lastActivity = Clock::now(); }

    static Transfer& Self(void* pointer) { return *static_cast<Transfer*>(pointer); }

    // Finds the status of the final answer: the one whose header block is not a 1xx and not
    // a redirect that libcurl is about to follow.
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
        Transfer& t = Self(self);
        t.Touch();
        const std::size_t length = size * count;
        const std::string_view line(data, length);
        if (StartsWithNoCase(line, "HTTP/")) {
            const std::size_t space = line.find(' ');
            t.m_blockStatus = 0;
            for (std::size_t i = space + 1; space != std::string_view::npos && i < line.size() &&
                                            std::isdigit(static_cast<unsigned char>(line[i]));
                 ++i) {
                t.m_blockStatus = t.m_blockStatus * 10 + (line[i] - '0');
            }
            t.m_blockRedirects = false;
        } else if (StartsWithNoCase(line, "Location:")) {
            t.m_blockRedirects = t.m_blockStatus / 100 == 3;
        } else if (line == "\r\n" || line == "\n") {
            if (t.m_blockStatus >= 200 && !t.m_blockRedirects) {
                t.m_status = t.m_blockStatus;
                if (std::uint32_t stop = t.m_sink.OnStatus(t.m_status)) {
                    t.m_stopCode = stop;
                    return CURL_WRITEFUNC_ERROR;
                }
            }
        }
        return length;
    }

    static std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* self) {
        Transfer& t = Self(self);
        t.Touch();
        const std::size_t length = size * count;
        if (std::uint32_t stop = t.m_sink.OnBody(std::string_view(data, length))) {
            t.m_stopCode = stop;
            return CURL_WRITEFUNC_ERROR;
        }
        return length;
    }

    static int OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t,
                          curl_off_t sent) {
        Transfer& t = Self(self);
        if (received != t.m_received || sent != t.m_sent) {
            t.m_received = received;
            t.m_sent = sent;
            t.Touch();
        }
        return 0;
    }

    static int OnConnected(void* self, char*, char*, int, int) {
        Transfer& t = Self(self);
        t.m_connected = true;
        t.Touch();
        return CURL_PREREQFUNC_OK;
    }

    // Each TLS connection: trust the ROOT store beside the system bundle, and watch the
    // server's certificate request and alerts.
    static CURLcode OnSslContext(CURL*, void* context, void* self) {
        Transfer& t = Self(self);
        SSL_CTX* ctx = static_cast<SSL_CTX*>(context);
        if (!t.m_rootsLoaded) {
            std::uint32_t ignored = 0;
            if (auto root = CertificateStore::Open("ROOT", ignored)) {
                t.m_roots = std::move(*root).TakeCertificates();
            }
            t.m_rootsLoaded = true;
        }
        X509_STORE* store = SSL_CTX_get_cert_store(ctx);
        for (const X509Ptr& root : t.m_roots) X509_STORE_add_cert(store, root.get());
        ERR_clear_error();
        SSL_CTX_set_ex_data(ctx, Library::Instance().SslContextIndex(), &t);
        SSL_CTX_set_cert_cb(ctx, &Transfer::OnCertificateRequest, &t);
        SSL_CTX_set_info_callback(ctx, &Transfer::OnSslInfo);
        return CURLE_OK;
    }

    // Called by OpenSSL only when the server sends a certificate request.
    static int OnCertificateRequest(SSL* ssl, void* self) {
        Transfer& t = Self(self);
        t.m_certificateRequested = true;
        const auto& certificate = t.m_request.clientCertificate;
        if (!certificate)
            return 0;  // nothing to give: end the handshake here
        if (SSL_use_certificate(ssl, certificate->Certificate()) != 1 ||
            SSL_use_PrivateKey(ssl, certificate->Key()) != 1) {
            return 0;
        }
        t.m_certificateSent = true;
        return 1;
    }

    static void OnSslInfo(const SSL* ssl, int where, int value) {
        if ((where & SSL_CB_ALERT) == 0 || (where & SSL_CB_READ) == 0)
            return;
        if ((value >> 8) != SSL3_AL_FATAL)
            return;
        void* self =
            SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), Library::Instance().SslContextIndex());
        if (self != nullptr)
            Self(self).m_fatalAlert = value & 0xff;
    }

    const HttpRequest::State& m_request;
    ResponseSink& m_sink;
    std::uint32_t m_stopCode = 0;
    int m_blockStatus = 0;
    bool m_blockRedirects = false;
    int m_status = 0;
    bool m_connected = false;
    Clock::time_point m_lastActivity;
    curl_off_t m_received = 0;
    curl_off_t m_sent = 0;
    bool m_rootsLoaded = false;
    std::vector<X509Ptr> m_roots;
    bool m_certificateRequested = false;
    bool m_certificateSent = false;
    int m_fatalAlert = -1;
    // Declared last so that the connections close (and call back) while the above still live.
    CurlSlistPtr m_headers;
    CurlEasyPtr m_easy;
    CurlMultiPtr m_multi;
};

}  // namespace

Timeouts NetworkTimeouts() {
    return Timeouts{milliseconds(g_connectMs.load()), milliseconds(g_stallMs.load())};
}

void SetNetworkTimeoutsForTests(milliseconds connect, milliseconds stall) {
    g_connectMs.store(connect.count());
    g_stallMs.store(stall.count());
}

void ResetNetworkTimeoutsForTests() {
    SetNetworkTimeoutsForTests(kDefaultTimeout, kDefaultTimeout);
}

void ClearCookiesForTests() {
    Library& library = Library::Instance();
    if (!library.Ready())
        return;
    CurlEasyPtr easy(curl_easy_init());
    if (!easy)
        return;
    curl_easy_setopt(easy.get(), CURLOPT_SHARE, library.Share());
    curl_easy_setopt(easy.get(), CURLOPT_COOKIELIST, "ALL");
}

std::uint32_t OpenInternet() {
    return Library::Instance().Ready() ? 0u : std::uint32_t{kErrorInternal};
}

std::optional<ServerName> SplitServerName(std::string_view server, std::uint16_t defaultPort) {
    std::string_view host = server;
    std::optional<std::string_view> port;
    if (!server.empty() && server.front() == '[') {
        const std::size_t close = server.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = server.substr(0, close + 1);
        const std::string_view rest = server.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return std::nullopt;
            port = rest.substr(1);
        }
        if (!std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
            })) {
            return std::nullopt;
        }
    } else {
        if (const std::size_t colon = server.find(':'); colon != std::string_view::npos) {
            host = server.substr(0, colon);
            port = server.substr(colon + 1);
        }
        if (!std::all_of(host.begin(), host.end(), IsHostChar))
            return std::nullopt;
    }
    if (host.empty())
        return std::nullopt;
    std::uint16_t number = defaultPort;
    if (port) {
        if (port->empty() || port->size() > 5)
            return std::nullopt;
        unsigned value = 0;
        for (char c : *port) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value == 0 || value > 65535)
            return std::nullopt;
        number = static_cast<std::uint16_t>(value);
    }
    return ServerName{std::string(host), number};
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

HttpRequest HttpRequest::ForUrl(std::string agent, std::string url, std::uint32_t flags) {
    auto state = std::make_unique<State>();
    state->agent = std::move(agent);
    state->verb = "GET";
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

void HttpRequest::SetClientCertificate(std::shared_ptr<const ClientCertificate> certificate) {
    m->clientCertificate = std::move(certificate);
}

std::uint32_t HttpRequest::Send(std::string_view headers, std::string_view body,
                                ResponseSink& sink) {
    m->status = 0;
    if (std::uint32_t error = OpenInternet())
        return error;
    Transfer transfer(*m, sink);
    const std::uint32_t error = transfer.Run(headers, body);
    m->status = transfer.Status();
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

std::size_t HttpRequest::Read(char* buffer, std::size_t size) noexcept {
    const std::size_t count = std::min(size, m->held.size() - m->readPosition);
    std::memcpy(buffer, m->held.data() + m->readPosition, count);
    m->readPosition += count;
    return count;
}

}  // namespace inet
