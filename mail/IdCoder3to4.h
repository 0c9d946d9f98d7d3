#pragma once

#include <string>
#include <string_view>

#include "mail/IdCoder.h"

namespace quillory {

// Encodes each group of three bytes as four characters of a 64-character table.
class TIdEncoder3to4 : public TIdEncoder {
public:
    // Raises EIdException "Uneven size in Encode." for a count that is not a multiple of 3
    // (unless it is All); no bytes are read then.
    std::string EncodeRange(TIdStream& source, std::size_t count) override;

    const std::string& CodingTable() const { return codingTable_; }
    void SetCodingTable(std::string_view table);
    char FillChar() const { return fillChar_; }
    void SetFillChar(char fill) { fillChar_ = fill; }

    // The encoding of `n` bytes at `bytes`, written into `out` (4 * ceil(n / 3) characters).
    void EncodeBlock(const unsigned char* bytes, std::size_t n, char* out) const;
    std::string EncodeBytes(std::string_view bytes) const;

protected:
    TIdEncoder3to4(std::string_view table, char fill);
    // Checks `count` as EncodeRange does and reads up to `count` bytes from the position.
    static std::string ReadRange(TIdStream& source, std::size_t count);

private:
    std::string codingTable_;
    char fillChar_;
};

// Base64 of RFC 2045 §6.8, without line breaks.
class TIdEncoderMIME : public TIdEncoder3to4 {
public:
    static constexpr std::string_view Table =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    TIdEncoderMIME() : TIdEncoder3to4(Table, '=') {}
};

// UUE and XXE: the 3-to-4 result preceded by the table character at the number of bytes read.
class TIdEncoderUUEBase : public TIdEncoder3to4 {
public:
    std::string EncodeRange(TIdStream& source, std::size_t count) override;

protected:
    explicit TIdEncoderUUEBase(std::string_view table) : TIdEncoder3to4(table, table.front()) {}
};

class TIdEncoderUUE : public TIdEncoderUUEBase {
public:
    static constexpr std::string_view Table =
        "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";
    TIdEncoderUUE() : TIdEncoderUUEBase(Table) {}
};

class TIdEncoderXXE : public TIdEncoderUUEBase {
public:
    static constexpr std::string_view Table =
        "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    TIdEncoderXXE() : TIdEncoderUUEBase(Table) {}
};

}  // namespace quillory
