#include "net/oauth/OAuthTokenReply.h"

#include <algorithm>

#include "core/TextCase.h"
#include "net/oauth/Base64Url.h"
#include "net/oauth/Json.h"
#include "net/oauth/XOAuth2.h"

namespace quillory {

namespace {

constexpr std::size_t kMaxReplyBytes = 256 * 1024;
constexpr std::size_t kMaxDescriptionBytes = 500;
constexpr std::int64_t kMaxLifetimeSeconds = 10LL * 366 * 24 * 3600;

const std::string* StringMember(const TJsonValue& object, std::string_view name) {
    const TJsonValue* member = object.Member(name);
    return member != nullptr && member->IsString() ? &member->Text() : nullptr;
}

bool Within(std::string_view text, unsigned char low, unsigned char high) {
    return std::all_of(text.begin(), text.end(), [&](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= low && byte <= high;
    });
}

// expires_in is a number of seconds (RFC 6749 §5.1); some servers send it as a text of digits.
std::optional<std::int64_t> Lifetime(const TJsonValue* member) {
    if (member == nullptr || !(member->IsNumber() || member->IsString())) return std::nullopt;
    const std::string& text = member->Text();
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::min<std::int64_t>(std::stoll(text), kMaxLifetimeSeconds);
}

std::string Printable(const std::string& text) {
    std::string out = text.substr(0, kMaxDescriptionBytes);
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = ' ';
    }
    return out;
}

}  // namespace

std::string AddressOfIdToken(std::string_view idToken) {
    const std::size_t first = idToken.find('.');
    if (first == std::string_view::npos) return {};
    const std::size_t second = idToken.find('.', first + 1);
    if (second == std::string_view::npos || idToken.find('.', second + 1) != std::string_view::npos)
        return {};
    const std::optional<std::string> payload = DecodeBase64Url(idToken.substr(first + 1, second - first - 1));
    if (!payload) return {};
    try {
        const TJsonValue claims = ReadJson(*payload, kMaxReplyBytes);
        if (!claims.IsObject()) return {};
        for (const char* name : {"email", "preferred_username"}) {
            const std::string* address = StringMember(claims, name);
            if (address != nullptr && !address->empty() && address->size() <= 320 &&
                std::none_of(address->begin(), address->end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
                return *address;
        }
    } catch (const EJsonError&) {}
    return {};
}

TOAuthTokenReply ReadOAuthTokenReply(std::string_view body) {
    TJsonValue json;
    try {
        json = ReadJson(body, kMaxReplyBytes);
    } catch (const EJsonError& error) {
        throw EOAuthReplyError(error.Message());
    }
    if (!json.IsObject()) throw EOAuthReplyError("it is not a JSON object");

    TOAuthTokenReply reply;
    if (const TJsonValue* error = json.Member("error")) {
        // RFC 6749 §5.2: error = 1*NQSCHAR (%x20-21 / %x23-5B / %x5D-7E).
        if (!error->IsString() || error->Text().empty() || !Within(error->Text(), 0x20, 0x7E) ||
            error->Text().find_first_of("\"\\") != std::string::npos)
            throw EOAuthReplyError("its error code is not a valid code");
        reply.error = error->Text().substr(0, 100);
        if (const std::string* description = StringMember(json, "error_description"))
            reply.errorDescription = Printable(*description);
        return reply;
    }

    const std::string* accessToken = StringMember(json, "access_token");
    if (accessToken == nullptr || accessToken->empty()) throw EOAuthReplyError("it has no access token");
    if (!IsBearerToken(*accessToken)) throw EOAuthReplyError("its access token has characters no token has");
    const std::string* tokenType = StringMember(json, "token_type");
    if (tokenType == nullptr || !SameText(*tokenType, "Bearer"))
        throw EOAuthReplyError("its token is not a bearer token");
    reply.accessToken = *accessToken;
    reply.expiresIn = Lifetime(json.Member("expires_in"));
    if (const std::string* refreshToken = StringMember(json, "refresh_token")) {
        // RFC 6749 Appendix A.17: refresh-token = 1*VSCHAR (%x20-7E).
        if (refreshToken->empty() || !Within(*refreshToken, 0x20, 0x7E))
            throw EOAuthReplyError("its refresh token has characters no token has");
        reply.refreshToken = *refreshToken;
    }
    if (const std::string* scope = StringMember(json, "scope")) reply.scope = Printable(*scope);
    if (const std::string* idToken = StringMember(json, "id_token"))
        reply.signedInAddress = AddressOfIdToken(*idToken);
    return reply;
}

}  // namespace quillory
