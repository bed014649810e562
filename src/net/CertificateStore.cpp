#include "net/CertificateStore.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/pem.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "base/Paths.h"

namespace fs = std::filesystem;

namespace {

// Larger files are not certificate files; skipping them keeps a stray file from costing memory.
constexpr std::uintmax_t kMaxStoreFileBytes = 4 * 1024 * 1024;

struct BioFree {
    void operator()(BIO* bio) const noexcept { BIO_free(bio); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;

// Never asks for a pass phrase: an encrypted key simply is not there.
int NoPassphrase(char*, int, int, void*) {
    return -1;
}

std::string ReadSmallFile(const fs::path& path) {
    std::error_code ec;
    if (fs::file_size(path, ec) > kMaxStoreFileBytes || ec)
        return {};
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

BioPtr MemoryBio(const std::string& bytes) {
    return BioPtr(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
}

std::vector<X509Ptr> ReadCertificates(const std::string& pem) {
    std::vector<X509Ptr> certificates;
    BioPtr bio = MemoryBio(pem);
    if (!bio)
        return certificates;
    while (X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, NoPassphrase, nullptr)) {
        certificates.emplace_back(certificate);
    }
    ERR_clear_error();  // the end of the file reads as an error
    return certificates;
}

bool IssuerHasUnit(X509* certificate, std::string_view unitName) {
    const X509_NAME* issuer = X509_get_issuer_name(certificate);
    for (int i = -1;
         (i = X509_NAME_get_index_by_NID(issuer, NID_organizationalUnitName, i)) >= 0;) {
        const ASN1_STRING* value = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(issuer, i));
        if (unitName.empty())
            return true;
        std::string_view bytes(reinterpret_cast<const char*>(ASN1_STRING_get0_data(value)),
                               static_cast<std::size_t>(ASN1_STRING_length(value)));
        if (bytes == unitName)
            return true;
    }
    return false;
}

}  // namespace

std::optional<CertificateStore> CertificateStore::Open(const std::string& name,
                                                       std::uint32_t& error) {
    CertificateStore store;
    fs::path folder = CertificateStoreDirectory(name);
    if (!folder.has_filename())
        folder = folder.parent_path();  // "certs/MY/" names "certs/MY"
    std::error_code ec;
    if (!fs::exists(folder, ec))
        return store;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        error = kErrorAccessDenied;
        return std::nullopt;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        if (it->is_regular_file(ec))
            store.m_files.push_back(it->path());
    }
    std::sort(store.m_files.begin(), store.m_files.end());
    for (std::size_t file = 0; file < store.m_files.size(); ++file) {
        for (X509Ptr& certificate : ReadCertificates(ReadSmallFile(store.m_files[file]))) {
            store.m_entries.push_back(Entry{std::move(certificate), file});
        }
    }
    return store;
}

std::optional<std::size_t> CertificateStore::FindByIssuerUnit(std::string_view unitName) const {
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (IssuerHasUnit(m_entries[i].certificate.get(), unitName))
            return i;
    }
    return std::nullopt;
}

std::shared_ptr<const ClientCertificate> CertificateStore::WithPrivateKey(
    std::size_t index, std::uint32_t& error) const {
    const Entry& entry = m_entries[index];
    const std::string pem = ReadSmallFile(m_files[entry.file]);
    BioPtr bio = MemoryBio(pem);
    EvpPkeyPtr key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, NoPassphrase, nullptr)
                       : nullptr);
    ERR_clear_error();
    if (!key || X509_check_private_key(entry.certificate.get(), key.get()) != 1) {
        ERR_clear_error();
        error = kCryptErrorNoKeyProperty;
        return nullptr;
    }
    X509_up_ref(entry.certificate.get());
    return std::make_shared<const ClientCertificate>(X509Ptr(entry.certificate.get()),
                                                     std::move(key));
}

std::vector<X509Ptr> CertificateStore::TakeCertificates() && {
    std::vector<X509Ptr> certificates;
    certificates.reserve(m_entries.size());
    for (Entry& entry : m_entries) certificates.push_back(std::move(entry.certificate));
    return certificates;
}
