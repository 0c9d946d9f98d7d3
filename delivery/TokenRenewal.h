#pragma once

#include <string>

#include "delivery/AccessTokenSource.h"

namespace quillory {

class ImapClient;
class TIdMessage;
class TIdSMTP;

// One mail transaction as TIdSMTP::SendMail, for an account that signs in with a token: when the
// server refuses the token at the login (nothing of the message is sent by then), `tokens` is asked
// for a new one, the connection is closed (QUIT) and the transaction runs once more on a new one,
// opened within `connectTimeoutMs`. A second refusal, like every other error, passes out
// unchanged. Without a token login, or without `tokens`, it is SendMail. The token source is told
// the send is cancelled when the client has been interrupted.
void SendMailRenewingToken(TIdSMTP& smtp, TIdMessage& message, int connectTimeoutMs,
                           const TAccessTokenSource& tokens);

// Opens `imap` within `connectTimeoutMs` and logs in as `user` with AUTHENTICATE XOAUTH2. The
// token is asked for before the connection opens, so a sign-in that must be repeated sends
// nothing. When the server refuses it (a NO to AUTHENTICATE) a new one is asked for, and the
// login runs once more on a new connection, the refused one closed. A second refusal, like every
// other error, passes out unchanged.
void OpenImapRenewingToken(ImapClient& imap, const std::string& user, const TAccessTokenSource& tokens,
                           int connectTimeoutMs);

}  // namespace quillory
