#include "net/smtp/SmtpAccount.h"

#include "net/transport/ServerAddress.h"

namespace quillory {

namespace {

// The submission port that speaks TLS from the first byte.
constexpr int kImplicitTLSPort = 465;

}  // namespace

void TIdSMTP::Apply(const TSmtpAccount& account) {
    // Parsed first: a server text that does not parse leaves the client as it was.
    const TServerAddress server = ParseServerAddress(account.server);
    Host = server.host;
    Port = server.port;
    // On any port but 465 the connection is secured with STARTTLS whenever the server offers it.
    Security =
        server.port == kImplicitTLSPort ? TSmtpSecurity::ImplicitTLS : TSmtpSecurity::StartTLSWhenOffered;
    SetAuthenticationType(account.authenticate ? TAuthenticationType::atLogin : TAuthenticationType::atNone);
    Username = account.authenticate ? account.login : std::string();
    Password = account.authenticate ? account.password : std::string();
    AccessToken.clear();
    // A Microsoft account always logs in, with its token (set before the send) and its address.
    if (account.oauth.method == TLoginMethod::Microsoft) {
        SetAuthenticationType(TAuthenticationType::atXOAuth2);
        Username = account.oauth.address;
        Password.clear();
    }
    ReadTimeout = account.readTimeoutMs;
    ReplyTimeLimit = account.replyTimeLimitMs;
}

}  // namespace quillory
