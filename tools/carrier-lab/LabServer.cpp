#include "carrier-lab/LabServer.h"

#include <httplib.h>
#include <openssl/ssl.h>
#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <charconv>
#include <iostream>
#include <thread>

#include "base/Paths.h"
#include "carrier-lab/CarrierGateways.h"
#include "carrier-lab/FormBody.h"
#include "carrier-lab/LabApi.h"
#include "carrier-lab/LabCertificates.h"
#include "carrier-lab/LabHosts.h"
#include "carrier-lab/LabModem.h"
#include "carrier-lab/LabPage.h"
#include "carrier-lab/LabSigning.h"
#include "carrier-lab/LabState.h"
#include "carrier-lab/LabTls.h"
#include "carrier-lab/MakerSite.h"
#include "carrier-lab/WebServices.h"
#include "contacts/Contact.h"
#include "res/StringTable.h"

namespace lab {

namespace {

namespace fs = std::filesystem;

// Set while one of our handlers serves the request on this thread, so that the error handler
// can log the requests the HTTP layer refused before any handler saw them.
thread_local bool t_handled = false;

std::uint16_t PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }
    return 0;
}

// Ends the connection without an answer. The HTTP layer gives a handler no socket, so a plain
// connection is found by its port pair among the process's descriptors.
void DropConnection(const httplib::Request& request) {
    if (request.ssl != nullptr) {
        ::shutdown(SSL_get_fd(request.ssl), SHUT_RDWR);
        return;
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        std::string name = entry.path().filename().string();
        int fd = -1;
        std::from_chars(name.data(), name.data() + name.size(), fd);
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t size = sizeof local;
        if (fd < 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) != 0)
            continue;
        size = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0)
            continue;
        if (PortOf(local) == request.local_port && PortOf(peer) == request.remote_port) {
            ::shutdown(fd, SHUT_RDWR);
            return;
        }
    }
}

// The JSON API and the lab's own page: what people and tests read, never a gateway.
bool IsInspection(const SiteRequest& request) {
    return IsLabApiPath(request.path) || (request.method == "GET" && request.path == "/");
}

SiteRequest ToSiteRequest(const httplib::Request& request, bool tls) {
    SiteRequest site;
    site.tls = tls;
    site.method = request.method;
    site.target = request.target;
    site.path = request.target.substr(0, request.target.find('?'));
    site.version = request.version;
    // The HTTP layer files the connection's addresses among the headers; they were not sent.
    for (const auto& [name, value] : request.headers) {
        if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" &&
            name != "LOCAL_PORT") {
            site.headers.emplace_back(name, value);
        }
    }
    site.host = LowerHost(request.get_header_value("Host"));
    site.body = request.body;
    return site;
}

LogEntry ToLogEntry(const SiteRequest& request) {
    LogEntry entry;
    entry.time = NowText();
    entry.tls = request.tls;
    entry.method = request.method;
    entry.host = request.Header("Host");
    entry.target = request.target;
    entry.version = request.version;
    entry.headers = request.headers;
    entry.body = request.body;
    return entry;
}

std::string Printable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return text;
}

std::string LogLine(const LogEntry& e) {
    std::string line = e.time + "  " + e.method + " " + (e.tls ? "https://" : "http://") + e.host +
                       e.target + " -> " +
                       (e.status == 0 ? std::string("dropped") : std::to_string(e.status));
    if (!e.fault.empty())
        line += "  [fault: " + e.fault + "]";
    if (!e.protocolError.empty())
        line += "  protocol error: " + e.protocolError;
    for (const auto& note : e.notes) line += "  (" + note + ")";
    return Printable(line);
}

// The answer's body as a faulty network path would deliver it.
void SetFaultyContent(httplib::Response& response, FaultKind kind, SiteReply reply) {
    auto body = std::make_shared<std::string>(std::move(reply.body));
    const std::size_t half = body->size() / 2;
    if (kind == FaultKind::Tamper) {
        if (!body->empty())
            (*body)[half] = static_cast<char>((*body)[half] ^ 0x01);
        response.set_content(*body, reply.contentType.c_str());
    } else if (kind == FaultKind::Short) {
        // The whole length is announced; returning false after half of it ends the connection.
        response.set_content_provider(
            body->size(), reply.contentType,
            [body, half](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                if (offset >= half)
                    return false;
                return sink.write(body->data() + offset, std::min(length, half - offset));
            });
    } else {
        // No length: the end of the connection is the end of the body.
        response.set_content_provider(
            reply.contentType, [body, half](std::size_t offset, httplib::DataSink& sink) {
                if (offset < half)
                    return sink.write(body->data() + offset, half - offset);
                sink.done();
                return true;
            });
    }
}

void IgnoreSigpipe() {
    // A peer that hangs up mid-answer must not end the process.
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        signal(SIGPIPE, SIG_IGN);
    }
}

}  // namespace

class LabServer::Impl {
public:
    explicit Impl(LabServer& owner) : m_owner(owner) {}

    LabPorts Start(const LabOptions& options);
    void Stop();

    LabServer& m_owner;
    LabOptions m_options;
    LabState m_state;
    LabHosts m_hosts;
    LabCertificates m_certificates;
    std::unique_ptr<CarrierGateways> m_gateways;
    std::unique_ptr<MakerSite> m_maker;
    std::unique_ptr<LabModem> m_modem;
    std::unique_ptr<WebServices> m_web;
    std::unique_ptr<httplib::Server> m_http;
    std::unique_ptr<httplib::SSLServer> m_https;
    std::thread m_httpThread;
    std::thread m_httpsThread;
    LabPorts m_ports;
    bool m_running = false;

private:
    void Configure(httplib::Server& server, bool tls);
    void Handle(const httplib::Request& request, httplib::Response& response, bool tls);
    SiteReply Serve(int site, const SiteRequest& request);
    SiteReply LabPage() const;
    void LogRefused(const httplib::Request& request, const httplib::Response& response, bool tls);
    void Emit(const LogEntry& entry) const;
    bool SetUpTls(SSL_CTX& context);
    static int OnClientHello(SSL* ssl, int* alert, void* self);
    static void Listen(httplib::Server& server, std::thread& thread);
    std::uint16_t Bind(httplib::Server& server, std::uint16_t port);
};

void LabServer::Impl::Emit(const LogEntry& entry) const {
    if (m_options.logLine)
        m_options.logLine(LogLine(entry));
}

void LabServer::Impl::Configure(httplib::Server& server, bool tls) {
    // Only SO_REUSEADDR: a second lab on the same port must fail, not share it.
    server.set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_keep_alive_timeout(2);
    server.set_payload_max_length(1 << 20);
    auto handler = [this, tls](const httplib::Request& request, httplib::Response& response) {
        Handle(request, response, tls);
    };
    server.Get(".*", handler)
        .Post(".*", handler)
        .Put(".*", handler)
        .Patch(".*", handler)
        .Delete(".*", handler)
        .Options(".*", handler);
    server.set_error_handler(httplib::Server::HandlerWithResponse(
        [this, tls](const httplib::Request& request, httplib::Response& response) {
            if (!t_handled)
                LogRefused(request, response, tls);
            return httplib::Server::HandlerResponse::Unhandled;
        }));
    // Cleared before routing and after writing: a dropped connection never reaches the logger.
    server.set_pre_routing_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response&) {
            t_handled = false;
            return httplib::Server::HandlerResponse::Unhandled;
        }));
    server.set_logger([](const httplib::Request&, const httplib::Response&) { t_handled = false; });
}

void LabServer::Impl::LogRefused(const httplib::Request& request, const httplib::Response& response,
                                 bool tls) {
    LogEntry entry = ToLogEntry(ToSiteRequest(request, tls));
    entry.status = response.status;
    entry.protocolError = request.method.empty() ? "not an HTTP request the lab understands"
                                                 : "verb " + request.method + " is not served";
    m_state.AppendLog(entry);
    Emit(entry);
}

void LabServer::Impl::Handle(const httplib::Request& request, httplib::Response& response,
                             bool tls) {
    t_handled = true;
    SiteRequest site = ToSiteRequest(request, tls);
    LogEntry entry = ToLogEntry(site);
    int siteCode = m_hosts.SiteOf(site.host);
    std::optional<SiteReply> reply;
    bool drop = false;
    std::optional<FaultKind> bodyFault;  // applied to the answer once it is made
    try {
        if (!tls && siteCode == kNoSite && IsInspection(site)) {
            // Inspection calls are printed but kept out of the request log they inspect, so
            // the page's own reloads do not fill it.
            reply = IsLabApiPath(site.path) ? ServeLabApi(m_owner, m_hosts, site) : LabPage();
            entry.status = reply->status;
            Emit(entry);
        } else {
            entry.site = siteCode == kMakerSite ? "maker" : SiteName(siteCode);
            if (siteCode == kNoSite && WebServices::Handles(site.path))
                entry.site = "web";
            if (tls && request.ssl != nullptr && ClientCertificateDemanded(*request.ssl)) {
                entry.fault = "client certificate demanded";
                if (auto subject = ClientCertificateSubject(*request.ssl)) {
                    entry.notes.push_back("client certificate " + *subject);
                } else {
                    reply = SiteReply{};
                    reply->status = 403;
                    reply->body =
                        HtmlPage("Forbidden", "<h1>403.7 Client certificate required</h1>");
                    entry.notes.push_back("no client certificate given");
                }
            }
            if (!reply) {
                if (std::optional<Fault> fault = m_state.TakeFault(site.host, false, site.path)) {
                    entry.fault += (entry.fault.empty() ? "" : "; ") + DescribeFault(*fault);
                    switch (fault->kind) {
                        case FaultKind::Delay:
                            m_state.SleepUnlessStopped(fault->delay);
                            break;
                        case FaultKind::Status:
                            reply = SiteReply{};
                            reply->status = fault->status;
                            reply->body = HtmlPage(
                                "Error", "<h1>Error " + std::to_string(fault->status) + "</h1>");
                            break;
                        case FaultKind::EmptyBody:
                            reply = SiteReply{};
                            break;
                        case FaultKind::Drop:
                            drop = true;
                            break;
                        case FaultKind::ClientCertificate:
                            break;
                        case FaultKind::Short:
                        case FaultKind::Cut:
                        case FaultKind::Tamper:
                            bodyFault = fault->kind;
                            break;
                    }
                }
            }
            if (!reply && !drop)
                reply = Serve(siteCode, site);
            if (reply) {
                entry.status = reply->status;
                entry.protocolError = reply->protocolError;
                entry.notes.insert(entry.notes.end(), reply->notes.begin(), reply->notes.end());
            }
            m_state.AppendLog(entry);
            Emit(entry);
        }
    } catch (const std::exception& e) {
        // A fault of the lab itself: say so rather than let the HTTP layer guess.
        std::cerr << "quillo-lab: serving " << Printable(site.method + " " + site.host + site.target)
                  << " failed: " << e.what() << std::endl;
        reply = SiteReply{};
        reply->status = 500;
        reply->body = HtmlPage("Internal Server Error", e.what());
        entry.status = 500;
        entry.protocolError = std::string("the lab failed: ") + e.what();
        m_state.AppendLog(entry);
        Emit(entry);
    }
    if (drop) {
        DropConnection(request);
        response.status = 500;
        return;
    }
    response.status = reply->status;
    for (const auto& [name, value] : reply->headers) response.set_header(name, value);
    if (bodyFault) {
        SetFaultyContent(response, *bodyFault, std::move(*reply));
    } else {
        response.set_content(reply->body, reply->contentType.c_str());
    }
}

SiteReply LabServer::Impl::LabPage() const {
    SiteReply reply;
    reply.contentType = "text/html; charset=utf-8";
    reply.body = RenderLabPage(m_owner);
    return reply;
}

SiteReply LabServer::Impl::Serve(int site, const SiteRequest& request) {
    if (site == kNoSite && WebServices::Handles(request.path))
        return m_web->Serve(request);
    if (site == kNoSite) {
        SiteReply reply = NotFound(request);
        reply.protocolError = "the lab has no site at host " + Quoted(request.Header("Host"));
        return reply;
    }
    if (site == kMakerSite) {
        if (request.tls)
            return BadRequest("the maker's site is served over plain HTTP only");
        return m_maker->Serve(request);
    }
    if (UsesTls(site) != request.tls) {
        return BadRequest(std::string(CarrierName(site)) + " takes its forms over " +
                          (UsesTls(site) ? "HTTPS" : "plain HTTP") + " only");
    }
    return m_gateways->Serve(site, request);
}

int LabServer::Impl::OnClientHello(SSL* ssl, int*, void* self) {
    auto& impl = *static_cast<Impl*>(self);
    std::string host = HelloServerName(*ssl);
    if (!host.empty() && impl.m_state.TakeFault(host, true)) {
        // Asked for in the handshake; a client without one gets 403 from the handler.
        DemandClientCertificate(*ssl);
        if (impl.m_options.logLine) {
            impl.m_options.logLine(NowText() + "  TLS handshake for " + Printable(host) +
                                   ": client certificate demanded [fault]");
        }
    }
    return SSL_CLIENT_HELLO_SUCCESS;
}

bool LabServer::Impl::SetUpTls(SSL_CTX& context) {
    PrepareTlsContext(context, &Impl::OnClientHello, this);
    return m_certificates.UseIn(context);
}

std::uint16_t LabServer::Impl::Bind(httplib::Server& server, std::uint16_t port) {
    int bound = port == 0 ? server.bind_to_any_port("127.0.0.1")
                          : (server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        throw LabError("cannot listen on 127.0.0.1:" + std::to_string(port) +
                       " (is another program using it?)");
    }
    return static_cast<std::uint16_t>(bound);
}

void LabServer::Impl::Listen(httplib::Server& server, std::thread& thread) {
    thread = std::thread([&server] { server.listen_after_bind(); });
    // stop() is ignored until the loop runs; the socket already takes connections meanwhile.
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LabPorts LabServer::Impl::Start(const LabOptions& options) {
    if (m_running)
        throw LabError("the lab is already running");
    if (options.stateDir.empty())
        throw LabError("the lab needs a state folder");
    IgnoreSigpipe();
    m_options = options;
    if (!options.phonesFile.empty())
        m_state.LoadPhones(options.phonesFile);
    m_hosts = LabHosts::FromStringTable();
    m_certificates = LabCertificates::LoadOrCreate(options.stateDir, m_hosts.AllNames());
    if (options.installRootCa) {
        InstallRootCertificate(m_certificates.caPem, CertificateStoreDirectory("ROOT"));
    }
    m_gateways = std::make_unique<CarrierGateways>(m_state);
    m_web = std::make_unique<WebServices>(m_state, options.webAccount, options.webSecret);

    m_http = std::make_unique<httplib::Server>();
    m_https = std::make_unique<httplib::SSLServer>(
        [this](SSL_CTX& context) { return SetUpTls(context); });
    if (!m_https->is_valid())
        throw LabError("cannot set up TLS with the lab's certificate");
    Configure(*m_http, false);
    Configure(*m_https, true);
    m_ports.http = Bind(*m_http, options.httpPort);
    try {
        m_ports.https = Bind(*m_https, options.httpsPort);
    } catch (...) {
        // Release the plain port: only a running server closes its socket.
        Listen(*m_http, m_httpThread);
        m_http->stop();
        m_httpThread.join();
        m_http.reset();
        m_https.reset();
        throw;
    }
    std::string latest =
        options.latestVersion.empty() ? LoadString(IDS_VERSION) : options.latestVersion;
    LabSigning signing = LabSigning::LoadOrCreate(options.stateDir);
    if (signing.PublicKey() != LoadString(IDS_UPGRADE_PUBLIC_KEY) && options.logLine) {
        options.logLine("quillo-lab: warning: the signing key in " +
                        LabSigning::SigningKeyFile(options.stateDir).string() +
                        " is not the one this build's deployment trusts; its installer will be "
                        "refused");
    }
    m_maker = std::make_unique<MakerSite>(m_state, m_hosts, latest, m_ports.http, options.stateDir,
                                          std::move(signing));
    if (!options.modemSocket.empty()) {
        m_modem = std::make_unique<LabModem>(m_state, options.logLine);
        m_modem->Start(options.modemSocket);
    }
    m_state.SetStopping(false);
    Listen(*m_http, m_httpThread);
    Listen(*m_https, m_httpsThread);
    m_running = true;
    return m_ports;
}

void LabServer::Impl::Stop() {
    if (!m_running)
        return;
    m_state.SetStopping(true);  // ends injected delays at once
    m_modem.reset();
    m_http->stop();
    m_https->stop();
    m_httpThread.join();
    m_httpsThread.join();
    m_http.reset();
    m_https.reset();
    m_running = false;
}

LabServer::LabServer() : m_impl(std::make_unique<Impl>(*this)) {}
LabServer::~LabServer() {
    Stop();
}

LabPorts LabServer::Start(const LabOptions& options) {
    return m_impl->Start(options);
}
void LabServer::Stop() {
    m_impl->Stop();
}
bool LabServer::Running() const {
    return m_impl->m_running;
}
LabPorts LabServer::Ports() const {
    return m_impl->m_ports;
}

void LabServer::ApplyStringOverrides() const {
    m_impl->m_hosts.ApplyStringOverrides(Ports());
}

int LabServer::CarrierOf(const std::string& number) const {
    return m_impl->m_state.CarrierOf(number);
}
void LabServer::AssignPhone(const std::string& number, int carrier) {
    m_impl->m_state.AssignPhone(number, carrier);
}
std::map<std::string, int> LabServer::AssignedPhones() const {
    return m_impl->m_state.AssignedPhones();
}

std::vector<InboxMessage> LabServer::Inbox(const std::string& number) const {
    return m_impl->m_state.Inbox(number);
}
std::vector<InboxMessage> LabServer::AllMessages() const {
    return m_impl->m_state.Messages();
}
std::vector<LogEntry> LabServer::Log() const {
    return m_impl->m_state.Log();
}
CounterState LabServer::Counter() const {
    return m_impl->m_state.Counter();
}

std::vector<InstallerRun> LabServer::InstallerRuns() const {
    return m_impl->m_maker ? m_impl->m_maker->InstallerRuns() : std::vector<InstallerRun>{};
}

std::string LabServer::LatestVersion() const {
    return m_impl->m_maker ? m_impl->m_maker->LatestVersion() : std::string();
}

void LabServer::SetLatestVersion(const std::string& version) {
    if (!m_impl->m_maker)
        throw LabError("the lab is not running");
    m_impl->m_maker->SetLatestVersion(version);
}

std::string LabServer::SigningPublicKey() const {
    return m_impl->m_maker ? m_impl->m_maker->Signing().PublicKey() : std::string();
}

void LabServer::InjectFault(const std::string& host, const Fault& fault) {
    m_impl->m_state.AddFault(LowerHost(host), fault);
}
std::vector<PendingFault> LabServer::PendingFaults() const {
    return m_impl->m_state.PendingFaults();
}
void LabServer::ClearFaults() {
    m_impl->m_state.ClearFaults();
}
void LabServer::Reset() {
    m_impl->m_state.Reset();
    if (m_impl->m_modem)
        m_impl->m_modem->ClearFaults();
    if (m_impl->m_web)
        m_impl->m_web->ClearFaults();
}

bool LabServer::WaitForLogSize(std::size_t count, std::chrono::milliseconds timeout) const {
    return m_impl->m_state.WaitForLogSize(count, timeout);
}

LabModem* LabServer::Modem() const {
    return m_impl->m_modem.get();
}

WebServices& LabServer::Web() const {
    if (!m_impl->m_web)
        throw LabError("the lab is not running");
    return *m_impl->m_web;
}

fs::path LabServer::CaCertificateFile() const {
    return m_impl->m_certificates.caFile;
}

}  // namespace lab
