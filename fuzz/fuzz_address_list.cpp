// Address and address-list parsing: any text must parse without crashing, raise only the parse
// error, and a parsed item's formatted text must parse again without a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/IdCoderHeader.h"
#include "mail/IdEMailAddress.h"
#include "mail/IdException.h"

using namespace quillory;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TIdEMailAddressList list;
    try {
        list.SetAddressesText(text);
    } catch (const EIdEmailParseError&) {}
    TIdEMailAddressItem item;
    try {
        item.SetText(text);
    } catch (const EIdEmailParseError&) {}
    list.Add() = item;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        TIdEMailAddressItem again;
        try {
            again.SetText(list[i].Text());
        } catch (const EIdEmailParseError&) {}
    }
    const std::string header = EncodeAddressListForHeader(list, ChooseHeaderCharset());
    if (list.Count() > 0 && header.empty() && !list[0].Address().empty()) __builtin_trap();
    return 0;
}
