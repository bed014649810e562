#include "support/TestCa.h"

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <fstream>
#include <stdexcept>

namespace {

void Check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("TestCa: ") + what);
}

EvpPkeyPtr NewKey() {
    EvpPkeyPtr key(EVP_EC_gen("P-256"));
    Check(key != nullptr, "key generation");
    return key;
}

std::string ToPem(int (*write)(BIO*, void*), void* object) {
    BIO* bio = BIO_new(BIO_s_mem());
    Check(bio != nullptr && write(bio, object) == 1, "PEM output");
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::string pem(data, static_cast<std::size_t>(length));
    BIO_free(bio);
    return pem;
}

std::string CertificateToPem(X509* certificate) {
    return ToPem([](BIO* bio, void* x) { return PEM_write_bio_X509(bio, static_cast<X509*>(x)); },
                 certificate);
}

std::string KeyToPem(EVP_PKEY* key) {
    return ToPem(
        [](BIO* bio, void* k) {
            return PEM_write_bio_PrivateKey(bio, static_cast<EVP_PKEY*>(k), nullptr, nullptr, 0,
                                            nullptr, nullptr);
        },
        key);
}

void AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    Check(extension != nullptr, "extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

void AddName(X509_NAME* name, const char* field, const std::string& value) {
    Check(X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                     reinterpret_cast<const unsigned char*>(value.c_str()), -1, -1,
                                     0) == 1,
          "name");
}

// A certificate for `key`, valid from an hour ago for a day, with a random serial number.
X509Ptr NewCertificate(EVP_PKEY* key, const std::string& commonName, const std::string& unit) {
    X509Ptr owner(X509_new());
    X509* certificate = owner.get();
    Check(certificate != nullptr, "certificate");
    X509_set_version(certificate, 2);
    unsigned char serial[16];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7F;
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate));
    BN_free(number);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 3600);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    if (!unit.empty())
        AddName(name, "OU", unit);
    AddName(name, "CN", commonName);
    return owner;
}

}  // namespace

TestCa::TestCa(const std::string& commonName, const std::string& organizationalUnit)
    : m_key(NewKey()) {
    m_certificate = NewCertificate(m_key.get(), commonName, organizationalUnit);
    X509* ca = m_certificate.get();
    X509_set_issuer_name(ca, X509_get_subject_name(ca));
    AddExtension(ca, ca, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(ca, ca, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(ca, ca, NID_subject_key_identifier, "hash");
    Check(X509_sign(ca, m_key.get(), EVP_sha256()) > 0, "signing the CA");
    m_ca.certificatePem = CertificateToPem(ca);
    m_ca.keyPem = KeyToPem(m_key.get());
}

IssuedCertificate TestCa::IssueServer(const std::vector<std::string>& names) const {
    return Issue(names.empty() ? std::string("localhost") : names.front(), &names);
}

IssuedCertificate TestCa::IssueClient(const std::string& commonName) const {
    return Issue(commonName, nullptr);
}

IssuedCertificate TestCa::Issue(const std::string& commonName,
                                const std::vector<std::string>* names) const {
    EvpPkeyPtr key = NewKey();
    X509Ptr owner = NewCertificate(key.get(), commonName, {});
    X509* certificate = owner.get();
    X509* ca = m_certificate.get();
    X509_set_issuer_name(certificate, X509_get_subject_name(ca));
    AddExtension(certificate, ca, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(certificate, ca, NID_authority_key_identifier, "keyid");
    if (names != nullptr) {
        std::string alternatives;
        for (const std::string& name : *names) {
            const bool address = name.find_first_not_of("0123456789.") == std::string::npos;
            alternatives +=
                (alternatives.empty() ? "" : ",") + std::string(address ? "IP:" : "DNS:") + name;
        }
        if (!alternatives.empty()) {
            AddExtension(certificate, ca, NID_subject_alt_name, alternatives.c_str());
        }
        AddExtension(certificate, ca, NID_ext_key_usage, "serverAuth");
    } else {
        AddExtension(certificate, ca, NID_ext_key_usage, "clientAuth");
    }
    Check(X509_sign(certificate, m_key.get(), EVP_sha256()) > 0, "signing");
    return IssuedCertificate{CertificateToPem(certificate), KeyToPem(key.get())};
}

void WritePemFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}
