#include "net/oauth/Json.h"

#include <cstdint>

#include "core/Utf8.h"

namespace quillory {

const TJsonValue* TJsonValue::Member(std::string_view name) const {
    const auto found = members_.find(name);
    return found == members_.end() ? nullptr : &found->second;
}

class TJsonReader {
public:
    TJsonReader(std::string_view text, int maxDepth) : text_(text), maxDepth_(maxDepth) {}

    TJsonValue ReadDocument() {
        TJsonValue value = ReadValue(0);
        SkipBlanks();
        if (at_ != text_.size()) throw EJsonError("text after the value");
        return value;
    }

private:
    TJsonValue ReadValue(int depth) {
        SkipBlanks();
        if (at_ == text_.size()) throw EJsonError("the text ends before a value");
        TJsonValue value;
        switch (text_[at_]) {
        case '{':
            ReadObject(value, depth + 1);
            break;
        case '[':
            ReadArray(value, depth + 1);
            break;
        case '"':
            value.kind_ = TJsonValue::TKind::String;
            value.text_ = ReadString();
            break;
        case 't':
            ReadWord("true");
            value.kind_ = TJsonValue::TKind::Boolean;
            value.boolean_ = true;
            break;
        case 'f':
            ReadWord("false");
            value.kind_ = TJsonValue::TKind::Boolean;
            break;
        case 'n':
            ReadWord("null");
            break;
        default:
            value.kind_ = TJsonValue::TKind::Number;
            value.text_ = ReadNumber();
        }
        return value;
    }

    void ReadObject(TJsonValue& value, int depth) {
        if (depth > maxDepth_) throw EJsonError("nested too deep");
        value.kind_ = TJsonValue::TKind::Object;
        ++at_;
        SkipBlanks();
        if (Take('}')) return;
        for (;;) {
            SkipBlanks();
            if (at_ == text_.size() || text_[at_] != '"') throw EJsonError("a member without a name");
            std::string name = ReadString();
            SkipBlanks();
            if (!Take(':')) throw EJsonError("no colon after a member's name");
            TJsonValue member = ReadValue(depth);
            if (!value.members_.emplace(std::move(name), std::move(member)).second)
                throw EJsonError("a member named twice");
            SkipBlanks();
            if (Take('}')) return;
            if (!Take(',')) throw EJsonError("no comma between members");
        }
    }

    void ReadArray(TJsonValue& value, int depth) {
        if (depth > maxDepth_) throw EJsonError("nested too deep");
        value.kind_ = TJsonValue::TKind::Array;
        ++at_;
        SkipBlanks();
        if (Take(']')) return;
        for (;;) {
            value.items_.push_back(ReadValue(depth));
            SkipBlanks();
            if (Take(']')) return;
            if (!Take(',')) throw EJsonError("no comma between items");
        }
    }

    void ReadWord(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) throw EJsonError("an unknown word");
        at_ += word.size();
    }

    // RFC 8259 §6: -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
    std::string ReadNumber() {
        const std::size_t start = at_;
        Take('-');
        if (Take('0')) {
        } else if (!TakeDigits()) {
            throw EJsonError("not a value");
        }
        if (Take('.') && !TakeDigits()) throw EJsonError("a number without digits after its point");
        if (Take('e') || Take('E')) {
            if (!Take('+')) Take('-');
            if (!TakeDigits()) throw EJsonError("a number without digits in its exponent");
        }
        return std::string(text_.substr(start, at_ - start));
    }

    bool TakeDigits() {
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
        return at_ != start;
    }

    std::string ReadString() {
        ++at_;  // the opening quote
        std::string out;
        for (;;) {
            if (at_ == text_.size()) throw EJsonError("a string without its closing quote");
            const auto byte = static_cast<unsigned char>(text_[at_]);
            if (byte == '"') {
                ++at_;
                return out;
            }
            if (byte < 0x20) throw EJsonError("a control character in a string");
            if (byte == '\\') {
                ++at_;
                ReadEscape(out);
            } else if (byte < 0x80) {
                out += static_cast<char>(byte);
                ++at_;
            } else {
                CopyUtf8Sequence(out);
            }
        }
    }

    void ReadEscape(std::string& out) {
        if (at_ == text_.size()) throw EJsonError("a string without its closing quote");
        const char c = text_[at_++];
        switch (c) {
        case '"':
        case '\\':
        case '/':
            out += c;
            return;
        case 'b':
            out += '\b';
            return;
        case 'f':
            out += '\f';
            return;
        case 'n':
            out += '\n';
            return;
        case 'r':
            out += '\r';
            return;
        case 't':
            out += '\t';
            return;
        case 'u':
            break;
        default:
            throw EJsonError("an unknown escape");
        }
        std::uint32_t code = ReadHex4();
        if (code >= 0xDC00 && code <= 0xDFFF) throw EJsonError("a lone low surrogate");
        if (code >= 0xD800 && code <= 0xDBFF) {
            // RFC 8259 §7: a character outside the Basic Multilingual Plane is a surrogate pair.
            if (text_.substr(at_, 2) != "\\u") throw EJsonError("a lone high surrogate");
            at_ += 2;
            const std::uint32_t low = ReadHex4();
            if (low < 0xDC00 || low > 0xDFFF) throw EJsonError("a lone high surrogate");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, code);
    }

    std::uint32_t ReadHex4() {
        if (text_.size() - at_ < 4) throw EJsonError("a short \\u escape");
        std::uint32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            code <<= 4;
            if (c >= '0' && c <= '9') code |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') code |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') code |= static_cast<std::uint32_t>(c - 'A' + 10);
            else throw EJsonError("a bad \\u escape");
        }
        return code;
    }

    // One well-formed UTF-8 sequence (RFC 3629 §4: no overlong forms, no surrogates, nothing past
    // U+10FFFF), copied as it is.
    void CopyUtf8Sequence(std::string& out) {
        const auto lead = static_cast<unsigned char>(text_[at_]);
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            throw EJsonError("bytes that are not UTF-8");
        }
        if (text_.size() - at_ < length) throw EJsonError("bytes that are not UTF-8");
        for (std::size_t i = 1; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(text_[at_ + i]);
            if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF))
                throw EJsonError("bytes that are not UTF-8");
        }
        out.append(text_.substr(at_, length));
        at_ += length;
    }

    void SkipBlanks() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    bool Take(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    std::string_view text_;
    int maxDepth_;
    std::size_t at_ = 0;
};

TJsonValue ReadJson(std::string_view text, std::size_t maxBytes, int maxDepth) {
    if (text.size() > maxBytes) throw EJsonError("longer than " + std::to_string(maxBytes) + " bytes");
    return TJsonReader(text, maxDepth).ReadDocument();
}

}  // namespace quillory
