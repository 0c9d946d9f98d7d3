#include "net/oauth/XOAuth2.h"

#include "mail/IdCoder3to4.h"

namespace quillory {

bool IsBearerToken(std::string_view token) {
    // b64token = 1*( ALPHA / DIGIT / "-" / "." / "_" / "~" / "+" / "/" ) *"="
    std::size_t i = 0;
    while (i < token.size()) {
        const char c = token[i];
        const bool letterOrDigit = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '-' && c != '.' && c != '_' && c != '~' && c != '+' && c != '/') break;
        ++i;
    }
    if (i == 0) return false;
    while (i < token.size() && token[i] == '=') ++i;
    return i == token.size();
}

std::string XOAuth2Message(std::string_view user, std::string_view accessToken) {
    for (const char c : user) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) throw EXOAuth2InvalidCredentials("address");
    }
    if (!IsBearerToken(accessToken)) throw EXOAuth2InvalidCredentials("access token");
    std::string message = "user=";
    message.append(user);
    message +=
        "\x01"
        "auth=Bearer ";
    message.append(accessToken);
    message += "\x01\x01";
    return message;
}

std::string XOAuth2InitialResponse(std::string_view user, std::string_view accessToken) {
    return TIdEncoderMIME().EncodeBytes(XOAuth2Message(user, accessToken));
}

}  // namespace quillory
