#include "net/FailureMapping.h"

#include <openssl/ssl.h>

#include <optional>
#include <utility>

#include "net/Internet.h"

namespace inet {
namespace {

template <class Key, std::size_t N>
std::optional<std::uint32_t> Find(const std::pair<Key, ErrorCode> (&table)[N], Key key) {
    for (const auto& [from, to] : table) {
        if (from == key)
            return to;
    }
    return std::nullopt;
}

constexpr std::pair<int, ErrorCode> kAlertAfterSending[] = {
    {SSL_AD_HANDSHAKE_FAILURE, kErrorClientAuthCertNeeded},
    {SSL_AD_CERTIFICATE_REQUIRED, kErrorClientAuthCertNeeded},
    {SSL_AD_BAD_CERTIFICATE, kErrorInvalidCa},
    {SSL_AD_UNSUPPORTED_CERTIFICATE, kErrorInvalidCa},
    {SSL_AD_CERTIFICATE_REVOKED, kErrorInvalidCa},
    {SSL_AD_CERTIFICATE_EXPIRED, kErrorInvalidCa},
    {SSL_AD_CERTIFICATE_UNKNOWN, kErrorInvalidCa},
    {SSL_AD_UNKNOWN_CA, kErrorInvalidCa},
    {SSL_AD_ACCESS_DENIED, kErrorInvalidCa},
    {SSL_AD_DECRYPT_ERROR, kErrorInvalidCa},
};

// A server chain that ends in no trusted authority is the Windows library's "invalid CA";
// any other verdict not listed is an invalid certificate.
constexpr std::pair<long, ErrorCode> kVerifyResults[] = {
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT, kErrorInvalidCa},
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY, kErrorInvalidCa},
    {X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, kErrorInvalidCa},
    {X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN, kErrorInvalidCa},
    {X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE, kErrorInvalidCa},
    {X509_V_ERR_CERT_UNTRUSTED, kErrorInvalidCa},
    {X509_V_ERR_CERT_HAS_EXPIRED, kErrorCertificateDateInvalid},
    {X509_V_ERR_CERT_NOT_YET_VALID, kErrorCertificateDateInvalid},
};

// Any code not listed is an internal error.
constexpr std::pair<CURLcode, ErrorCode> kCurlResults[] = {
    {CURLE_UNSUPPORTED_PROTOCOL, kErrorUnrecognizedScheme},
    {CURLE_URL_MALFORMAT, kErrorInvalidUrl},
    {CURLE_COULDNT_RESOLVE_PROXY, kErrorNameNotResolved},
    {CURLE_COULDNT_RESOLVE_HOST, kErrorNameNotResolved},
    {CURLE_COULDNT_CONNECT, kErrorCannotConnect},
    {CURLE_OPERATION_TIMEDOUT, kErrorTimeout},
    {CURLE_PARTIAL_FILE, kErrorConnectionAborted},
    {CURLE_SEND_ERROR, kErrorConnectionReset},
    {CURLE_RECV_ERROR, kErrorConnectionReset},
    {CURLE_GOT_NOTHING, kErrorInvalidServerResponse},
    {CURLE_WEIRD_SERVER_REPLY, kErrorInvalidServerResponse},
    {CURLE_TOO_MANY_REDIRECTS, kErrorRedirectFailed},
    {CURLE_SSL_CONNECT_ERROR, kErrorSecurityChannel},
    {CURLE_BAD_CONTENT_ENCODING, kErrorDecodingFailed},
    {CURLE_OUT_OF_MEMORY, kErrorNotEnoughMemory},
    {CURLE_ABORTED_BY_CALLBACK, kErrorOperationCancelled},
};

}  // namespace

std::uint32_t MapTransferFailure(const TransferEvidence& evidence) noexcept {
    if (evidence.stopCode != 0)
        return evidence.stopCode;
    if (evidence.certificateRequested && !evidence.certificateGiven)
        return kErrorClientAuthCertNeeded;
    if (evidence.certificateSent) {
        if (auto code = Find(kAlertAfterSending, evidence.fatalAlert))
            return *code;
    }
    if (evidence.result == CURLE_PEER_FAILED_VERIFICATION)
        return Find(kVerifyResults, evidence.verifyResult).value_or(kErrorInvalidCertificate);
    return Find(kCurlResults, evidence.result).value_or(kErrorInternal);
}

}  // namespace inet
