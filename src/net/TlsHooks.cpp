#include "net/TlsHooks.h"

#include <openssl/err.h>

#include "net/CertificateStore.h"
#include "net/CurlLibrary.h"

namespace inet {

void TlsHooks::Install(CURL* easy, bool checkHostName) {
    // The chain is verified; the host name only when the request does not waive it. No session
    // is resumed, so a server's certificate request is seen on every connection.
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, checkHostName ? 2L : 0L);
    curl_easy_setopt(easy, CURLOPT_CA_CACHE_TIMEOUT, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_SESSIONID_CACHE, 0L);
    // With a certificate to give, TLS 1.2 at most: there the server's verdict on it comes inside
    // the handshake, where its alert is read. Under TLS 1.3 the verdict follows the handshake
    // and often arrives as a reset that hides the alert.
    if (m_certificate) {
        curl_easy_setopt(easy, CURLOPT_SSLVERSION,
                         long{CURL_SSLVERSION_TLSv1_2} | long{CURL_SSLVERSION_MAX_TLSv1_2});
    }
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &TlsHooks::OnSslContext);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this);
}

void TlsHooks::Describe(TransferEvidence& evidence) const {
    evidence.certificateRequested = m_certificateRequested;
    evidence.certificateGiven = m_certificate != nullptr;
    evidence.certificateSent = m_certificateSent;
    evidence.fatalAlert = m_fatalAlert;
}

// Each TLS connection: trust the ROOT store beside the system bundle, and watch the server's
// certificate request and alerts.
CURLcode TlsHooks::OnSslContext(CURL*, void* context, void* self) {
    auto& hooks = *static_cast<TlsHooks*>(self);
    auto* ctx = static_cast<SSL_CTX*>(context);
    if (!hooks.m_roots)
        hooks.m_roots = RootStore::Current();
    X509_STORE* store = SSL_CTX_get_cert_store(ctx);
    for (const X509Ptr& root : *hooks.m_roots) X509_STORE_add_cert(store, root.get());
    ERR_clear_error();
    SSL_CTX_set_ex_data(ctx, CurlLibrary::Instance().SslContextIndex(), &hooks);
    SSL_CTX_set_cert_cb(ctx, &TlsHooks::OnCertificateRequest, &hooks);
    SSL_CTX_set_info_callback(ctx, &TlsHooks::OnSslInfo);
    return CURLE_OK;
}

// Called by OpenSSL only when the server sends a certificate request.
int TlsHooks::OnCertificateRequest(SSL* ssl, void* self) {
    auto& hooks = *static_cast<TlsHooks*>(self);
    hooks.m_certificateRequested = true;
    const auto& certificate = hooks.m_certificate;
    if (!certificate)
        return 0;  // nothing to give: end the handshake here
    if (SSL_use_certificate(ssl, certificate->Certificate()) != 1 ||
        SSL_use_PrivateKey(ssl, certificate->Key()) != 1) {
        return 0;
    }
    hooks.m_certificateSent = true;
    return 1;
}

void TlsHooks::OnSslInfo(const SSL* ssl, int where, int value) {
    if ((where & SSL_CB_ALERT) == 0 || (where & SSL_CB_READ) == 0)
        return;
    if ((value >> 8) != SSL3_AL_FATAL)
        return;
    void* self =
        SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), CurlLibrary::Instance().SslContextIndex());
    if (self != nullptr)
        static_cast<TlsHooks*>(self)->m_fatalAlert = value & 0xff;
}

}  // namespace inet
