#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mail/IdException.h"

namespace quillory {

// A text that is not one JSON value (RFC 8259), or one deeper or larger than the reader takes.
class EJsonError : public EIdException {
public:
    explicit EJsonError(const std::string& why) : EIdException("Not a valid JSON text: " + why) {}
};

// One JSON value as read from outside (a token endpoint's reply, a token's claims). Strings hold
// UTF-8; numbers keep their text as sent, so nothing is lost to rounding and the caller decides
// what a number may be.
class TJsonValue {
public:
    enum class TKind { Null, Boolean, Number, String, Array, Object };

    TKind Kind() const { return kind_; }
    bool IsString() const { return kind_ == TKind::String; }
    bool IsNumber() const { return kind_ == TKind::Number; }
    bool IsObject() const { return kind_ == TKind::Object; }
    // The text of a string, or of a number as it was written; empty for the other kinds.
    const std::string& Text() const { return text_; }
    bool Boolean() const { return boolean_; }
    const std::vector<TJsonValue>& Items() const { return items_; }
    // The member of an object by name; null when there is none (or this is not an object).
    const TJsonValue* Member(std::string_view name) const;
    const std::map<std::string, TJsonValue, std::less<>>& Members() const { return members_; }

private:
    friend class TJsonReader;
    TKind kind_ = TKind::Null;
    bool boolean_ = false;
    std::string text_;
    std::vector<TJsonValue> items_;
    std::map<std::string, TJsonValue, std::less<>> members_;
};

// Reads one JSON text (RFC 8259): whitespace around one value and nothing else. Raises EJsonError
// for anything else, for a text over `maxBytes`, for nesting deeper than `maxDepth`, for a string
// with a control character, a bad escape or bytes that are not UTF-8, and for an object that
// names a member twice (RFC 8259 §4 leaves that to the reader; a token reply with two
// access_tokens is not one to trust).
TJsonValue ReadJson(std::string_view text, std::size_t maxBytes = 256 * 1024, int maxDepth = 32);

}  // namespace quillory
