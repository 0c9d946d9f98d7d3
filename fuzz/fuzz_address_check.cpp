// The recipient check of the send command on any text. What it accepts is one bare address: no
// blanks at its ends, a local part of atoms (or quoted strings) with dots only between them, one
// "@" outside quotes, and a domain of at least two labels that begin with a letter, hold letters,
// digits and hyphens and do not end with a hyphen. The address parser, which fills the message's
// recipients from the same text, reads such a text as one address without an error.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mail/AddressCheck.h"
#include "mail/IdEMailAddress.h"
#include "mail/IdException.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDomain(std::string_view domain) {
    std::size_t labels = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = domain.find('.', start);
        const std::string_view label =
            domain.substr(start, end == std::string_view::npos ? end : end - start);
        if (label.empty() || !IsLetter(label.front()) || label.back() == '-') return false;
        for (const char c : label)
            if (!IsLetter(c) && !IsDigit(c) && c != '-') return false;
        ++labels;
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return labels >= 2;
}

bool IsAtomLocalPart(std::string_view local) {
    if (local.empty() || local.front() == '.' || local.back() == '.' ||
        local.find("..") != std::string_view::npos)
        return false;
    for (const char c : local) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F ||
            std::string_view("\"(),/:;<>@[\\]").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!CheckEmailAddress(text)) return 0;

    const std::size_t at = text.rfind('@');
    Check(at != std::string::npos && at > 0);
    Check(IsDomain(std::string_view(text).substr(at + 1)));
    const std::string_view local = std::string_view(text).substr(0, at);
    if (local.find('"') == std::string_view::npos) Check(IsAtomLocalPart(local));
    Check(static_cast<unsigned char>(text.front()) > 0x20 && static_cast<unsigned char>(text.back()) > 0x20);

    TIdEMailAddressList recipients;
    try {
        recipients.SetAddressesText(text);
    } catch (const EIdEmailParseError&) {
        Check(false);
    }
    Check(recipients.Count() == 1);
    return 0;
}
