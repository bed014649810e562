#pragma once
// The certificate stores "MY", "CA", "ROOT" and "SPC": folders of PEM files (see
// CertificateStoreDirectory), standing in for the Windows system stores.
//
// A store holds every certificate of every regular file in its folder, files in byte order of
// their names and certificates in file order; a missing folder is an empty store, as Windows
// creates a system store that does not exist yet. A certificate of "MY" is usable as a client
// certificate when its own file also holds the matching private key (unencrypted PEM).

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct X509Free {
    void operator()(X509* certificate) const noexcept { X509_free(certificate); }
};
struct EvpPkeyFree {
    void operator()(EVP_PKEY* key) const noexcept { EVP_PKEY_free(key); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, EvpPkeyFree>;

// Codes of the certificate functions, as Windows numbers them.
inline constexpr std::uint32_t kErrorAccessDenied = 5;                 // store folder unreadable
inline constexpr std::uint32_t kCryptErrorNotFound = 0x80092004;       // no matching certificate
inline constexpr std::uint32_t kCryptErrorNoKeyProperty = 0x8009200B;  // certificate without key

// A certificate with its private key, ready to answer a server's certificate request.
class ClientCertificate {
public:
    ClientCertificate(X509Ptr certificate, EvpPkeyPtr key)
        : m_certificate(std::move(certificate)), m_key(std::move(key)) {}
    X509* Certificate() const noexcept { return m_certificate.get(); }
    EVP_PKEY* Key() const noexcept { return m_key.get(); }

private:
    X509Ptr m_certificate;
    EvpPkeyPtr m_key;
};

class CertificateStore {
public:
    // Opens the store `name`. nullopt when its folder exists but cannot be read; `error` then
    // holds the code.
    static std::optional<CertificateStore> Open(const std::string& name, std::uint32_t& error);

    std::size_t Count() const noexcept { return m_entries.size(); }
    X509* At(std::size_t index) const noexcept { return m_entries[index].certificate.get(); }

    // The index of the first certificate whose issuer name carries an organizational-unit
    // attribute (2.5.4.11) with exactly the bytes `unitName`. An empty `unitName` matches any
    // value, but the issuer must carry the attribute.
    std::optional<std::size_t> FindByIssuerUnit(std::string_view unitName) const;

    // The certificate at `index` with the private key from its own file; nullptr (and `error`)
    // when that file holds no key, or one that does not belong to the certificate.
    std::shared_ptr<const ClientCertificate> WithPrivateKey(std::size_t index,
                                                            std::uint32_t& error) const;

    // Takes the certificates out of the store (for trusting the ROOT store).
    std::vector<X509Ptr> TakeCertificates() &&;

private:
    struct Entry {
        X509Ptr certificate;
        std::size_t file;
    };
    std::vector<std::filesystem::path> m_files;
    std::vector<Entry> m_entries;
};
