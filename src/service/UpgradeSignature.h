#pragma once
// The check that a downloaded installer is the maker's: a detached signature over its bytes,
// made with the maker's private key, verified against the public key the deployment carries.

#include <string_view>

// `signature` is base64 text (white space ignored): an Ed25519 signature, or a DER ECDSA
// signature over the SHA-256 of the bytes for a P-256 key. `publicKey` is the base64 of a DER
// SubjectPublicKeyInfo (the body of a "PUBLIC KEY" PEM). False for anything malformed.
bool VerifyUpgradeSignature(std::string_view bytes, std::string_view signature,
                            std::string_view publicKey);
