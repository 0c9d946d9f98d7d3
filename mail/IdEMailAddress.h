#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace quillory {

// One e-mail address: a display name and the address itself (local part, "@", domain).
// Parsing is forgiving and never validates; see SetText.
class TIdEMailAddressItem {
public:
    TIdEMailAddressItem() = default;
    explicit TIdEMailAddressItem(const std::string& text) { SetText(text); }

    const std::string& Address() const { return address_; }
    void SetAddress(const std::string& address) { address_ = address; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    // The usual notation: the name (quoted where needed) and the address in angle brackets, or the
    // bare address when there is no name.
    std::string Text() const;
    // Clears both fields and parses `text` (the program's text: a text in the UTF-8 form is parsed as
    // UTF-8, and name and address then each take the form of their own); raises EIdEmailParseError ("@
    // Outside address") for an at sign after an angle-bracketed address, keeping what was read before it.
    void SetText(const std::string& text);

    // The address in the form used after a name: "<local@domain>", quoted where needed.
    std::string FormatAddressPart() const;

    bool operator==(const TIdEMailAddressItem&) const = default;

private:
    std::string address_;
    std::string name_;
};

// An ordered list of addresses, filled from one line that holds several.
class TIdEMailAddressList {
public:
    TIdEMailAddressList() = default;
    TIdEMailAddressList(const TIdEMailAddressList& other);
    TIdEMailAddressList& operator=(const TIdEMailAddressList& other);
    TIdEMailAddressList(TIdEMailAddressList&&) noexcept = default;
    TIdEMailAddressList& operator=(TIdEMailAddressList&&) noexcept = default;

    std::size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    TIdEMailAddressItem& Items(std::size_t index) { return *items_.at(index); }
    const TIdEMailAddressItem& Items(std::size_t index) const { return *items_.at(index); }
    TIdEMailAddressItem& operator[](std::size_t index) { return Items(index); }
    const TIdEMailAddressItem& operator[](std::size_t index) const { return Items(index); }

    // A new empty item at the end; the reference stays valid until the item is removed.
    TIdEMailAddressItem& Add();
    void Delete(std::size_t index);
    void Clear() { items_.clear(); }

    // Clears the list and reads the addresses of `text`, separated by "," or ";" outside quotes
    // and parentheses; a group name ending in ":" is dropped. May raise EIdEmailParseError, keeping
    // the items read so far (the failing one included). A text in the UTF-8 form is split as UTF-8.
    void SetAddressesText(const std::string& text);

private:
    // Adds an item parsed from `text` (UTF-8 when `utf8`); drops it again when `dropIfBlank` and it
    // formats as nothing or "<>".
    void AddParsed(std::string_view text, bool dropIfBlank, bool utf8);

    std::vector<std::unique_ptr<TIdEMailAddressItem>> items_;
};

}  // namespace quillory
