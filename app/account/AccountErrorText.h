#pragma once

#include <QString>

#include <string>

namespace quillory {

// What to tell the user about a refused login, in Czech, beyond the server's own words; empty when
// there is nothing to add:
// - 535 5.7.139, or 5.7.3 "basic authentication is disabled", to a password: the provider takes
//   no passwords from mail programs any more (Microsoft): sign in with the Microsoft account;
// - 534 or 535 from Gmail or Seznam to a password: create an application password;
// - a refused token: the administrator must allow SMTP AUTH for the mailbox.
// `host` is the server the login went to, `serverText` its reply's text.
QString RefusedLoginAdvice(const std::string& mechanism, const std::string& host, int code,
                           const std::string& serverText);

// The Czech text of the exception being handled, for the errors of the account's login and
// sign-in (a refused login with its advice and the server's text, a sign-in that must be
// repeated, a sign-in server that refused or cannot be reached); empty for the others. Called
// from inside a catch block.
QString AccountErrorText();

// The Czech text of the exception being handled while the copy of a sent message was stored on
// the IMAP server (or its folders fetched), for the errors of the Microsoft sign-in: a token the
// server refused even after its renewal, with the server's text, and a sign-in that must be
// repeated, refused or cannot be reached. Empty for the others. Called from inside a catch block.
QString SentCopyErrorText();

}  // namespace quillory
