#pragma once
// A throw-away certificate authority made by the test itself: a self-signed CA (P-256 keys,
// valid from an hour ago for a day) that issues server and client certificates. Nothing is
// written anywhere until a test writes the PEM texts where it wants them.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "net/CertificateStore.h"

struct IssuedCertificate {
    std::string certificatePem;
    std::string keyPem;
    // Certificate and key in one PEM text (the form a client certificate takes in the MY store).
    std::string CombinedPem() const { return certificatePem + keyPem; }
};

class TestCa {
public:
    // A CA named `commonName`; a non-empty `organizationalUnit` goes into its name as OU, so
    // that the certificates it issues carry it in their issuer name.
    explicit TestCa(const std::string& commonName, const std::string& organizationalUnit = {});
    TestCa(const TestCa&) = delete;
    TestCa& operator=(const TestCa&) = delete;

    const std::string& CertificatePem() const { return m_ca.certificatePem; }

    // A server certificate for `names` (host names, or IPv4 addresses), the first as its CN.
    IssuedCertificate IssueServer(const std::vector<std::string>& names = {
                                      "localhost", "*.localhost", "127.0.0.1"}) const;
    // A client certificate (extended key usage clientAuth).
    IssuedCertificate IssueClient(const std::string& commonName) const;

private:
    IssuedCertificate Issue(const std::string& commonName,
                            const std::vector<std::string>* names) const;

    X509Ptr m_certificate;
    EvpPkeyPtr m_key;
    IssuedCertificate m_ca;
};

// Writes `text` to `path`, creating its folder.
void WritePemFile(const std::filesystem::path& path, const std::string& text);
