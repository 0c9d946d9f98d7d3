#pragma once

#include <string>
#include <string_view>

#include "mail/IdException.h"

namespace quillory {

// The system's random source could not give the bytes a secret needs.
class ERandomSourceFailed : public EIdException {
public:
    ERandomSourceFailed() : EIdException("The system's random number source failed") {}
};

// Proof Key for Code Exchange (RFC 7636) with the S256 method: the verifier stays with the program
// until the code is exchanged for tokens, the challenge goes with the authorization request.
struct TPkce {
    // 32 random bytes in base64url without padding: 43 characters, the length RFC 7636 §4.1
    // recommends (it allows 43 to 128 of [A-Za-z0-9-._~]).
    std::string verifier;
    // BASE64URL(SHA256(verifier)), RFC 7636 §4.2.
    std::string challenge;
};

// A new verifier from the cryptographic random source (OpenSSL RAND_bytes) and its challenge.
// Raises ERandomSourceFailed when the source cannot give the bytes.
TPkce MakePkce();
std::string PkceChallenge(std::string_view verifier);

// A new value for the "state" of an authorization request (RFC 6749 §10.12): 16 random bytes in
// base64url, 22 characters, which the redirect must bring back unchanged.
std::string MakeOAuthState();

// `count` bytes from the cryptographic random source; ERandomSourceFailed when it fails.
std::string RandomBytes(std::size_t count);

}  // namespace quillory
