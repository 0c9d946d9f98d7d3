#include "delivery/SentCopyAccount.h"

#include "core/TextCase.h"
#include "core/TextTrim.h"
#include "delivery/TokenRenewal.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/SmtpAccount.h"
#include "net/transport/ServerAddress.h"

namespace quillory {

TImapLogin SentCopyLogin(const TSmtpAccount& account) {
    if (account.sentCopy.ownLogin) return {account.sentCopy.login, account.sentCopy.password};
    if (account.oauth.method == TLoginMethod::Microsoft) return {account.oauth.address, {}, true};
    if (account.authenticate) return {account.login, account.password};
    return {};
}

void OpenMailbox(ImapClient& client, const TImapLogin& login, const TAccessTokenSource& tokens,
                 int connectTimeoutMs) {
    if (!login.withToken) {
        client.OpenConnection(connectTimeoutMs);
        client.Login(login.user, login.password);
        return;
    }
    if (!tokens) throw EIdException("The account signs in with Microsoft, but no sign-in is at hand");
    OpenImapRenewingToken(client, login.user, tokens, connectTimeoutMs);
}

void OpenSentCopyMailbox(ImapClient& client, const TSmtpAccount& account, const TAccessTokenSource& tokens) {
    OpenMailbox(client, SentCopyLogin(account), tokens, account.connectTimeoutMs);
}

void ApplySentCopyAccount(ImapClient& client, const TSmtpAccount& account) {
    if (Trim(account.sentCopy.server).empty()) throw EServerAddressError("No IMAP server is set");
    const TServerAddress server = ParseServerAddress(Trim(account.sentCopy.server), kImapPort);
    client.Host = server.host;
    client.Port = server.port;
    client.Security = server.port == kImapsPort ? TImapSecurity::ImplicitTLS : TImapSecurity::StartTLS;
    client.ReadTimeout = account.readTimeoutMs;
    client.ReplyTimeLimit = account.replyTimeLimitMs;
}

bool ProviderFilesSentCopy(const std::string& smtpServer) {
    std::string host;
    try {
        host = UpperCase(ParseServerAddress(Trim(smtpServer)).host);
    } catch (const EServerAddressError&) {
        return false;
    }
    while (!host.empty() && host.back() == '.') host.pop_back();
    return host == "SMTP.GMAIL.COM" || host == "SMTP.OFFICE365.COM" || host == "SMTP-MAIL.OUTLOOK.COM";
}

}  // namespace quillory
