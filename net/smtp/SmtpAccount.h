#pragma once

#include <string>

#include "net/smtp/IdSMTP.h"

namespace quillory {

// Where a copy of every delivered message is kept: the mailbox's Sent folder, stored there over
// IMAP (APPEND) once the SMTP server has accepted the message, and a local archive of .eml files.
struct TSentCopySettings {
    // "Ukládat kopii do složky Odeslané na serveru".
    bool toServer = false;
    // The incoming server as typed: "host" (port 143), "host:993" (TLS from the first byte) or
    // "host:143" (STARTTLS, required before the login unless the server is this machine).
    std::string server;
    // The IMAP server takes a login of its own; otherwise the SMTP login and password are used.
    bool ownLogin = false;
    std::string login;
    std::string password;
    // The Sent folder's name as it travels on the wire (modified UTF-7); empty: the folder is looked
    // for at the next copy and kept here.
    std::string folder;
    // Every delivered message is also saved as an .eml file in the data folder's "Odeslané".
    bool localArchive = true;
};

// How the account logs in: with its name and password, or with a Microsoft account signed in
// through OAuth 2.0 in the browser, whose access token goes to the servers with XOAUTH2.
enum class TLoginMethod { Password, Microsoft };

// The account's sign-in and the provider it was set up for. The tokens themselves are not here:
// the refresh token is kept at rest like a password, the access token only in memory.
struct TOAuthSignIn {
    TLoginMethod method = TLoginMethod::Password;
    // The address the signed-in Microsoft account sends as (the XOAUTH2 user), in UTF-8 as the
    // sign-in gave it; empty while nobody is signed in.
    std::string address;
    // The provider preset chosen in the settings ("seznam", "gmail", ...); empty: "Jiný".
    std::string provider;
};

// The mail account as the user sets it up: what the settings dialog edits, the form storage keeps
// and a send configures its clients with (TIdSMTP::Apply, ApplySentCopyAccount).
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
    TSentCopySettings sentCopy = {};
    TOAuthSignIn oauth = {};
};

}  // namespace quillory
