#pragma once
// A real HTTP or HTTPS server (cpp-httplib) on an ephemeral loopback port, running on its own
// threads for the life of the object, that records every request it receives. Register routes
// on Routes() before Start().

#include <httplib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/TestCa.h"

struct RecordedRequest {
    std::string method;
    std::string target;   // as on the request line, query included
    std::string version;  // "HTTP/1.0", "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;  // name order, not wire order
    std::string body;

    // The value of the first header `name` (any case); empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

// For the `setup` of an HTTPS server: demand a client certificate issued by the CA whose
// certificate is `trustedCaPem`, and refuse the handshake without one.
void DemandClientCertificates(SSL_CTX& ctx, const std::string& trustedCaPem);

class TestHttpServer {
public:
    // A plain HTTP server.
    TestHttpServer();
    // An HTTPS server with `certificate`. `setup` may change the TLS context further (ask for
    // client certificates, count handshakes); it runs once, before the server starts.
    explicit TestHttpServer(const IssuedCertificate& certificate,
                            std::function<void(SSL_CTX&)> setup = {});
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    httplib::Server& Routes() { return *m_server; }
    // Binds to 127.0.0.1 on a free port and starts serving.
    void Start();

    std::uint16_t Port() const { return m_port; }
    // "host:port", for string-table overrides and URLs.
    std::string HostPort(const std::string& host = "127.0.0.1") const;

    std::vector<RecordedRequest> Requests() const;

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::uint16_t m_port = 0;
    mutable std::mutex m_mutex;
    std::vector<RecordedRequest> m_requests;
};
