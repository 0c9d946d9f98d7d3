// The pure pieces of the Microsoft sign-in: base64url, PKCE S256 and the state, the JSON reader,
// the token endpoint's replies and the browser's request to the loopback redirect.
#include <gtest/gtest.h>

#include <set>

#include "net/oauth/Base64Url.h"
#include "net/oauth/Json.h"
#include "net/oauth/LoopbackRequest.h"
#include "net/oauth/OAuthTokenReply.h"
#include "net/oauth/Pkce.h"

namespace quillory {
namespace {

using namespace std::string_literals;

TEST(Base64UrlTest, EncodesWithoutPaddingAndDecodesEitherForm) {
    struct Row {
        std::string bytes;
        const char* text;
    };
    const Row rows[] = {
        {"", ""},
        {"f", "Zg"},
        {"fo", "Zm8"},
        {"foo", "Zm9v"},
        {"\xfb\xff\xbf"s, "-_-_"},  // the two characters that differ from RFC 4648 §4
        {"\0\0"s, "AAA"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(EncodeBase64Url(row.bytes), row.text);
        EXPECT_EQ(DecodeBase64Url(row.text), row.bytes);
    }
    EXPECT_EQ(DecodeBase64Url("Zg=="), "f");
    EXPECT_EQ(DecodeBase64Url("Zm8="), "fo");
    for (const char* bad : {"Z", "Zm9vY", "Zm+v", "Zm/v", "Z=g=", "Zm 9v", "Zm9v===="}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(DecodeBase64Url(bad).has_value());
    }
}

TEST(PkceTest, ChallengeOfTheRfc7636Example) {
    // RFC 7636 Appendix B.
    EXPECT_EQ(PkceChallenge("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
              "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
}

TEST(PkceTest, VerifiersAndStatesAreFreshUnreservedTextsOfTheirLength) {
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const TPkce pkce = MakePkce();
        ASSERT_EQ(pkce.verifier.size(), 43u);
        EXPECT_EQ(pkce.verifier.find_first_not_of(
                      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~"),
                  std::string::npos);
        EXPECT_EQ(pkce.challenge, PkceChallenge(pkce.verifier));
        const std::string state = MakeOAuthState();
        EXPECT_EQ(state.size(), 22u);
        EXPECT_TRUE(seen.insert(pkce.verifier).second);
        EXPECT_TRUE(seen.insert(state).second);
    }
}

TEST(JsonTest, ReadsValuesOfEveryKind) {
    const TJsonValue value = ReadJson(
        R"( {"s": "a\"b\\c\/d\n\u00e9\ud83d\ude00", "n": -12.5e+3, "t": true, "f": false, "z": null,
             "a": [1, [], {}], "o": {"x": "y"}} )");
    ASSERT_TRUE(value.IsObject());
    EXPECT_EQ(value.Member("s")->Text(), "a\"b\\c/d\n\xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_EQ(value.Member("n")->Text(), "-12.5e+3");
    EXPECT_TRUE(value.Member("t")->Boolean());
    EXPECT_EQ(value.Member("f")->Kind(), TJsonValue::TKind::Boolean);
    EXPECT_EQ(value.Member("z")->Kind(), TJsonValue::TKind::Null);
    EXPECT_EQ(value.Member("a")->Items().size(), 3u);
    EXPECT_EQ(value.Member("o")->Member("x")->Text(), "y");
    EXPECT_EQ(value.Member("missing"), nullptr);
    EXPECT_EQ(ReadJson("\"\xc5\xbelu\xc5\xa5ou\xc4\x8dk\xc3\xbd\"").Text(),
              "\xc5\xbelu\xc5\xa5ou\xc4\x8dk\xc3\xbd");
}

TEST(JsonTest, RefusesWhatIsNotOneValidValue) {
    const std::string deep = std::string(40, '[') + std::string(40, ']');
    for (const std::string& bad : {""s,
                                   "{"s,
                                   "{\"a\":1,}"s,
                                   "[1 2]"s,
                                   "{\"a\" 1}"s,
                                   "{\"a\":1,\"a\":2}"s,
                                   "01"s,
                                   "1."s,
                                   "-"s,
                                   ".5"s,
                                   "1e"s,
                                   "tru"s,
                                   "nul"s,
                                   "\"abc"s,
                                   "\"a\nb\""s,
                                   "\"\\x\""s,
                                   "\"\\u12\""s,
                                   "\"\\ud800\""s,
                                   "\"\\udc00\""s,
                                   "\"\\ud800\\u0041\""s,
                                   "\"\xc0\xaf\""s,
                                   "\"\xed\xa0\x80\""s,
                                   "\"\xf4\x90\x80\x80\""s,
                                   "\"\xc3\""s,
                                   "{} {}"s,
                                   "'a'"s,
                                   deep}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ReadJson(bad), EJsonError);
    }
    EXPECT_NO_THROW(ReadJson(std::string(32, '[') + std::string(32, ']')));
    EXPECT_THROW(ReadJson("[" + std::string(300 * 1024, ' ') + "]"), EJsonError);
}

// A JSON Web Token whose payload is `claims` (header and signature do not matter here).
std::string IdToken(const std::string& claims) {
    return EncodeBase64Url(R"({"alg":"RS256"})") + "." + EncodeBase64Url(claims) + ".c2ln";
}

TEST(OAuthTokenReplyTest, AGrantGivesTokensLifetimeAndWhoSignedIn) {
    const std::string body =
        R"({"token_type":"Bearer","scope":"https://outlook.office.com/SMTP.Send",
        "expires_in":3599,"ext_expires_in":3599,"access_token":"EwBwA+l3BAAU/x.y_z~9==",
        "refresh_token":"M.C5_BAY.0.U.-Cq!x*","id_token":")" +
        IdToken(R"({"preferred_username":"jana@firma.cz","email":"jana.novakova@firma.cz"})") + "\"}";
    const TOAuthTokenReply reply = ReadOAuthTokenReply(body);
    EXPECT_FALSE(reply.IsError());
    EXPECT_EQ(reply.accessToken, "EwBwA+l3BAAU/x.y_z~9==");
    EXPECT_EQ(reply.refreshToken, "M.C5_BAY.0.U.-Cq!x*");
    EXPECT_EQ(reply.expiresIn, 3599);
    EXPECT_EQ(reply.scope, "https://outlook.office.com/SMTP.Send");
    EXPECT_EQ(reply.signedInAddress, "jana.novakova@firma.cz");  // "email" before the user name
}

TEST(OAuthTokenReplyTest, LifetimeAndAddressWhereTheyCanBeRead) {
    struct Row {
        const char* name;
        std::string extra;
        std::optional<std::int64_t> expiresIn;
        std::string address;
    };
    const Row rows[] = {
        {"no lifetime, no id token", "", std::nullopt, ""},
        {"lifetime as text", R"(,"expires_in":"3600")", 3600, ""},
        {"negative lifetime", R"(,"expires_in":-5)", std::nullopt, ""},
        {"fractional lifetime", R"(,"expires_in":1.5)", std::nullopt, ""},
        {"huge lifetime is capped", R"(,"expires_in":999999999999)", 10LL * 366 * 24 * 3600, ""},
        {"user name only", R"(,"id_token":")" + IdToken(R"({"preferred_username":"petr@live.com"})") + "\"",
         std::nullopt, "petr@live.com"},
        {"email not a text",
         R"(,"id_token":")" + IdToken(R"({"email":7,"preferred_username":"a@b.cz"})") + "\"", std::nullopt,
         "a@b.cz"},
        {"control character in the claim", R"(,"id_token":")" + IdToken(R"({"email":"a@b.cz\r\nX"})") + "\"",
         std::nullopt, ""},
        {"id token of two parts", R"(,"id_token":"abc.def")", std::nullopt, ""},
        {"payload not base64url", R"(,"id_token":"a.b*c.d")", std::nullopt, ""},
        {"payload not JSON", R"(,"id_token":")" + IdToken("not json") + "\"", std::nullopt, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TOAuthTokenReply reply =
            ReadOAuthTokenReply(R"({"access_token":"at","token_type":"bearer")" + row.extra + "}");
        EXPECT_EQ(reply.expiresIn, row.expiresIn);
        EXPECT_EQ(reply.signedInAddress, row.address);
    }
}

TEST(OAuthTokenReplyTest, AnErrorReplyKeepsItsCodeAndAPrintableDescription) {
    const TOAuthTokenReply reply = ReadOAuthTokenReply(
        R"({"error":"invalid_grant","error_description":"AADSTS70000: The grant\r\nwas revoked.\u0007",
            "error_codes":[70000],"access_token":"ignored"})");
    EXPECT_TRUE(reply.IsError());
    EXPECT_EQ(reply.error, "invalid_grant");
    EXPECT_EQ(reply.errorDescription, "AADSTS70000: The grant  was revoked. ");
    EXPECT_EQ(reply.accessToken, "");
    EXPECT_EQ(ReadOAuthTokenReply(R"({"error":"x","error_description":")" + std::string(900, 'd') + "\"}")
                  .errorDescription.size(),
              500u);
}

TEST(OAuthTokenReplyTest, RepliesThatCannotBeUsedAreRefusedWithoutShowingTheirTokens) {
    struct Row {
        const char* name;
        std::string body;
    };
    const Row rows[] = {
        {"not JSON", "<html>Service unavailable</html>"},
        {"not an object", R"(["access_token"])"},
        {"no access token", R"({"token_type":"Bearer"})"},
        {"empty access token", R"({"access_token":"","token_type":"Bearer"})"},
        {"no token type", R"({"access_token":"secret-at"})"},
        {"another token type", R"({"access_token":"secret-at","token_type":"mac"})"},
        {"access token with a blank", R"({"access_token":"secret at","token_type":"Bearer"})"},
        {"access token with ^A", R"({"access_token":"secret\u0001auth=x","token_type":"Bearer"})"},
        {"refresh token with a line break",
         R"({"access_token":"secret-at","token_type":"Bearer","refresh_token":"secret\nrt"})"},
        {"error code not a text", R"({"error":5})"},
        {"error code with a quote", R"({"error":"a\"b"})"},
        {"access token twice",
         R"({"access_token":"secret-at","access_token":"secret-at","token_type":"Bearer"})"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            ReadOAuthTokenReply(row.body);
            ADD_FAILURE() << "read";
        } catch (const EOAuthReplyError& error) {
            EXPECT_EQ(error.Message().find("secret"), std::string::npos) << error.Message();
        }
    }
}

TEST(LoopbackRequestTest, TheBrowsersRedirectGivesCodeAndState) {
    const std::string request =
        "GET /?code=M.C5_BAY.2%2F3%2B4&state=Zq3v+x%C3%A9&session_state=abc HTTP/1.1\r\n"
        "Host: 127.0.0.1:53682\r\n"
        "User-Agent:  Mozilla/5.0 (X11)\t\r\n"
        "Accept: text/html\r\n\r\n";
    const auto parsed = ReadLoopbackRequest(request);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->method, "GET");
    EXPECT_EQ(parsed->path, "/");
    EXPECT_EQ(parsed->Parameter("code"), "M.C5_BAY.2/3+4");
    EXPECT_EQ(parsed->Parameter("state"), "Zq3v x\xc3\xa9");
    EXPECT_FALSE(parsed->Parameter("error").has_value());
    ASSERT_EQ(parsed->headers.size(), 3u);
    EXPECT_EQ(parsed->headers[0], (std::pair<std::string, std::string>{"host", "127.0.0.1:53682"}));
    EXPECT_EQ(parsed->headers[1].second, "Mozilla/5.0 (X11)");
}

TEST(LoopbackRequestTest, WaitsForTheWholeHeadThenReadsItInAnyCut) {
    const std::string request = "GET /favicon.ico HTTP/1.0\nHost: x\n\n";
    for (std::size_t cut = 0; cut < request.size(); ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_FALSE(ReadLoopbackRequest(request.substr(0, cut)).has_value());
    }
    const auto parsed = ReadLoopbackRequest(request + "body after the head");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->path, "/favicon.ico");
    EXPECT_TRUE(parsed->query.empty());
    EXPECT_EQ(ReadLoopbackRequest("GET /?error=access_denied&error_description=The+user+said+no&state= "
                                  "HTTP/1.1\r\n\r\n")
                  ->Parameter("error_description"),
              "The user said no");
}

TEST(LoopbackRequestTest, RefusesWhatNoBrowserSendsAndEverythingPastItsBounds) {
    const TLoopbackRequestLimits small{.maxRequestLine = 64, .maxHeaderBytes = 128, .maxHeaders = 3};
    struct Row {
        const char* name;
        std::string received;
    };
    const Row rows[] = {
        {"no request line", "\r\n\r\n"},
        {"no version", "GET /\r\n\r\n"},
        {"another protocol", "GET / SPDY/3\r\n\r\n"},
        {"absolute target", "GET http://127.0.0.1/?code=1 HTTP/1.1\r\n\r\n"},
        {"code given twice", "GET /?code=1&state=s&code=2 HTTP/1.1\r\n\r\n"},
        {"bad escape", "GET /?code=%4 HTTP/1.1\r\n\r\n"},
        {"escaped NUL", "GET /?code=a%00b HTTP/1.1\r\n\r\n"},
        {"control character in the target", "GET /?code=a\x01 HTTP/1.1\r\n\r\n"},
        {"folded header", "GET / HTTP/1.1\r\nHost: x\r\n continued\r\n\r\n"},
        {"header without a name", "GET / HTTP/1.1\r\n: x\r\n\r\n"},
        {"control character in a value", "GET / HTTP/1.1\r\nHost: a\x7f\r\n\r\n"},
        {"request line too long, head unfinished", "GET /?code=" + std::string(60, 'c')},
        {"head too long, unfinished", "GET / HTTP/1.1\r\n" + std::string(130, 'h')},
        {"too many headers", "GET / HTTP/1.1\r\na: 1\r\nb: 2\r\nc: 3\r\nd: 4\r\n\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_THROW(ReadLoopbackRequest(row.received, small), ELoopbackRequestError);
    }
    EXPECT_TRUE(ReadLoopbackRequest("GET / HTTP/1.1\r\na: 1\r\nb: 2\r\nc: 3\r\n\r\n", small).has_value());
}

TEST(PercentEncodingTest, EncodesAllButTheUnreservedCharacters) {
    EXPECT_EQ(PercentEncode("https://outlook.office.com/SMTP.Send offline_access"),
              "https%3A%2F%2Foutlook.office.com%2FSMTP.Send%20offline_access");
    EXPECT_EQ(PercentEncode("a-b._~\xc3\xa9"), "a-b._~%C3%A9");
    EXPECT_EQ(PercentDecode(PercentEncode("x+y z/\xc3\xa9"), true), "x+y z/\xc3\xa9");
}

}  // namespace
}  // namespace quillory
