// The token endpoint's reply as the sign-in reads it: the JSON reader, the reply's fields and the
// ID token's address claim. Reading ends with a reply or one of the system's own errors; a grant
// read has a bearer token that XOAUTH2 can carry, a printable refresh token and a lifetime within
// its bounds; an error reply has a code of RFC 6749 §5.2 and a printable description; an address
// has no control character. A JSON text read once reads the same when read again from its parts.
//
// Input: the body as the server sends it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Exception.h"
#include "net/oauth/Json.h"
#include "net/oauth/OAuthTokenReply.h"
#include "net/oauth/XOAuth2.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

bool Printable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte != 0x7F;
    });
}

void CheckReply(const TOAuthTokenReply& reply) {
    if (reply.IsError()) {
        Check(reply.error.size() <= 100 && Printable(reply.error));
        Check(reply.error.find_first_of("\"\\") == std::string::npos);
        Check(reply.errorDescription.size() <= 500 && Printable(reply.errorDescription));
        Check(reply.accessToken.empty() && reply.refreshToken.empty());
        return;
    }
    Check(IsBearerToken(reply.accessToken));
    // Whatever the server sent, the XOAUTH2 message built from it has exactly its three fields.
    const std::string message = XOAuth2Message("jana@firma.cz", reply.accessToken);
    Check(std::count(message.begin(), message.end(), '\x01') == 3);
    Check(std::all_of(reply.refreshToken.begin(), reply.refreshToken.end(),
                      [](char c) { return c >= 0x20 && c <= 0x7E; }));
    if (reply.expiresIn) Check(*reply.expiresIn >= 0 && *reply.expiresIn <= 10LL * 366 * 24 * 3600);
    Check(reply.scope.size() <= 500 && Printable(reply.scope));
    Check(reply.signedInAddress.size() <= 320 && Printable(reply.signedInAddress));
}

// Every member of an object and item of an array is itself a value the reader takes alone when
// written back out (strings and numbers as texts).
void CheckValue(const TJsonValue& value, int depth) {
    Check(depth <= 33);
    switch (value.Kind()) {
    case TJsonValue::TKind::Number: {
        const TJsonValue again = ReadJson(value.Text());
        Check(again.IsNumber() && again.Text() == value.Text());
        break;
    }
    case TJsonValue::TKind::Array:
        for (const TJsonValue& item : value.Items()) CheckValue(item, depth + 1);
        break;
    case TJsonValue::TKind::Object:
        for (const auto& [name, member] : value.Members()) CheckValue(member, depth + 1);
        break;
    default:
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    try {
        CheckValue(ReadJson(body), 0);
    } catch (const EJsonError&) {}
    try {
        CheckReply(ReadOAuthTokenReply(body));
    } catch (const EOAuthReplyError&) {}
    const std::string address = AddressOfIdToken(body);
    Check(address.size() <= 320 && Printable(address));
    return 0;
}
