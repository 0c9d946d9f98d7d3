#include "app/spelling/SpellingWords.h"

namespace quillory {
namespace {

constexpr char16_t kNonBreakingHyphen = u'\u2011';
constexpr char16_t kTypographicApostrophe = u'\u2019';

// A letter, with the combining marks that may follow it, or a digit.
bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c.isMark(); }

bool IsAsciiLetterOrDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

// A host name at the start of `s`: at least two labels of ASCII letters, digits and hyphens joined
// by full stops, the last of them two or more lower-case ASCII letters (a top-level domain),
// followed by the end, a path ("/"), a port (":") or punctuation alone.
bool StartsWithHostName(QStringView s) {
    qsizetype i = 0;
    int labels = 0;
    QStringView last;
    while (true) {
        const qsizetype start = i;
        while (i < s.size() && (IsAsciiLetterOrDigit(s[i]) || s[i] == u'-')) ++i;
        if (i == start) return false;
        ++labels;
        last = s.mid(start, i - start);
        if (i + 1 < s.size() && s[i] == u'.' && IsAsciiLetterOrDigit(s[i + 1])) {
            ++i;
            continue;
        }
        break;
    }
    if (labels < 2 || last.size() < 2) return false;
    for (const QChar c : last)
        if (c.unicode() < u'a' || c.unicode() > u'z') return false;
    if (i < s.size() && (s[i] == u'/' || s[i] == u':')) return true;
    for (; i < s.size(); ++i)
        if (IsWordChar(s[i])) return false;
    return true;
}

// A piece of text between spaces that is an e-mail address or a web link, whole.
bool IsAddressOrLink(QStringView piece) {
    if (piece.contains(u'@') || piece.contains(u"://")) return true;
    qsizetype i = 0;
    while (i < piece.size() && !IsWordChar(piece[i])) ++i;
    const QStringView rest = piece.mid(i);
    return rest.startsWith(u"www.", Qt::CaseInsensitive) ||
           rest.startsWith(u"mailto:", Qt::CaseInsensitive) || StartsWithHostName(rest);
}

class WordScanner {
public:
    WordScanner(QStringView text, QStringView joiners) : text_(text), joiners_(joiners) {}

    std::vector<SpellingWord> Scan() {
        const qsizetype n = text_.size();
        qsizetype i = 0;
        while (i < n) {
            if (text_[i].isSpace()) {
                ++i;
                continue;
            }
            qsizetype pieceStart = i;
            while (i < n && !text_[i].isSpace()) {
                if (text_[i] == u'{') {
                    // A placeholder may hold spaces ("{datum splatnosti}"): it ends at its "}".
                    const qsizetype close = text_.indexOf(u'}', i + 1);
                    if (close >= 0) {
                        ScanPiece(pieceStart, i);
                        i = close + 1;
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
    bool IsJoiner(QChar c) const {
        return c == u'-' || c == u'.' || c == kNonBreakingHyphen ||
               (!joiners_.isEmpty() && joiners_.contains(c));
    }

    void ScanPiece(qsizetype begin, qsizetype end) {
        if (begin >= end || IsAddressOrLink(text_.mid(begin, end - begin))) return;
        qsizetype i = begin;
        while (i < end) {
            if (!IsWordChar(text_[i])) {
                ++i;
                continue;
            }
            const qsizetype start = i;
            bool digit = false;
            bool innerDot = false;
            while (true) {
                while (i < end && IsWordChar(text_[i])) {
                    digit = digit || text_[i].isNumber();
                    ++i;
                }
                if (i + 1 < end && IsJoiner(text_[i]) && IsWordChar(text_[i + 1])) {
                    innerDot = innerDot || text_[i] == u'.';
                    ++i;
                    continue;
                }
                break;
            }
            const bool trailingDot = i < end && text_[i] == u'.';
            if (digit) continue;
            if (innerDot) AddDotted(start, i, trailingDot);
            else Add(start, i, trailingDot);
        }
    }

    // Letters joined by full stops: an abbreviation when no group is longer than three letters,
    // else words that lack their space after the full stop.
    void AddDotted(qsizetype start, qsizetype end, bool trailingDot) {
        const QStringView word = text_.mid(start, end - start);
        bool abbreviation = true;
        for (const QStringView group : word.tokenize(u'.'))
            if (group.size() > 3) abbreviation = false;
        if (abbreviation) return;
        qsizetype groupStart = start;
        for (qsizetype i = start; i <= end; ++i) {
            if (i == end || text_[i] == u'.') {
                Add(groupStart, i, i == end ? trailingDot : true);
                groupStart = i + 1;
            }
        }
    }

    void Add(qsizetype start, qsizetype end, bool trailingDot) {
        if (end - start < 2) return;
        words_.push_back({start, end - start, trailingDot});
    }

    QStringView text_;
    QStringView joiners_;
    std::vector<SpellingWord> words_;
};

}  // namespace

std::vector<SpellingWord> WordsToCheck(QStringView text, QStringView joiners) {
    return WordScanner(text, joiners).Scan();
}

QString WordJoiners(QStringView wordChars) {
    QString joiners;
    for (const QChar c : wordChars)
        if (!c.isLetterOrNumber() && !c.isMark() && !joiners.contains(c)) joiners += c;
    const bool apostrophe = joiners.contains(u'\'') || joiners.contains(QChar(kTypographicApostrophe));
    if (apostrophe && !joiners.contains(u'\'')) joiners += u'\'';
    if (apostrophe && !joiners.contains(QChar(kTypographicApostrophe)))
        joiners += QChar(kTypographicApostrophe);
    return joiners;
}

}  // namespace quillory
