#include "net/TokenRenewal.h"

#include "core/FirstError.h"
#include "net/IdSMTP.h"

namespace quillory {

void SendMailRenewingToken(TIdSMTP& smtp, TIdMessage& message, int connectTimeoutMs,
                           const TRenewAccessToken& renew) {
    if (smtp.AuthenticationType() != TAuthenticationType::atXOAuth2 || !renew) {
        smtp.SendMail(message);
        return;
    }
    try {
        smtp.SendMail(message);
        return;
    } catch (const EIdSMTPLoginRefused&) {
        // The token may have been revoked or have expired early: one more try with a new one.
    }
    smtp.AccessToken = renew();
    // A new connection: a server may close one after a failed login, and a close it began
    // would only show at the next read.
    TFirstError ignored;  // the goodbye of the refused session does not matter
    ignored.Run([&smtp] {
        if (smtp.Connected()) smtp.CloseConnection();
    });
    smtp.OpenConnection(connectTimeoutMs);
    smtp.SendMail(message);
}

}  // namespace quillory
