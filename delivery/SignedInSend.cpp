#include "delivery/SignedInSend.h"

#include "delivery/TokenRenewal.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {

void OpenSignedIn(TIdSMTP& smtp, int connectTimeoutMs, const TAccessTokenSource& tokens) {
    if (tokens && smtp.AuthenticationType() == TAuthenticationType::atXOAuth2)
        smtp.AccessToken = tokens(false, [&smtp] { return smtp.Interrupted(); });
    smtp.OpenConnection(connectTimeoutMs);
}

void ConnectAndSend(TIdSMTP& smtp, TIdMessage& message, int connectTimeoutMs,
                    const TAccessTokenSource& tokens) {
    OpenSignedIn(smtp, connectTimeoutMs, tokens);
    SendMailRenewingToken(smtp, message, connectTimeoutMs, tokens);
}

}  // namespace quillory
