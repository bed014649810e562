#pragma once
// A secure (HTTPS) request that can answer a server's demand for a client certificate from the
// certificate stores. Calling order: Open, Send, ReadAll, then destruction (which closes).
// Every failure leaves a text and a code behind (LastErrorText, LastErrorCode).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "net/CertificateStore.h"
#include "net/Internet.h"

class CSecureRequest {
public:
    // Which certificate store SelectClientCertificate searches.
    enum StoreChoice : std::uint32_t { StoreMy = 0, StoreCa = 1, StoreRoot = 2, StoreSpc = 3 };

    // Reload, do not write to the cache, secure, keep the connection, ignore a certificate
    // whose name does not match the host.
    static constexpr std::uint32_t kDefaultRequestFlags =
        inet::kFlagReload | inet::kFlagNoCacheWrite | inet::kFlagSecure |
        inet::kFlagKeepConnection | inet::kFlagIgnoreCertCnInvalid;
    static constexpr int kMaxSendAttempts = 20;

    CSecureRequest() = default;
    ~CSecureRequest() { Close(); }
    CSecureRequest(const CSecureRequest&) = delete;
    CSecureRequest& operator=(const CSecureRequest&) = delete;

    // Set-up, before Open. The server may carry ":port", which wins over `port`.
    void SetServer(std::string server, std::uint16_t port = inet::kSecurePort);
    void SetObject(std::string object) { m_object = std::move(object); }
    void SetAgent(std::string agent) { m_agent = std::move(agent); }
    void SetCredentials(std::string user, std::string password);
    void SetStoreChoice(std::uint32_t choice) { m_storeChoice = choice; }
    void SetCertificateUnitName(std::string unitName) {
        m_certificateUnitName = std::move(unitName);
    }
    void SetRequestCounter(std::uint32_t counter) { m_requestCounter = counter; }

    // Opens the internet handle, the connection and a request with `verb`.
    bool Open(const std::string& verb);
    // Sends, answering up to kMaxSendAttempts certificate demands.
    bool Send(const std::string& headers, const std::string& body);
    // The answer's body, read in steps of at most 1023 bytes, each kept up to its first zero byte.
    std::string ReadAll();
    // Finds the client certificate in the chosen store and attaches it to the request.
    bool SelectClientCertificate();
    void Close();

    const std::string& LastErrorText() const noexcept { return m_lastErrorText; }
    std::uint32_t LastErrorCode() const noexcept { return m_lastErrorCode; }
    std::uint32_t RequestCounter() const noexcept { return m_requestCounter; }
    // The HTTP status of the answer once sent, else 0.
    int StatusCode() const noexcept { return m_request ? m_request->StatusCode() : 0; }

private:
    void Fail(std::string text, std::uint32_t code);

    std::optional<inet::HttpRequest> m_request;
    std::optional<inet::ServerName> m_connection;
    std::string m_server;
    std::string m_object;
    std::uint16_t m_port = inet::kSecurePort;
    std::uint32_t m_requestFlags = kDefaultRequestFlags;
    std::optional<CertificateStore> m_store;
    std::shared_ptr<const ClientCertificate> m_certificate;
    std::uint32_t m_storeChoice = StoreMy;
    std::string m_user;
    std::string m_password;
    std::string m_agent;
    std::string m_certificateUnitName;
    std::string m_lastErrorText;
    std::uint32_t m_lastErrorCode = 0;
    std::uint32_t m_requestCounter = 0;
};
