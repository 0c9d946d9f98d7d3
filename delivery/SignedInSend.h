#pragma once

#include "delivery/AccessTokenSource.h"

namespace quillory {

class TIdMessage;
class TIdSMTP;

// Opens `smtp` within `connectTimeoutMs`. For an account that logs in with a token (`tokens` set
// and the client set up for XOAUTH2) the token is fetched first, so a sign-in that must be repeated
// sends nothing.
void OpenSignedIn(TIdSMTP& smtp, int connectTimeoutMs, const TAccessTokenSource& tokens);

// The connect and send of one message: OpenSignedIn, then the transaction, a token the server
// refuses renewed once and the transaction run again (SendMailRenewingToken).
void ConnectAndSend(TIdSMTP& smtp, TIdMessage& message, int connectTimeoutMs,
                    const TAccessTokenSource& tokens);

}  // namespace quillory
