#pragma once

#include <functional>
#include <string>

namespace quillory {

class ImapClient;
class TIdMessage;
class TIdSMTP;

// Gives a fresh access token after a server refused the one it had, or raises the error that
// says why there is none (the user must sign in again, the sign-in server cannot be reached, the
// send was cancelled meanwhile).
using TRenewAccessToken = std::function<std::string()>;

// One mail transaction as TIdSMTP::SendMail, for an account that signs in with a token: when the
// server refuses the token at the login (nothing of the message is sent by then), `renew` is asked
// for a new one, the connection is closed (QUIT) and the transaction runs once more on a new one,
// opened within `connectTimeoutMs`. A second refusal, like every
// other error, passes out unchanged. Without a token login, or without `renew`, it is SendMail.
void SendMailRenewingToken(TIdSMTP& smtp, TIdMessage& message, int connectTimeoutMs,
                           const TRenewAccessToken& renew);

// The access token of a signed-in account: the current one, or with `renew` a new one after a
// server refused it; raises the error that says why there is none.
using TAccessToken = std::function<std::string(bool renew)>;

// Opens `imap` within `connectTimeoutMs` and logs in as `user` with AUTHENTICATE XOAUTH2. The
// token is asked for before the connection opens, so a sign-in that must be repeated sends
// nothing. When the server refuses it (a NO to AUTHENTICATE) a new one is asked for, and the
// login runs once more on a new connection, the refused one closed. A second refusal, like every
// other error, passes out unchanged.
void OpenImapRenewingToken(ImapClient& imap, const std::string& user, const TAccessToken& token,
                           int connectTimeoutMs);

}  // namespace quillory
