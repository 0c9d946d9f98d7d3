#pragma once

#include <string>
#include <string_view>

#include "net/smtp/SmtpAccount.h"

namespace quillory {

class TFormStorage;
class TStoredValues;

// The stored values that hold the passwords: the SMTP one, and the IMAP server's own.
inline constexpr std::string_view kSmtpPasswordName = "smtpheslo";
inline constexpr std::string_view kImapPasswordName = "imapheslo";
// The stored value that holds the Microsoft sign-in's refresh token, kept at rest like a password.
inline constexpr std::string_view kOAuthRefreshTokenName = "oauthobnova";
// The stored value that holds the address of the signed-in Microsoft account.
inline constexpr std::string_view kOAuthAddressName = "oauthadresa";
// The stored value that holds the scopes the Microsoft sign-in was granted, as the sign-in server
// named them (no secret: it says what the tokens may do, not the tokens).
inline constexpr std::string_view kOAuthScopeName = "oauthrozsah";

// The account's stored values, added empty (false) with the key strings their INI entries are
// scrambled with: "smtpserver", "smtplogin", "smtpheslo" and "smtpovereni"; for the copy of sent
// messages "imapkopie", "imapserver", "imapvlastni" (a login of its own), "imaplogin", "imapheslo",
// "imapslozka" and "archiv" (true: the local archive is on); for the sign-in "prihlasovani" (the
// login method: "heslo" or "microsoft"), "oauthadresa" (who is signed in), "poskytovatel" (the
// preset), "oauthobnova" (the refresh token) and "oauthrozsah" (the scopes granted).
void AddSmtpAccountValues(TStoredValues& values);

// The account the stored values hold; the time limits keep their defaults. The IMAP password is
// read (and so asked of the keyring) only when the IMAP server has a login of its own.
TSmtpAccount ReadSmtpAccount(const TFormStorage& storage);

// The Sent folder a copy went to becomes the account's when it had none, so later sends need not
// look for it (and the settings show it as found).
void KeepFoundSentFolder(TFormStorage& storage, const std::string& wireName);

// Replaces all the account's stored values, in memory (they reach the INI file at the next save).
void WriteSmtpAccount(TFormStorage& storage, const TSmtpAccount& account);

}  // namespace quillory
