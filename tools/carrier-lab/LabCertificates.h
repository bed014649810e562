#pragma once
// The lab's own certificate authority and its server certificate, kept in the state folder.

#include <filesystem>
#include <string>
#include <vector>

struct ssl_ctx_st;  // OpenSSL's SSL_CTX

namespace lab {

struct LabCertificates {
    std::string caPem;
    std::string certificatePem;  // the server's, issued by the CA
    std::string keyPem;          // the server's private key
    std::filesystem::path caFile;

    // Reuses what the state folder holds while it is valid (CA and certificate unexpired, the
    // certificate issued by that CA and naming every host); creates what is missing or stale.
    // Throws LabError.
    static LabCertificates LoadOrCreate(const std::filesystem::path& stateDir,
                                        const std::vector<std::string>& hostNames);

    // Makes a TLS server context present the server certificate. False when it cannot.
    bool UseIn(ssl_ctx_st& context) const;
};

// Writes the CA into a certificate store folder as a PEM file (as a browser's trust store
// learns a development CA), so that Quillo trusts the lab. Returns the file. Throws LabError.
std::filesystem::path InstallRootCertificate(const std::string& caPem,
                                             const std::filesystem::path& storeDir);

}  // namespace lab
