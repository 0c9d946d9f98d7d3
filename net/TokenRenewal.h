#pragma once

#include <functional>
#include <string>

namespace quillory {

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

}  // namespace quillory
