#include "support/TestHttpServer.h"

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <strings.h>
#include <chrono>
#include <stdexcept>

namespace {

void UsePem(SSL_CTX& ctx, const IssuedCertificate& certificate) {
    BIO* bio = BIO_new_mem_buf(certificate.certificatePem.data(),
                               static_cast<int>(certificate.certificatePem.size()));
    X509* x509 = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    bio = BIO_new_mem_buf(certificate.keyPem.data(), static_cast<int>(certificate.keyPem.size()));
    EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    const bool ok = x509 != nullptr && key != nullptr && SSL_CTX_use_certificate(&ctx, x509) == 1 &&
                    SSL_CTX_use_PrivateKey(&ctx, key) == 1;
    X509_free(x509);
    EVP_PKEY_free(key);
    if (!ok)
        throw std::runtime_error("TestHttpServer: cannot use the server certificate");
}

}  // namespace

void DemandClientCertificates(SSL_CTX& ctx, const std::string& trustedCaPem) {
    BIO* bio = BIO_new_mem_buf(trustedCaPem.data(), static_cast<int>(trustedCaPem.size()));
    X509* ca = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    if (ca == nullptr)
        throw std::runtime_error("DemandClientCertificates: bad CA certificate");
    X509_STORE* store = X509_STORE_new();
    X509_STORE_add_cert(store, ca);
    SSL_CTX_set_cert_store(&ctx, store);
    STACK_OF(X509_NAME)* names = sk_X509_NAME_new_null();
    sk_X509_NAME_push(names, X509_NAME_dup(X509_get_subject_name(ca)));
    SSL_CTX_set_client_CA_list(&ctx, names);
    X509_free(ca);
    SSL_CTX_set_verify(&ctx, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, nullptr);
}

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    }
    return {};
}

bool RecordedRequest::HasHeader(const std::string& name) const {
    for (const auto& header : headers) {
        if (strcasecmp(header.first.c_str(), name.c_str()) == 0)
            return true;
    }
    return false;
}

TestHttpServer::TestHttpServer() : m_server(std::make_unique<httplib::Server>()) {}

TestHttpServer::TestHttpServer(const IssuedCertificate& certificate,
                               std::function<void(SSL_CTX&)> setup)
    : m_server(std::make_unique<httplib::SSLServer>([&](SSL_CTX& ctx) {
          UsePem(ctx, certificate);
          if (setup)
              setup(ctx);
          return true;
      })) {
    if (!m_server->is_valid())
        throw std::runtime_error("TestHttpServer: invalid TLS set-up");
}

TestHttpServer::~TestHttpServer() {
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

void TestHttpServer::Start() {
    // Recorded after the route ran (the body is read by then) and before the answer goes out.
    m_server->set_post_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        RecordedRequest recorded{request.method, request.target, request.version, {}, request.body};
        for (const auto& [name, value] : request.headers) {
            // cpp-httplib adds the peer's addresses as headers of its own.
            if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
                name == "LOCAL_PORT") {
                continue;
            }
            recorded.headers.emplace_back(name, value);
        }
        std::lock_guard lock(m_mutex);
        m_requests.push_back(std::move(recorded));
    });
    const int port = m_server->bind_to_any_port("127.0.0.1");
    if (port <= 0)
        throw std::runtime_error("TestHttpServer: cannot bind");
    m_port = static_cast<std::uint16_t>(port);
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // stop() only works once the server runs.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_server->is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string TestHttpServer::HostPort(const std::string& host) const {
    return host + ":" + std::to_string(m_port);
}

std::vector<RecordedRequest> TestHttpServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}
