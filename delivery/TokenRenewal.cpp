#include "delivery/TokenRenewal.h"

#include "core/FirstError.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {

void SendMailRenewingToken(TIdSMTP& smtp, TIdMessage& message, int connectTimeoutMs,
                           const TAccessTokenSource& tokens) {
    if (smtp.AuthenticationType() != TAuthenticationType::atXOAuth2 || !tokens) {
        smtp.SendMail(message);
        return;
    }
    try {
        smtp.SendMail(message);
        return;
    } catch (const EIdSMTPLoginRefused&) {
        // The token may have been revoked or have expired early: one more try with a new one.
    }
    smtp.AccessToken = tokens(true, [&smtp] { return smtp.Interrupted(); });
    // A new connection: a server may close one after a failed login, and a close it began
    // would only show at the next read.
    TFirstError ignored;  // the goodbye of the refused session does not matter
    ignored.Run([&smtp] {
        if (smtp.Connected()) smtp.CloseConnection();
    });
    smtp.OpenConnection(connectTimeoutMs);
    smtp.SendMail(message);
}

void OpenImapRenewingToken(ImapClient& imap, const std::string& user, const TAccessTokenSource& tokens,
                           int connectTimeoutMs) {
    const auto cancelled = [&imap] { return imap.Interrupted(); };
    std::string accessToken = tokens(false, cancelled);
    imap.OpenConnection(connectTimeoutMs);
    try {
        imap.AuthenticateXOAuth2(user, accessToken);
        return;
    } catch (const EImapTokenRefused&) {
        // The token may have been revoked or have expired early: one more try with a new one.
    }
    accessToken = tokens(true, cancelled);
    TFirstError ignored;  // the goodbye of the refused session does not matter
    ignored.Run([&imap] {
        if (imap.IsConnected()) imap.Logout();
    });
    imap.OpenConnection(connectTimeoutMs);
    imap.AuthenticateXOAuth2(user, accessToken);
}

}  // namespace quillory
