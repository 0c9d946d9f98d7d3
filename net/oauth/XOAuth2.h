#pragma once

#include <string>
#include <string_view>

#include "mail/IdException.h"

namespace quillory {

// A user name or token that the XOAUTH2 initial response cannot carry: a control character would
// end or forge one of its fields.
class EXOAuth2InvalidCredentials : public EIdException {
public:
    explicit EXOAuth2InvalidCredentials(const std::string& what)
        : EIdException("The " + what +
                       " cannot be sent with XOAUTH2: it holds a character the mechanism does not allow") {}
};

// The SASL mechanism XOAUTH2 as the mail providers define it, shared by SMTP (AUTH XOAUTH2) and
// IMAP (AUTHENTICATE XOAUTH2): the client's only message is
//   "user=" address ^A "auth=Bearer " token ^A ^A
// (^A is the byte 0x01), sent base64-encoded as the initial response. When the server refuses the
// token it sends one challenge, a base64 JSON error ({"status":"401",...}); the client answers it
// with an empty response and the server then ends the exchange with its failure reply.
//
// The message before encoding. The address must hold no control character (0x00 to 0x1F, 0x7F);
// the token must be a bearer token (RFC 6750 §2.1: letters, digits, "-._~+/" and trailing "=").
// EXOAuth2InvalidCredentials otherwise, so a token reply from elsewhere cannot forge a field.
std::string XOAuth2Message(std::string_view user, std::string_view accessToken);
// The base64 (RFC 4648 §4) of XOAuth2Message: the initial response on the wire.
std::string XOAuth2InitialResponse(std::string_view user, std::string_view accessToken);

// Whether `token` has the form of a bearer token (RFC 6750 §2.1, b64token).
bool IsBearerToken(std::string_view token);

}  // namespace quillory
