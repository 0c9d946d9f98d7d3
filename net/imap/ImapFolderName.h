#pragma once

#include <string>

namespace quillory {

// Modified UTF-7 of IMAP mailbox names (RFC 3501 §5.1.3), to and from UTF-8: printable US-ASCII
// stands for itself ("&" as "&-"), every other run of characters is UTF-16 in modified BASE64
// ("," for "/", no padding) between "&" and "-". "Odeslané" is "Odeslan&AOk-".

// Bytes of `utf8` that are not valid UTF-8 are taken as U+FFFD, one each.
std::string EncodeImapFolderName(const std::string& utf8);
// The name for the user; a name that is not modified UTF-7 as RFC 3501 writes it (a byte outside
// printable US-ASCII, an "&" without its "-", bad BASE64, half a UTF-16 unit or a lone surrogate,
// a printable character or a run split in two where one run would do) comes back unchanged.
std::string DecodeImapFolderName(const std::string& wire);

}  // namespace quillory
