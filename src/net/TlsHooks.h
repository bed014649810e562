#pragma once
// What a transfer does inside each TLS connection: trust the ROOT store beside the system
// bundle, answer a server's certificate request with the client certificate (or end the
// handshake without one), and note the server's fatal alert.

#include <curl/curl.h>
#include <openssl/ssl.h>

#include <memory>

#include "net/FailureMapping.h"
#include "net/RootStore.h"

class ClientCertificate;

namespace inet {

class TlsHooks {
public:
    explicit TlsHooks(std::shared_ptr<const ClientCertificate> certificate)
        : m_certificate(std::move(certificate)) {}
    TlsHooks(const TlsHooks&) = delete;
    TlsHooks& operator=(const TlsHooks&) = delete;

    // Sets the TLS options and the hooks on `easy`; this object must outlive its transfer.
    void Install(CURL* easy, bool checkHostName);

    // Adds what the TLS exchange showed to the evidence of a failure.
    void Describe(TransferEvidence& evidence) const;

private:
    static CURLcode OnSslContext(CURL*, void* context, void* self);
    static int OnCertificateRequest(SSL* ssl, void* self);
    static void OnSslInfo(const SSL* ssl, int where, int value);

    std::shared_ptr<const ClientCertificate> m_certificate;
    std::shared_ptr<const RootStore::Certificates> m_roots;
    bool m_certificateRequested = false;
    bool m_certificateSent = false;
    int m_fatalAlert = -1;
};

}  // namespace inet
