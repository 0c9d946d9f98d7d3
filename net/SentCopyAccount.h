#pragma once

#include <string>

namespace quillory {

class ImapClient;
struct TSmtpAccount;

// The port of an incoming server typed without one, and the one that speaks TLS from the first byte.
inline constexpr int kImapPort = 143;
inline constexpr int kImapsPort = 993;

// The name and password the IMAP server is given: its own when the account has them, else the
// SMTP login's (and none when the SMTP server takes no login either).
struct TImapLogin {
    std::string user;
    std::string password;
};
TImapLogin SentCopyLogin(const TSmtpAccount& account);

// Sets up `client` for the account's sent copy: Host and Port from the IMAP server text (port 143
// when none is typed), TLS from the first byte on port 993 and STARTTLS on every other port, and
// the SMTP session's time limits. Raises EServerAddressError, changing nothing, for a server text
// that does not parse, and for an empty one.
void ApplySentCopyAccount(ImapClient& client, const TSmtpAccount& account);

// Whether the outgoing server belongs to a provider that files a copy of every sent message in
// the Sent folder itself (a second copy would be a duplicate): smtp.gmail.com, smtp.office365.com,
// smtp-mail.outlook.com, with or without a port.
bool ProviderFilesSentCopy(const std::string& smtpServer);

}  // namespace quillory
