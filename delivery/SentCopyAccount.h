#pragma once

#include <string>

#include "delivery/AccessTokenSource.h"

namespace quillory {

class ImapClient;
struct TSmtpAccount;

// The port of an incoming server typed without one, and the one that speaks TLS from the first byte.
inline constexpr int kImapPort = 143;
inline constexpr int kImapsPort = 993;

// The login the IMAP server is given: its own name and password when the account has them; else
// for an account signed in with Microsoft its address and the access token (`withToken`, no
// password); else the SMTP login's name and password (none when the SMTP server takes no login).
struct TImapLogin {
    std::string user;
    std::string password;
    bool withToken = false;
};
TImapLogin SentCopyLogin(const TSmtpAccount& account);

// Sets up `client` for the account's sent copy: Host and Port from the IMAP server text (port 143
// when none is typed), TLS from the first byte on port 993 and STARTTLS on every other port, and
// the SMTP session's time limits. Raises EServerAddressError, changing nothing, for a server text
// that does not parse, and for an empty one.
void ApplySentCopyAccount(ImapClient& client, const TSmtpAccount& account);

// Opens `client` within `connectTimeoutMs` and logs in: with a password through Login, or as
// `login.user` with the access token `tokens` give through OpenImapRenewingToken (a refused token
// renewed once). A login with a token and no `tokens` raises EIdException, with nothing sent.
void OpenMailbox(ImapClient& client, const TImapLogin& login, const TAccessTokenSource& tokens,
                 int connectTimeoutMs);

// Opens `client`, set up by ApplySentCopyAccount, within the account's connect limit and logs in
// as SentCopyLogin says: with a password through Login, or with the access token `tokens` give
// through OpenImapRenewingToken (a refused token renewed once). An account that logs in with a
// token and is given none raises EIdException, with nothing sent.
void OpenSentCopyMailbox(ImapClient& client, const TSmtpAccount& account, const TAccessTokenSource& tokens);

// Whether the outgoing server belongs to a provider that files a copy of every sent message in
// the Sent folder itself (a second copy would be a duplicate): smtp.gmail.com, smtp.office365.com,
// smtp-mail.outlook.com, with or without a port.
bool ProviderFilesSentCopy(const std::string& smtpServer);

}  // namespace quillory
