#include "net/TokenRenewal.h"

#include "core/FirstError.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/IdSMTP.h"

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

void OpenImapRenewingToken(ImapClient& imap, const std::string& user, const TAccessToken& token,
                           int connectTimeoutMs) {
    std::string accessToken = token(false);
    imap.OpenConnection(connectTimeoutMs);
    try {
        imap.AuthenticateXOAuth2(user, accessToken);
        return;
    } catch (const EImapTokenRefused&) {
        // The token may have been revoked or have expired early: one more try with a new one.
    }
    accessToken = token(true);
    TFirstError ignored;  // the goodbye of the refused session does not matter
    ignored.Run([&imap] {
        if (imap.IsConnected()) imap.Logout();
    });
    imap.OpenConnection(connectTimeoutMs);
    imap.AuthenticateXOAuth2(user, accessToken);
}

}  // namespace quillory
