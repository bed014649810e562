#include "service/UpgradeSignature.h"

#include <openssl/evp.h>
#include <openssl/obj_mac.h>
#include <openssl/x509.h>

#include <cctype>
#include <memory>
#include <optional>
#include <string>

namespace {

struct PkeyFree {
    void operator()(EVP_PKEY* key) const noexcept { EVP_PKEY_free(key); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX* context) const noexcept { EVP_MD_CTX_free(context); }
};

// Base64 without white space to bytes; nothing when it is not base64.
std::optional<std::string> DecodeBase64(std::string_view text) {
    std::string compact;
    for (char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            compact += c;
    }
    if (compact.empty() || compact.size() % 4 != 0)
        return std::nullopt;
    std::string bytes(compact.size() / 4 * 3, '\0');
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                       reinterpret_cast<const unsigned char*>(compact.data()),
                                       static_cast<int>(compact.size()));
    if (length < 0)
        return std::nullopt;
    // The block decoder counts the padding as zero bytes.
    std::size_t padding = 0;
    while (padding < 2 && compact[compact.size() - 1 - padding] == '=') ++padding;
    bytes.resize(static_cast<std::size_t>(length) - padding);
    return bytes;
}

}  // namespace

bool VerifyUpgradeSignature(std::string_view bytes, std::string_view signature,
                            std::string_view publicKey) {
    const auto keyDer = DecodeBase64(publicKey);
    const auto signatureBytes = DecodeBase64(signature);
    if (!keyDer || !signatureBytes)
        return false;
    const auto* keyData = reinterpret_cast<const unsigned char*>(keyDer->data());
    std::unique_ptr<EVP_PKEY, PkeyFree> key(
        d2i_PUBKEY(nullptr, &keyData, static_cast<long>(keyDer->size())));
    if (!key)
        return false;
    // Ed25519 hashes inside the signature; P-256 signs a SHA-256 digest. No other kind passes.
    const EVP_MD* digest = nullptr;
    if (EVP_PKEY_id(key.get()) == EVP_PKEY_EC) {
        char curve[32] = {};
        std::size_t length = 0;
        if (EVP_PKEY_get_group_name(key.get(), curve, sizeof curve, &length) != 1 ||
            std::string_view(curve, length) != SN_X9_62_prime256v1) {
            return false;
        }
        digest = EVP_sha256();
    } else if (EVP_PKEY_id(key.get()) != EVP_PKEY_ED25519) {
        return false;
    }
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, digest, nullptr, key.get()) != 1) {
        return false;
    }
    return EVP_DigestVerify(
               context.get(), reinterpret_cast<const unsigned char*>(signatureBytes->data()),
               signatureBytes->size(), reinterpret_cast<const unsigned char*>(bytes.data()),
               bytes.size()) == 1;
}
