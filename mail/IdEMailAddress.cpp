#include "mail/IdEMailAddress.h"

#include <string_view>

#include "core/ProgramText.h"
#include "mail/IdException.h"
#include "mail/IdGlobal.h"

namespace quillory {

namespace {

constexpr std::string_view kAtomChars =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890!#$%&'*+-/=?_`{}|~";
constexpr std::string_view kNameChars =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890!#$%&'*+-/=?_`{}|~ ";
constexpr std::string_view kAddressStartSet = "(\"< @\t";
constexpr std::string_view kListStartSet = ":;(\", \t";

std::string_view TrimStrip(std::string_view text) { return TrimBlanks(Trim(text)); }

}  // namespace

std::string TIdEMailAddressItem::FormatAddressPart() const {
    const std::string bracketsIfNamed = name_.empty() ? "" : "<>";
    if (address_.empty()) return bracketsIfNamed;
    const std::size_t at = address_.rfind('@');
    if (at == std::string::npos) return bracketsIfNamed;
    const std::string local = address_.substr(0, at);
    const std::string domain = address_.substr(at);
    const std::size_t special = local.find_first_not_of(kAtomChars);
    if (special != std::string::npos && local[special] != '.')
        return "<" + QuotedString(local) + domain + ">";
    if (name_.empty()) return local + domain;
    return "<" + local + domain + ">";
}

std::string TIdEMailAddressItem::Text() const {
    if (name_.empty() || name_ == UpperCase(address_)) return FormatAddressPart();
    if (name_.find_first_not_of(kNameChars) == std::string::npos) return name_ + " " + FormatAddressPart();
    return QuotedString(name_) + " " + FormatAddressPart();
}

void TIdEMailAddressItem::SetText(const std::string& text) {
    if (IsUtf8Form(text)) {
        // The UTF-8 text is read as such; then name and address each take their own form, so a
        // name Windows-1250 can hold is its bytes again.
        const auto ownForms = [this] {
            name_ = ProgramTextFromUtf8(name_);
            address_ = ProgramTextFromUtf8(address_);
        };
        try {
            SetText(text.substr(kUtf8Mark.size()));
        } catch (...) {
            ownForms();
            throw;
        }
        ownForms();
        return;
    }
    address_.clear();
    name_.clear();
    std::string rest(Trim(text));
    if (rest.empty()) return;
    std::size_t p = rest.find_first_of(kAddressStartSet);
    if (p == std::string::npos) {
        address_ = rest;
        return;
    }

    int depth = 0;
    bool inAddress = false;
    bool inBrackets = false;
    bool inQuote = false;
    bool afterAt = false;
    // Drops rest[0..n) (clamped to what is there).
    auto cut = [&rest](std::size_t n) { rest.erase(0, std::min(n, rest.size())); };
    while (p != std::string::npos) {
        const std::string before = rest.substr(0, p);
        switch (rest[p]) {
        case ' ':
        case '\t':
            if (p > 0) {
                if (afterAt) address_ += Trim(before);
                else name_ += rest.substr(0, p + 1);
            }
            cut(p + 1);
            break;
        case '(':
            ++depth;
            if (p > 0) {
                if (inAddress) address_ += Trim(before);
                else if (depth == 1) name_ += before;
            }
            cut(p + 1);
            break;
        case ')':
            --depth;
            cut(p + 1);
            break;
        case '"':
            if (inQuote) {
                (inBrackets ? address_ : name_) += Trim(before);
                inQuote = false;
            } else {
                // A quote glued to the text before it: that text belongs to the name (or to
                // the address once inside one), and the quoted text follows it.
                (inAddress ? address_ : name_) += before;
                inQuote = true;
            }
            cut(p + 1);
            break;
        case '<':
            name_ = TrimStrip(name_ + before);
            inBrackets = true;
            inAddress = true;
            cut(p + 1);
            break;
        case '>':
            inAddress = false;
            afterAt = false;
            address_ += TrimStrip(before);
            cut(p + 1);
            break;
        case '@':
            afterAt = true;
            if (!inAddress && inBrackets) throw EIdEmailParseError("@ Outside address");
            inAddress = true;
            address_ += rest.substr(0, p + 1);
            cut(p + 1);
            break;
        case '.':
            if (inBrackets) {
                // White space around the dots of a bracketed domain vanishes.
                address_ += TrimStrip(before);
                address_ += ".";
                rest = std::string(TrimLeft(std::string_view(rest).substr(p + 1)));
            } else {
                address_ += rest.substr(0, p + 1);
                cut(p + 1);
            }
            break;
        case '\\':
            if (inQuote) {
                std::string& target = inAddress ? address_ : name_;
                target += before;
                if (p + 1 < rest.size()) target += rest[p + 1];
            }
            cut(p + 2);
            break;
        }

        std::string_view searchSet = kAddressStartSet;
        if (depth > 0) searchSet = "()\\";
        else if (inQuote) searchSet = "\"\\";
        else if (afterAt) searchSet = inBrackets ? ".>(" : ".( ";
        else if (inAddress) searchSet = "\"(@>";
        p = rest.find_first_of(searchSet);
    }
    if (inAddress && !inBrackets) address_ += TrimStrip(rest);
}

TIdEMailAddressList::TIdEMailAddressList(const TIdEMailAddressList& other) { *this = other; }

TIdEMailAddressList& TIdEMailAddressList::operator=(const TIdEMailAddressList& other) {
    if (this == &other) return *this;
    std::vector<std::unique_ptr<TIdEMailAddressItem>> copy;
    copy.reserve(other.items_.size());
    for (const auto& item : other.items_) copy.push_back(std::make_unique<TIdEMailAddressItem>(*item));
    items_ = std::move(copy);
    return *this;
}

TIdEMailAddressItem& TIdEMailAddressList::Add() {
    items_.push_back(std::make_unique<TIdEMailAddressItem>());
    return *items_.back();
}

void TIdEMailAddressList::Delete(std::size_t index) {
    if (index >= items_.size()) return;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TIdEMailAddressList::AddParsed(std::string_view text, bool dropIfBlank, bool utf8) {
    TIdEMailAddressItem& item = Add();
    item.SetText(utf8 ? std::string(kUtf8Mark) + std::string(text) : std::string(text));
    if (!dropIfBlank) return;
    const std::string written = item.Text();
    const std::string_view formatted = Trim(written);
    if (formatted.empty() || formatted == "<>") items_.pop_back();
}

void TIdEMailAddressList::SetAddressesText(const std::string& text) {
    Clear();
    if (Trim(text).empty()) return;
    // The UTF-8 form is split as UTF-8; each address then reads in the form of its own.
    const bool utf8 = IsUtf8Form(text);
    std::string rest = utf8 ? text.substr(kUtf8Mark.size()) : text;
    std::size_t p = rest.find_first_of(kListStartSet);
    if (p == std::string::npos) {
        AddParsed(TrimLeft(rest), false, utf8);
        return;
    }

    std::string piece;
    int depth = 0;
    bool inQuote = false;
    auto take = [&rest, &piece](std::size_t n) {
        n = std::min(n, rest.size());
        piece += rest.substr(0, n);
        rest.erase(0, n);
    };
    while (p != std::string::npos) {
        switch (rest[p]) {
        case ':':  // a group name ends: everything before the colon is dropped
            rest.erase(0, p + 1);
            piece.clear();
            break;
        case ';':
            piece += rest.substr(0, p);
            rest.erase(0, p + 1);
            if (!Trim(piece).empty()) {
                AddParsed(TrimLeft(piece), false, utf8);
                piece.clear();
            }
            break;
        case ',':
            piece += rest.substr(0, p);
            rest.erase(0, p + 1);
            AddParsed(piece, true, utf8);
            piece.clear();
            break;
        case '(':
            ++depth;
            take(p + 1);
            break;
        case ')':
            --depth;
            take(p + 1);
            break;
        case '"':
            inQuote = !inQuote;
            take(p + 1);
            break;
        case '\\':
            take(p + 2);
            break;
        default:  // space or tab
            take(p + 1);
            break;
        }
        std::string_view searchSet = kListStartSet;
        if (depth > 0) searchSet = "(\\)";
        else if (inQuote) searchSet = "\"\\";
        p = rest.find_first_of(searchSet);
    }
    if (!Trim(piece).empty() || !Trim(rest).empty()) AddParsed(TrimLeft(piece + rest), true, utf8);
}

}  // namespace quillory
