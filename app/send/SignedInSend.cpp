#include "app/send/SignedInSend.h"

#include "net/TokenRenewal.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {

void ConnectAndSend(TIdSMTP& smtp, TIdMessage& message, int connectTimeoutMs,
                    const TAccessTokenSource& tokens) {
    if (!tokens || smtp.AuthenticationType() != TAuthenticationType::atXOAuth2) {
        smtp.OpenConnection(connectTimeoutMs);
        smtp.SendMail(message);
        return;
    }
    const auto cancelled = [&smtp] { return smtp.Interrupted(); };
    smtp.AccessToken = tokens(false, cancelled);
    smtp.OpenConnection(connectTimeoutMs);
    SendMailRenewingToken(smtp, message, connectTimeoutMs, [&] { return tokens(true, cancelled); });
}

}  // namespace quillory
