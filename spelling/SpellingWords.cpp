#include "spelling/SpellingWords.h"

#include "spelling/CharacterClasses.h"

namespace quillory {
namespace {

using Size = std::ptrdiff_t;

constexpr char16_t kNonBreakingHyphen = u'\u2011';
constexpr char16_t kTypographicApostrophe = u'\u2019';

bool Contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

bool IsAsciiLetterOrDigit(char16_t u) {
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

// Whether `text` starts with `prefix`, ASCII letters in either case.
bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) return false;
    const auto lower = [](char16_t u) { return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u; };
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i])) return false;
    return true;
}

// A host name at the start of `s`: at least two labels of ASCII letters, digits and hyphens joined
// by full stops, the last of them two or more lower-case ASCII letters (a top-level domain),
// followed by the end, a path ("/"), a port (":") or punctuation alone.
bool StartsWithHostName(std::u16string_view s) {
    std::size_t i = 0;
    int labels = 0;
    std::u16string_view last;
    while (true) {
        const std::size_t start = i;
        while (i < s.size() && (IsAsciiLetterOrDigit(s[i]) || s[i] == u'-')) ++i;
        if (i == start) return false;
        ++labels;
        last = s.substr(start, i - start);
        if (i + 1 < s.size() && s[i] == u'.' && IsAsciiLetterOrDigit(s[i + 1])) {
            ++i;
            continue;
        }
        break;
    }
    if (labels < 2 || last.size() < 2) return false;
    for (const char16_t c : last)
        if (c < u'a' || c > u'z') return false;
    if (i < s.size() && (s[i] == u'/' || s[i] == u':')) return true;
    for (; i < s.size(); ++i)
        if (IsWordCharacter(s[i])) return false;
    return true;
}

// A piece of text between spaces that is an e-mail address or a web link, whole.
bool IsAddressOrLink(std::u16string_view piece) {
    if (Contains(piece, u"@") || Contains(piece, u"://")) return true;
    std::size_t i = 0;
    while (i < piece.size() && !IsWordCharacter(piece[i])) ++i;
    const std::u16string_view rest = piece.substr(i);
    return StartsWithIgnoringCase(rest, u"www.") || StartsWithIgnoringCase(rest, u"mailto:") ||
           StartsWithHostName(rest);
}

class WordScanner {
public:
    WordScanner(std::u16string_view text, std::u16string_view joiners) : text_(text), joiners_(joiners) {}

    std::vector<SpellingWord> Scan() {
        const Size n = Length();
        Size i = 0;
        while (i < n) {
            if (IsSpace(At(i))) {
                ++i;
                continue;
            }
            Size pieceStart = i;
            while (i < n && !IsSpace(At(i))) {
                if (At(i) == u'{') {
                    // A placeholder may hold spaces ("{datum splatnosti}"): it ends at its "}".
                    const std::size_t close = text_.find(u'}', static_cast<std::size_t>(i) + 1);
                    if (close != std::u16string_view::npos) {
                        ScanPiece(pieceStart, i);
                        i = static_cast<Size>(close) + 1;
                        pieceStart = i;
                        continue;
                    }
                }
                ++i;
            }
            ScanPiece(pieceStart, i);
        }
        return std::move(words_);
    }

private:
    Size Length() const { return static_cast<Size>(text_.size()); }
    char16_t At(Size i) const { return text_[static_cast<std::size_t>(i)]; }
    std::u16string_view Mid(Size start, Size end) const {
        return text_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    }

    bool IsJoiner(char16_t c) const {
        return c == u'-' || c == u'.' || c == kNonBreakingHyphen ||
               joiners_.find(c) != std::u16string_view::npos;
    }

    void ScanPiece(Size begin, Size end) {
        if (begin >= end || IsAddressOrLink(Mid(begin, end))) return;
        Size i = begin;
        while (i < end) {
            if (!IsWordCharacter(At(i))) {
                ++i;
                continue;
            }
            const Size start = i;
            bool digit = false;
            bool innerDot = false;
            while (true) {
                while (i < end && IsWordCharacter(At(i))) {
                    digit = digit || IsNumber(At(i));
                    ++i;
                }
                if (i + 1 < end && IsJoiner(At(i)) && IsWordCharacter(At(i + 1))) {
                    innerDot = innerDot || At(i) == u'.';
                    ++i;
                    continue;
                }
                break;
            }
            const bool trailingDot = i < end && At(i) == u'.';
            if (digit) continue;
            if (innerDot) AddDotted(start, i, trailingDot);
            else Add(start, i, trailingDot);
        }
    }

    // Letters joined by full stops: an abbreviation when no group is longer than three letters,
    // else words that lack their space after the full stop.
    void AddDotted(Size start, Size end, bool trailingDot) {
        bool abbreviation = true;
        Size groupStart = start;
        for (Size i = start; i <= end; ++i) {
            if (i == end || At(i) == u'.') {
                if (i - groupStart > 3) abbreviation = false;
                groupStart = i + 1;
            }
        }
        if (abbreviation) return;
        groupStart = start;
        for (Size i = start; i <= end; ++i) {
            if (i == end || At(i) == u'.') {
                Add(groupStart, i, i == end ? trailingDot : true);
                groupStart = i + 1;
            }
        }
    }

    void Add(Size start, Size end, bool trailingDot) {
        if (end - start < 2) return;
        words_.push_back({start, end - start, trailingDot});
    }

    std::u16string_view text_;
    std::u16string_view joiners_;
    std::vector<SpellingWord> words_;
};

}  // namespace

std::vector<SpellingWord> WordsToCheck(std::u16string_view text, std::u16string_view joiners) {
    return WordScanner(text, joiners).Scan();
}

std::u16string WordJoiners(std::u16string_view wordChars) {
    std::u16string joiners;
    for (const char16_t c : wordChars)
        if (!IsWordCharacter(c) && joiners.find(c) == std::u16string::npos) joiners += c;
    const bool apostrophe =
        Contains(joiners, u"'") || joiners.find(kTypographicApostrophe) != std::u16string::npos;
    if (apostrophe && !Contains(joiners, u"'")) joiners += u'\'';
    if (apostrophe && joiners.find(kTypographicApostrophe) == std::u16string::npos)
        joiners += kTypographicApostrophe;
    return joiners;
}

}  // namespace quillory
