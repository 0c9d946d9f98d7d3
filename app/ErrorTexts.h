#pragma once

#include <QString>

#include <string>

namespace quillory {

struct TReadResult;

// Every text the windows tell about a failed send, a sign-in or the sent copy, in one place. The
// messages the libraries' errors carry are English; a user is told in Czech, with the server's or
// the library's own words after it. Only the messages the program's description gives word for
// word (the socket errors "Socket Error # 10061…", "Connect timed out.", a server's refusing reply,
// "Connection Closed Gracefully." and the like) are shown exactly as they are.

// The Czech text shown after "Chyba: " for the exception being handled when a send fails: a
// refused login with its advice and the server's text, a sign-in that must be repeated, a message
// too large or an attachment that changed, the worded library messages as they are, and for every
// other error a Czech sentence followed by the library's words. Called from inside a catch block.
QString SendErrorText();

// The Czech text of the exception being handled while the copy of a sent message was stored on
// the IMAP server (or its folders fetched): for a token the server refused even after its renewal
// what to do, with the server's text; for a sign-in that must be repeated, refused or cannot be
// reached the sign-in's text; for every other error a Czech sentence followed by the library's or
// the server's words. Called from inside a catch block.
QString SentCopyErrorText();

// The Czech text of the exception being handled while a mail merge run was taken up, sent its rows
// or kept its journal: the errors of the journal and of the plan as their messages say (they name
// the file and the reason), every other error as a send's (SendErrorText). Called from inside a
// catch block.
QString MergeErrorText();

// Why a file the user chose (a CSV or vCard file) could not be read, in Czech.
QString ReadFailureText(const TReadResult& read);

// Why a mail merge run stopped before its end, in Czech: `reason` is the server's reply with its
// code ("535 5.7.8 …"), or the connection's error in the library's words, shown after the
// sentence as they are.
QString MergeStopText(const std::string& reason);

// What to tell the user about a refused login, in Czech, beyond the server's own words; empty when
// there is nothing to add:
// - 535 5.7.139, or 5.7.3 "basic authentication is disabled", to a password: the provider takes
//   no passwords from mail programs any more (Microsoft): sign in with the Microsoft account;
// - 534 or 535 from Gmail or Seznam to a password: create an application password;
// - a refused token: the administrator must allow SMTP AUTH for the mailbox.
// `host` is the server the login went to, `serverText` its reply's text.
QString RefusedLoginAdvice(const std::string& mechanism, const std::string& host, int code,
                           const std::string& serverText);

// The Czech message for an error reply of the authorization or token endpoint (RFC 6749 §4.1.2.1,
// §5.2), naming what the user can do: the sign-in was refused in the browser, consent is missing,
// an administrator must approve the application first.
QString SignInErrorMessage(const std::string& error, const std::string& description);

}  // namespace quillory
