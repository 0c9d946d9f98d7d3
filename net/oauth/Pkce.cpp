#include "net/oauth/Pkce.h"

#include <openssl/rand.h>
#include <openssl/sha.h>

#include <climits>

#include "net/oauth/Base64Url.h"

namespace quillory {

std::string RandomBytes(std::size_t count) {
    std::string bytes(count, '\0');
    if (count > INT_MAX ||
        RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1)
        throw ERandomSourceFailed();
    return bytes;
}

std::string PkceChallenge(std::string_view verifier) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(verifier.data()), verifier.size(), digest);
    return EncodeBase64Url(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
}

TPkce MakePkce() {
    TPkce pkce;
    pkce.verifier = EncodeBase64Url(RandomBytes(32));
    pkce.challenge = PkceChallenge(pkce.verifier);
    return pkce;
}

std::string MakeOAuthState() { return EncodeBase64Url(RandomBytes(16)); }

}  // namespace quillory
