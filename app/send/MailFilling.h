#pragma once

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
// charset=windows-1250" and the transfer encoding that is on the wire: quoted-printable when a
// line holds 8-bit bytes or is longer than 998 bytes (the body lines are then the encoded lines),
// 7bit otherwise.
void SetPlainTextBody(TIdMessage& message, const std::vector<std::string>& lines);

}  // namespace quillory
