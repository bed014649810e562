// The error numbers of failed transfers, from what libcurl and the TLS exchange reported.

#include <gtest/gtest.h>

#include <openssl/ssl.h>

#include "net/FailureMapping.h"

using inet::TransferEvidence;

namespace {

struct Case {
    const char* what;
    TransferEvidence evidence;
    std::uint32_t code;
};

const Case kCases[] = {
    {"a sink's own code comes first", {.result = CURLE_WRITE_ERROR, .stopCode = 8}, 8},
    {"asked for a certificate, none to give",
     {.result = CURLE_SSL_CONNECT_ERROR, .certificateRequested = true},
     12044},
    {"certificate sent, server still wants one",
     {.result = CURLE_SSL_CONNECT_ERROR,
      .certificateRequested = true,
      .certificateGiven = true,
      .certificateSent = true,
      .fatalAlert = SSL_AD_HANDSHAKE_FAILURE},
     12044},
    {"certificate sent, its CA refused",
     {.result = CURLE_RECV_ERROR,
      .certificateRequested = true,
      .certificateGiven = true,
      .certificateSent = true,
      .fatalAlert = SSL_AD_UNKNOWN_CA},
     12045},
    {"certificate sent, an unrelated alert",
     {.result = CURLE_SSL_CONNECT_ERROR,
      .certificateGiven = true,
      .certificateSent = true,
      .fatalAlert = SSL_AD_INTERNAL_ERROR},
     12157},
    {"an alert without a certificate sent",
     {.result = CURLE_SSL_CONNECT_ERROR, .certificateGiven = true, .fatalAlert = SSL_AD_UNKNOWN_CA},
     12157},
    {"server chain of an unknown authority",
     {.result = CURLE_PEER_FAILED_VERIFICATION,
      .verifyResult = X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY},
     12045},
    {"expired server certificate",
     {.result = CURLE_PEER_FAILED_VERIFICATION, .verifyResult = X509_V_ERR_CERT_HAS_EXPIRED},
     12037},
    {"server name not in its certificate",
     {.result = CURLE_PEER_FAILED_VERIFICATION, .verifyResult = X509_V_ERR_HOSTNAME_MISMATCH},
     12169},
    {"no such host", {.result = CURLE_COULDNT_RESOLVE_HOST}, 12007},
    {"nobody listening", {.result = CURLE_COULDNT_CONNECT}, 12029},
    {"connect time-out", {.result = CURLE_OPERATION_TIMEDOUT}, 12002},
    {"closed before the answer was complete", {.result = CURLE_PARTIAL_FILE}, 12030},
    {"connection broken", {.result = CURLE_RECV_ERROR}, 12031},
    {"not an HTTP answer", {.result = CURLE_WEIRD_SERVER_REPLY}, 12152},
    {"redirect loop", {.result = CURLE_TOO_MANY_REDIRECTS}, 12156},
    {"not http or https", {.result = CURLE_UNSUPPORTED_PROTOCOL}, 12006},
    {"anything else", {.result = CURLE_FILESIZE_EXCEEDED}, 12004},
};

}  // namespace

TEST(FailureMapping, EachFailureHasTheWindowsNumber) {
    for (const Case& c : kCases) {
        EXPECT_EQ(inet::MapTransferFailure(c.evidence), c.code) << c.what;
    }
}
