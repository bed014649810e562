#include "carrier-lab/LabCertificates.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <fstream>
#include <memory>
#include <system_error>

#include "carrier-lab/LabTypes.h"

namespace lab {

namespace {

namespace fs = std::filesystem;

template <auto Free>
struct FreeWith {
    template <class T>
    void operator()(T* p) const noexcept {
        Free(p);
    }
};
using X509Ptr = std::unique_ptr<X509, FreeWith<X509_free>>;
using KeyPtr = std::unique_ptr<EVP_PKEY, FreeWith<EVP_PKEY_free>>;
using BioPtr = std::unique_ptr<BIO, FreeWith<BIO_free>>;
using ExtensionPtr = std::unique_ptr<X509_EXTENSION, FreeWith<X509_EXTENSION_free>>;
using BignumPtr = std::unique_ptr<BIGNUM, FreeWith<BN_free>>;

constexpr long kDay = 24 * 60 * 60;

[[noreturn]] void Fail(const std::string& what) {
    throw LabError("certificates: " + what);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Written beside the target and renamed over it, so a crash never leaves half a file.
void WriteFile(const fs::path& path, const std::string& bytes, fs::perms perms) {
    fs::path temporary = path;
    temporary += ".tmp";
    std::error_code ec;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        // Narrowed before the key goes in.
        fs::permissions(temporary, perms, ec);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out || ec)
            Fail("cannot write " + temporary.string());
    }
    fs::rename(temporary, path, ec);
    if (ec)
        Fail("cannot write " + path.string() + ": " + ec.message());
}

BioPtr MemoryBio(const std::string& pem) {
    return BioPtr(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
}

X509Ptr ParseCertificate(const std::string& pem) {
    if (pem.empty())
        return nullptr;
    BioPtr bio = MemoryBio(pem);
    return X509Ptr(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
}

KeyPtr ParseKey(const std::string& pem) {
    if (pem.empty())
        return nullptr;
    BioPtr bio = MemoryBio(pem);
    return KeyPtr(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
}

std::string BioText(BIO* bio) {
    char* data = nullptr;
    long size = BIO_get_mem_data(bio, &data);
    return std::string(data, static_cast<std::size_t>(size));
}

std::string CertificatePem(X509* certificate) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), certificate) != 1)
        Fail("cannot write PEM");
    return BioText(bio.get());
}

std::string KeyPem(EVP_PKEY* key) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio ||
        PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        Fail("cannot write PEM");
    }
    return BioText(bio.get());
}

// P-256: made in a millisecond, so the first start stays quick.
KeyPtr NewKey() {
    KeyPtr key(EVP_EC_gen("P-256"));
    if (!key)
        Fail("cannot make a key");
    return key;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    ExtensionPtr extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
    if (!extension || X509_add_ext(certificate, extension.get(), -1) != 1) {
        Fail("cannot add extension " + value);
    }
}

X509Ptr NewCertificate(EVP_PKEY* key, const std::string& commonName, long days) {
    X509Ptr certificate(X509_new());
    if (!certificate)
        Fail("out of memory");
    X509_set_version(certificate.get(), 2);
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1)
        Fail("no random bytes");
    serial[0] &= 0x7F;  // positive
    BignumPtr number(BN_bin2bn(serial, sizeof serial, nullptr));
    if (!number || !BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(certificate.get()))) {
        Fail("cannot set a serial number");
    }
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -kDay);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), days * kDay);
    X509_set_pubkey(certificate.get(), key);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Quillo carrier lab"), -1, -1,
                               0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    return certificate;
}

void Sign(X509* certificate, EVP_PKEY* issuerKey) {
    if (X509_sign(certificate, issuerKey, EVP_sha256()) == 0)
        Fail("cannot sign");
}

bool StillValid(X509* certificate) {
    return X509_cmp_current_time(X509_get0_notAfter(certificate)) > 0 &&
           X509_cmp_current_time(X509_get0_notBefore(certificate)) < 0;
}

std::vector<std::string> SubjectAltNames(const std::vector<std::string>& hostNames) {
    std::vector<std::string> names = {"localhost", "*.lab.localhost"};
    names.insert(names.end(), hostNames.begin(), hostNames.end());
    return names;
}

bool NamesEveryHost(X509* certificate, const std::vector<std::string>& hostNames) {
    for (const auto& name : SubjectAltNames(hostNames)) {
        if (name.rfind("*.", 0) == 0)
            continue;
        if (X509_check_host(certificate, name.c_str(), name.size(), 0, nullptr) != 1)
            return false;
    }
    return true;
}

}  // namespace

LabCertificates LabCertificates::LoadOrCreate(const fs::path& stateDir,
                                              const std::vector<std::string>& hostNames) {
    std::error_code ec;
    fs::create_directories(stateDir, ec);
    if (ec)
        Fail("cannot create " + stateDir.string() + ": " + ec.message());
    const fs::path caFile = stateDir / "ca.pem";
    const fs::path caKeyFile = stateDir / "ca-key.pem";
    const fs::path certificateFile = stateDir / "server.pem";
    const fs::path keyFile = stateDir / "server-key.pem";
    constexpr auto kPublic = fs::perms::owner_read | fs::perms::owner_write |
                             fs::perms::group_read | fs::perms::others_read;
    constexpr auto kPrivate = fs::perms::owner_read | fs::perms::owner_write;

    LabCertificates result;
    result.caFile = caFile;
    result.caPem = ReadFile(caFile);
    X509Ptr ca = ParseCertificate(result.caPem);
    KeyPtr caKey = ParseKey(ReadFile(caKeyFile));
    bool newCa = !ca || !caKey || X509_check_private_key(ca.get(), caKey.get()) != 1 ||
                 !StillValid(ca.get());
    if (newCa) {
        caKey = NewKey();
        ca = NewCertificate(caKey.get(), "Quillo carrier lab CA", 10 * 365);
        X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get()));
        AddExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
        AddExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash");
        Sign(ca.get(), caKey.get());
        result.caPem = CertificatePem(ca.get());
        WriteFile(caKeyFile, KeyPem(caKey.get()), kPrivate);
        WriteFile(caFile, result.caPem, kPublic);
    }

    result.certificatePem = ReadFile(certificateFile);
    result.keyPem = ReadFile(keyFile);
    X509Ptr certificate = ParseCertificate(result.certificatePem);
    KeyPtr key = ParseKey(result.keyPem);
    bool current = !newCa && certificate && key &&
                   X509_check_private_key(certificate.get(), key.get()) == 1 &&
                   X509_verify(certificate.get(), caKey.get()) == 1 &&
                   StillValid(certificate.get()) && NamesEveryHost(certificate.get(), hostNames);
    if (!current) {
        key = NewKey();
        certificate = NewCertificate(key.get(), "quillo-lab", 825);
        X509_set_issuer_name(certificate.get(), X509_get_subject_name(ca.get()));
        std::string alternatives = "IP:127.0.0.1";
        for (const auto& name : SubjectAltNames(hostNames)) alternatives += ",DNS:" + name;
        AddExtension(certificate.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(certificate.get(), ca.get(), NID_key_usage,
                     "critical,digitalSignature,keyEncipherment");
        AddExtension(certificate.get(), ca.get(), NID_ext_key_usage, "serverAuth");
        AddExtension(certificate.get(), ca.get(), NID_subject_alt_name, alternatives);
        AddExtension(certificate.get(), ca.get(), NID_authority_key_identifier, "keyid:always");
        Sign(certificate.get(), caKey.get());
        result.certificatePem = CertificatePem(certificate.get());
        result.keyPem = KeyPem(key.get());
        WriteFile(keyFile, result.keyPem, kPrivate);
        WriteFile(certificateFile, result.certificatePem, kPublic);
    }
    return result;
}

bool LabCertificates::UseIn(SSL_CTX& context) const {
    X509Ptr certificate = ParseCertificate(certificatePem);
    KeyPtr key = ParseKey(keyPem);
    return certificate && key && SSL_CTX_use_certificate(&context, certificate.get()) == 1 &&
           SSL_CTX_use_PrivateKey(&context, key.get()) == 1 &&
           SSL_CTX_check_private_key(&context) == 1;
}

fs::path InstallRootCertificate(const std::string& caPem, const fs::path& storeDir) {
    std::error_code ec;
    fs::create_directories(storeDir, ec);
    if (ec)
        Fail("cannot create " + storeDir.string() + ": " + ec.message());
    fs::path file = storeDir / "quillo-lab-ca.pem";
    if (ReadFile(file) != caPem) {
        WriteFile(file, caPem,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                      fs::perms::others_read);
    }
    return file;
}

}  // namespace lab
