#pragma once

#include <string>

#include "net/IdSMTP.h"

namespace quillory {

// The outgoing-mail account as the user sets it up: what the settings dialog edits, the form
// storage keeps and a send configures its client with (TIdSMTP::Apply).
struct TSmtpAccount {
    // As typed: "host" (port 25), "host:port", "[IPv6]:port" or a bare IPv6 address. The port and
    // the connection's protection follow from it when the account is applied.
    std::string server;
    // The server requires a login: without it no login is attempted, even when one is offered.
    bool authenticate = false;
    std::string login;
    std::string password;
    // The connect limit of a send, and the wait limit of every read (0: none).
    int connectTimeoutMs = 1000;
    int readTimeoutMs = TIdSMTP::DefaultReadTimeout;
    // The longest the server may take over one reply, however its bytes trickle in (0: none).
    int replyTimeLimitMs = TIdSMTP::DefaultReplyTimeLimit;
};

}  // namespace quillory
