#include "mail/IdCoderHeader.h"

#include "core/ProgramText.h"
#include "mail/IdCoder3to4.h"
#include "mail/IdEMailAddress.h"
#include "mail/IdGlobal.h"
#include "mail/IdMimeParameter.h"

namespace quillory {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
// RFC 2047 §2: an encoded word is at most 75 characters long.
constexpr std::size_t kMaxEncodedWord = 75;

bool IsWhite(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool NeedsEncoding(unsigned char b, std::string_view specials) {
    return b < 32 || b >= 127 || specials.find(static_cast<char>(b)) != std::string_view::npos;
}

// Writes `run` as one or more encoded words, each at most 75 characters, joined by "?=" CR LF
// tab and a new beginning.
void AppendEncodedRun(std::string& result, std::string_view run, std::string_view specials,
                      const THeaderCharset& charset) {
    if (charset == Utf8HeaderCharset()) {
        // Whole characters in each word: a word's bytes are decoded on their own.
        const std::vector<std::string> words = EncodedWordsB(run, charset.charset, kMaxEncodedWord);
        for (std::size_t i = 0; i < words.size(); ++i) result += (i == 0 ? "" : "\r\n\t") + words[i];
        return;
    }
    const std::string begin = "=?" + charset.charset + "?" + charset.encoding + "?";
    std::size_t counter = begin.size() + 2;
    result += begin;
    auto put = [&](std::string_view piece) {
        if (counter + piece.size() > kMaxEncodedWord) {
            result += "?=\r\n\t";
            result += begin;
            counter = begin.size() + 2;
        }
        result += piece;
        counter += piece.size();
    };
    if (charset.encoding == 'Q' || charset.encoding == 'q') {
        for (const char c : run) {
            const auto b = static_cast<unsigned char>(c);
            if (b == ' ') {
                put("_");
            } else if (NeedsEncoding(b, specials) || b == '=' || b == '?' || b == '_') {
                const char escaped[3] = {'=', kHex[b >> 4], kHex[b & 15]};
                put(std::string_view(escaped, 3));
            } else {
                put(std::string_view(&c, 1));
            }
        }
    } else {
        const TIdEncoderMIME base64;
        for (std::size_t i = 0; i < run.size(); i += 3) put(base64.EncodeBytes(run.substr(i, 3)));
    }
    result += "?=";
}

}  // namespace

THeaderCharset HeaderCharsetForLanguage(std::string_view language) {
    const std::string upper = UpperCase(language);
    const std::string primary = upper.substr(0, 2);
    if (primary == "ZH") {
        const bool simplified = upper.find("CN") != std::string::npos ||
                                upper.find("SG") != std::string::npos ||
                                upper.find("HANS") != std::string::npos;
        return {TTransfer::bit8, 'B', simplified ? "GB2312" : "Big5"};
    }
    if (primary == "JA") return {TTransfer::iso2022jp, 'B', "ISO-2022-JP"};
    if (primary == "KO") return {TTransfer::bit8, 'B', "EUC-KR"};
    return {TTransfer::bit8, 'Q', "windows-1250"};
}

THeaderCharset ChooseHeaderCharset() { return HeaderCharsetForLanguage("cs"); }

THeaderCharset Utf8HeaderCharset() { return {TTransfer::bit8, 'B', "UTF-8"}; }

std::string EncodeHeaderText(std::string_view text, std::string_view specials,
                             const THeaderCharset& charset) {
    if (IsUtf8Form(text))
        return EncodeHeaderText(text.substr(kUtf8Mark.size()), specials, Utf8HeaderCharset());
    const std::string converted =
        charset.transfer == TTransfer::iso2022jp ? ToIso2022Jp(text) : std::string(text);
    if (charset.encoding == '8') return converted;
    const std::string_view s = converted;

    std::string result;
    bool runOpen = false;
    std::size_t runStart = 0;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const std::size_t whiteStart = pos;
        while (pos < s.size() && IsWhite(s[pos])) ++pos;
        const std::size_t wordStart = pos;
        bool needs = false;
        for (; pos < s.size() && !IsWhite(s[pos]); ++pos)
            needs = needs || NeedsEncoding(static_cast<unsigned char>(s[pos]), specials);
        if (needs) {
            if (!runOpen) {
                result += s.substr(whiteStart, wordStart - whiteStart);
                runOpen = true;
                runStart = wordStart;
            }
            continue;
        }
        if (runOpen) {
            AppendEncodedRun(result, s.substr(runStart, whiteStart - runStart), specials, charset);
            runOpen = false;
        }
        result += s.substr(whiteStart, pos - whiteStart);
    }
    if (runOpen) AppendEncodedRun(result, s.substr(runStart), specials, charset);
    return result;
}

std::string EncodeAddressForHeader(const TIdEMailAddressItem& item, const THeaderCharset& charset) {
    const std::string& name = item.Name();
    if (name.empty()) return item.Address();
    bool eightBit = false;
    for (const char c : name)
        eightBit = eightBit || static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126;
    std::string result = eightBit ? EncodeHeaderText(name, DisplayNameSpecials, charset) : QuotedString(name);
    result += " <";
    result += item.Address();
    result += '>';
    return result;
}

std::string EncodeAddressListForHeader(const TIdEMailAddressList& list, const THeaderCharset& charset) {
    std::string result;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (i > 0) result += ", ";
        result += EncodeAddressForHeader(list[i], charset);
    }
    return result;
}

}  // namespace quillory
