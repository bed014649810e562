#include "net/SecureRequest.h"

#include <array>
#include <new>

namespace {

constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr const char* kStoreNames[] = {"MY", "CA", "ROOT", "SPC"};

constexpr const char* kCannotPerform = "Cannot perform http request";
constexpr const char* kMemoryException = "Memory Exception occured";

}  // namespace

void CSecureRequest::SetServer(std::string server, std::uint16_t port) {
    m_server = std::move(server);
    m_port = port;
}

void CSecureRequest::SetCredentials(std::string user, std::string password) {
    m_user = std::move(user);
    m_password = std::move(password);
}

void CSecureRequest::Fail(std::string text, std::uint32_t code) {
    m_lastErrorText = std::move(text);
    m_lastErrorCode = code;
}

bool CSecureRequest::Open(const std::string& verb) {
    try {
        if (std::uint32_t error = inet::OpenInternet()) {
            Fail("Cannot open internet", error);
            return false;
        }

        m_connection = inet::SplitServerName(m_server, m_port);
        if (!m_connection) {
            Fail("Cannot connect to internet", inet::kErrorInvalidUrl);
            Close();
            return false;
        }

        if (verb.empty()) {
            Fail(kCannotPerform, inet::kErrorInvalidParameter);
            Close();
            return false;
        }
        m_request.emplace(m_agent, *m_connection, verb, m_object, "", m_requestFlags);
        m_request->SetCredentials(m_user, m_password);
        ++m_requestCounter;
        return true;
    } catch (const std::bad_alloc&) {
        Fail(kMemoryException, inet::kErrorNotEnoughMemory);
        return false;
    }
}

bool CSecureRequest::Send(const std::string& headers, const std::string& body) {
    if (!m_request) {
        Fail(kCannotPerform, kErrorInvalidHandle);
        return false;
    }
    try {
        for (int attempts = 0; attempts < kMaxSendAttempts;) {
            const std::uint32_t error = m_request->Send(headers, body);
            if (error == 0)
                return true;
            m_lastErrorCode = error;
            switch (error) {
                case inet::kErrorClientAuthCertNeeded:
                    if (!SelectClientCertificate()) {
                        m_lastErrorText =
                            "Cannot perform http request, client authentication needed but "
                            "couldnt detect required client certificate";
                        return false;
                    }
                    ++attempts;
                    break;
                case inet::kErrorInvalidCa:
                    m_lastErrorText =
                        "Cannot perform http request, client authentication needed, invalid "
                        "client certificate is used";
                    return false;
                case inet::kErrorNotEnoughMemory:
                    m_lastErrorText = kMemoryException;
                    return false;
                default:
                    m_lastErrorText = kCannotPerform;
                    return false;
            }
        }
        return false;
    } catch (const std::bad_alloc&) {
        Fail(kMemoryException, inet::kErrorNotEnoughMemory);
        return false;
    }
}

std::string CSecureRequest::ReadAll() {
    std::string text;
    if (!m_request)
        return text;
    std::array<char, 1024> buffer{};
    for (;;) {
        const std::size_t count = m_request->Read(buffer.data(), buffer.size() - 1);
        if (count == 0)
            break;
        buffer[count] = '\0';
        text.append(buffer.data());  // up to the first zero byte
        buffer.fill('\0');
    }
    return text;
}

bool CSecureRequest::SelectClientCertificate() {
    if (m_storeChoice >= std::size(kStoreNames)) {
        Fail("Cannot open system store ", inet::kErrorInvalidParameter);
        Close();
        return false;
    }
    const std::string name = kStoreNames[m_storeChoice];
    std::uint32_t error = 0;
    m_store = CertificateStore::Open(name, error);
    if (!m_store) {
        Fail("Cannot open system store " + name, error);
        Close();
        return false;
    }
    const std::optional<std::size_t> found = m_store->FindByIssuerUnit(m_certificateUnitName);
    if (!found) {
        Fail("Cannot find the required certificate", kCryptErrorNotFound);
        Close();
        return false;
    }
    m_certificate = m_store->WithPrivateKey(*found, error);
    if (!m_certificate || !m_request) {
        Fail("Cannot set certificate context", m_request ? error : kErrorInvalidHandle);
        Close();
        return false;
    }
    m_request->SetClientCertificate(m_certificate);
    return true;
}

void CSecureRequest::Close() {
    m_request.reset();
    m_connection.reset();
    m_certificate.reset();
    m_store.reset();
}
