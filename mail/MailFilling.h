#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class TIdEMailAddressList;
class TIdMessage;

// Fills the copy list from the copy field: the pieces between ";" are trimmed, empty pieces are
// skipped, and each piece is read as an address with an optional display name ("Jan Novák
// <jan@firma.cz>"), so name and address land where they belong.
void AddCopyRecipients(TIdEMailAddressList& list, std::string_view field);

// Makes `lines` the plain-text body of the message, labelled so that the recipient's mail
// program shows the letters right: "MIME-Version: 1.0", "Content-Type: text/plain;
// charset=windows-1250" (or the `charset` the lines are in) and the transfer encoding that is on the wire:
// quoted-printable when a line holds 8-bit bytes or is longer than 998 bytes (the body lines are then the
// encoded lines), 7bit otherwise. Removes every part the message held.
void SetPlainTextBody(TIdMessage& message, const std::vector<std::string>& lines,
                      std::string_view charset = "windows-1250");

// A file to go out with the message.
struct TMessageAttachment {
    std::string path;       // as the file system names it
    std::int64_t size = 0;  // when attached: the writer refuses a file of another size
    std::string contentType;
};

// Makes the message multipart/mixed (RFC 2046 §5.1.3) when `files` is not empty: `lines` become
// its first part, text/plain in windows-1250 (or `charset`), quoted-printable under the same rule as
// SetPlainTextBody; then one base64 part per file, named in the RFC 2231 and RFC 2047 forms when
// the name is not plain ASCII. Without files the message is exactly what SetPlainTextBody makes.
void SetBody(TIdMessage& message, const std::vector<std::string>& lines,
             const std::vector<TMessageAttachment>& files, std::string_view charset = "windows-1250");

}  // namespace quillory
