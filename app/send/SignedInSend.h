#pragma once

#include <functional>
#include <string>

namespace quillory {

class TIdMessage;
class TIdSMTP;

// Gives the signed-in account's access token to the send thread: a fresh one, or with `renew` a
// new one; raises the sign-in's error when there is none, EIdOperationCancelled once `cancelled`
// says so (MicrosoftTokens::ForWorker).
using TAccessTokenSource = std::function<std::string(bool renew, const std::function<bool()>& cancelled)>;

// The send worker's connect and send. For an account that logs in with a token (`tokens` set and
// the client set up for XOAUTH2) the token is fetched before the connection opens, so a sign-in
// that must be repeated sends nothing; a token the server refuses is renewed once and the
// transaction run again (SendMailRenewingToken). Otherwise: OpenConnection, then SendMail.
void ConnectAndSend(TIdSMTP& smtp, TIdMessage& message, int connectTimeoutMs,
                    const TAccessTokenSource& tokens);

}  // namespace quillory
