#pragma once

#include <string>
#include <string_view>

namespace quillory {

class TIdEMailAddressItem;
class TIdEMailAddressList;

// How header text is carried: only iso2022jp changes the text (converted to ISO-2022-JP first).
enum class TTransfer { bit7, bit8, iso2022jp };

// The choice made for encoded words (RFC 2047): transfer kind, encoding letter ('B', 'Q' or '8'
// for "leave unencoded") and the charset named in each encoded word.
struct THeaderCharset {
    TTransfer transfer = TTransfer::bit8;
    char encoding = 'Q';
    std::string charset = "windows-1250";
    bool operator==(const THeaderCharset&) const = default;
};

// The program's 8-bit text is Windows-1250 whatever the locale, so encoded words name
// "windows-1250" with the Q encoding: the label must be the charset the bytes are in.
THeaderCharset ChooseHeaderCharset();

// The choice for a system whose ANSI code page belongs to `primaryLanguage` (an ISO 639-1 code
// with an optional region: "zh_CN", "ja", "cs"): GB2312 / Big5 / ISO-2022-JP / EUC-KR for the
// CJK code pages, "windows-1250" with Q for every other one.
THeaderCharset HeaderCharsetForLanguage(std::string_view language);

// The choice for text Windows-1250 cannot hold: "UTF-8" with B, each word whole characters.
THeaderCharset Utf8HeaderCharset();

// Special characters that need encoding in a display name (RFC 5322 §3.2.3 specials).
inline constexpr std::string_view DisplayNameSpecials = "()<>@,;:\\\".[]";

// Writes `text` as plain words and RFC 2047 encoded words; consecutive words that need encoding
// share one encoded word, each encoded word is at most 75 characters (RFC 2047 §2) and they are
// joined by "?=" CR LF tab. Bytes in `specials` need encoding too. A text in the program's UTF-8
// form (core/ProgramText.h) is written in UTF-8 encoded words whatever `charset` says.
std::string EncodeHeaderText(std::string_view text, std::string_view specials, const THeaderCharset& charset);

// The header form of an address: the bare address without a name, else the (encoded or quoted)
// name, a space and the address in angle brackets.
std::string EncodeAddressForHeader(const TIdEMailAddressItem& item, const THeaderCharset& charset);
// The header forms of all items joined by ", "; empty for an empty list.
std::string EncodeAddressListForHeader(const TIdEMailAddressList& list, const THeaderCharset& charset);

// Shift_JIS text to ISO-2022-JP (RFC 1468): JIS X 0208 runs between ESC $ B and ESC ( B.
std::string ToIso2022Jp(std::string_view text);

}  // namespace quillory
