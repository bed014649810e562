#include "carrier-lab/LabTls.h"

#include <openssl/x509.h>

#include "carrier-lab/LabHosts.h"

namespace lab {

namespace {

int AcceptAnyClientCertificate(int, X509_STORE_CTX*) {
    return 1;
}

}  // namespace

void PrepareTlsContext(SSL_CTX& context, SSL_client_hello_cb_fn onHello, void* arg) {
    SSL_CTX_set_min_proto_version(&context, TLS1_2_VERSION);
    SSL_CTX_set_session_cache_mode(&context, SSL_SESS_CACHE_OFF);
    SSL_CTX_set_options(&context, SSL_OP_NO_TICKET);
    SSL_CTX_set_num_tickets(&context, 0);
    SSL_CTX_set_client_hello_cb(&context, onHello, arg);
}

std::string HelloServerName(SSL& ssl) {
    // server_name extension: list length (2), type (1, 0 = host name), name length (2), name.
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (SSL_client_hello_get0_ext(&ssl, TLSEXT_TYPE_server_name, &data, &size) != 1 || size < 5 ||
        data[2] != 0) {
        return {};
    }
    std::size_t length = (std::size_t{data[3]} << 8) | data[4];
    if (length > size - 5)
        return {};
    return LowerHost(std::string_view(reinterpret_cast<const char*>(data + 5), length));
}

void DemandClientCertificate(SSL& ssl) {
    SSL_set_verify(&ssl, SSL_VERIFY_PEER, AcceptAnyClientCertificate);
}

bool ClientCertificateDemanded(const SSL& ssl) {
    return (SSL_get_verify_mode(&ssl) & SSL_VERIFY_PEER) != 0;
}

std::optional<std::string> ClientCertificateSubject(const SSL& ssl) {
    X509* peer = SSL_get0_peer_certificate(&ssl);
    if (peer == nullptr)
        return std::nullopt;
    char subject[256];
    X509_NAME_oneline(X509_get_subject_name(peer), subject, sizeof subject);
    return std::string(subject);
}

}  // namespace lab
