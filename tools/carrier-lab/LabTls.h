#pragma once
// The lab's TLS over OpenSSL: how its contexts are set up, the host a client hello names, and
// the client-certificate demand a fault makes.

#include <openssl/ssl.h>

#include <optional>
#include <string>

namespace lab {

// TLS 1.2 or later and no resumption, since a resumed session would skip a client-certificate
// demand; `onHello` runs with `arg` at every client hello.
void PrepareTlsContext(SSL_CTX& context, SSL_client_hello_cb_fn onHello, void* arg);

// The host name of the hello's server name extension, lower case; "" when it has none.
std::string HelloServerName(SSL& ssl);

// Asks this handshake's client for a certificate and accepts whatever it gives.
void DemandClientCertificate(SSL& ssl);
bool ClientCertificateDemanded(const SSL& ssl);

// The subject of the certificate the client gave, nothing when it gave none.
std::optional<std::string> ClientCertificateSubject(const SSL& ssl);

}  // namespace lab
