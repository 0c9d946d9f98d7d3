#pragma once

#include <string_view>

#include "net/SmtpAccount.h"

namespace quillory {

class TFormStorage;
class TStoredValues;

// The stored value that holds the password.
inline constexpr std::string_view kSmtpPasswordName = "smtpheslo";

// The account's four stored values "smtpserver", "smtplogin", "smtpheslo" and "smtpovereni",
// added empty (false) with the key strings their INI entries are scrambled with.
void AddSmtpAccountValues(TStoredValues& values);

// The account the stored values hold; the time limits keep their defaults.
TSmtpAccount ReadSmtpAccount(const TFormStorage& storage);

// Replaces all four stored values, in memory (they reach the INI file at the next save).
void WriteSmtpAccount(TFormStorage& storage, const TSmtpAccount& account);

}  // namespace quillory
