#pragma once
// How a failed transfer is told to the program: the Windows internet library's error number
// for what libcurl and the TLS exchange reported.

#include <curl/curl.h>
#include <openssl/x509_vfy.h>

#include <cstdint>

namespace inet {

// What a transfer saw as it failed.
struct TransferEvidence {
    CURLcode result = CURLE_OK;
    std::uint32_t stopCode = 0;         // the code a sink stopped the transfer with
    bool certificateRequested = false;  // the server asked for a client certificate
    bool certificateGiven = false;      // the request had one to give
    bool certificateSent = false;       // and it was sent
    int fatalAlert = -1;                // the server's fatal TLS alert, if any
    long verifyResult = X509_V_OK;      // the verdict on the server's chain
};

// The error number of a failed transfer (one whose result is not CURLE_OK, or that a sink
// stopped). What the TLS exchange showed about client certificates comes first:
//   the server asked and we had no certificate (we end the handshake)    -> 12044
//   we sent one and the server ended with handshake_failure or
//   certificate_required: it still wants a (different) certificate       -> 12044
//   we sent one and the server named it bad, unsupported, revoked,
//   expired, unknown, of an unknown CA, denied, or failed its signature  -> 12045
std::uint32_t MapTransferFailure(const TransferEvidence& evidence) noexcept;

}  // namespace inet
