#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "mail/IdException.h"

namespace quillory {

// A reply of the token endpoint that is neither a usable grant nor an error reply. The message
// says what is wrong, never what the reply holds (it may hold a token).
class EOAuthReplyError : public EIdException {
public:
    explicit EOAuthReplyError(const std::string& why)
        : EIdException("The sign-in server's reply cannot be used: " + why) {}
};

// What the token endpoint answered (RFC 6749 §5.1 and §5.2), read by ReadOAuthTokenReply.
struct TOAuthTokenReply {
    // An error reply: its code ("invalid_grant", "access_denied", ...) and description. The code
    // holds only the characters RFC 6749 §5.2 allows; the description has any control character
    // replaced by a blank and is cut to 500 bytes, since it reaches the user.
    std::string error;
    std::string errorDescription;

    // A grant: the access token (a bearer token, RFC 6750 §2.1), its lifetime in seconds when the
    // reply gave one (0 to ten years), the refresh token when one was issued, and the scopes.
    std::string accessToken;
    std::optional<std::int64_t> expiresIn;
    std::string refreshToken;
    std::string scope;
    // Who signed in, from the ID token's claims (OpenID Connect Core §5.1): "email", else
    // "preferred_username"; empty without an ID token or when it cannot be read. Only shown and
    // sent as the XOAUTH2 user name, so its signature is not checked: the token came straight from
    // the token endpoint over TLS (OpenID Connect Core §3.1.3.7, point 6).
    std::string signedInAddress;

    bool IsError() const { return !error.empty(); }
};

// Reads the JSON body of a token endpoint's reply, whatever its HTTP status. A reply with an
// "error" member is an error reply; any other must carry an access token of type Bearer, else
// EOAuthReplyError (also for a body that is not a JSON object, a token with characters a bearer
// token cannot have, a refresh token outside the printable ASCII of RFC 6749 Appendix A.17).
TOAuthTokenReply ReadOAuthTokenReply(std::string_view body);

// The address claim ("email", else "preferred_username") of a JSON Web Token's payload; empty
// when the token has not three parts, its payload is not base64url JSON, or neither claim is a
// text without control characters.
std::string AddressOfIdToken(std::string_view idToken);

}  // namespace quillory
