#include "mail/IdCoder3to4.h"

#include "mail/IdException.h"

namespace quillory {

namespace {

// Up to `count` bytes from the stream's position (all that remain for TIdEncoder::All).
std::string ReadUpTo(TIdStream& source, std::size_t count) {
    const std::int64_t remaining = source.Remaining();
    std::string bytes;
    if (remaining >= 0) {
        bytes.resize(std::min<std::size_t>(count, static_cast<std::size_t>(remaining)));
        bytes.resize(source.Read(bytes.data(), bytes.size()));
        return bytes;
    }
    char block[8192];
    while (bytes.size() < count) {
        const std::size_t n = source.Read(block, std::min(sizeof block, count - bytes.size()));
        if (n == 0) break;
        bytes.append(block, n);
    }
    return bytes;
}

}  // namespace

TIdEncoder3to4::TIdEncoder3to4(std::string_view table, char fill) : codingTable_(table), fillChar_(fill) {}

void TIdEncoder3to4::SetCodingTable(std::string_view table) {
    if (table.size() != 64) throw EIdException("Coding table must hold 64 characters");
    codingTable_ = table;
}

void TIdEncoder3to4::EncodeBlock(const unsigned char* bytes, std::size_t n, char* out) const {
    const char* table = codingTable_.data();
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3, out += 4) {
        const unsigned b1 = bytes[i], b2 = bytes[i + 1], b3 = bytes[i + 2];
        out[0] = table[b1 >> 2];
        out[1] = table[((b1 << 4) & 63) | (b2 >> 4)];
        out[2] = table[((b2 << 2) & 63) | (b3 >> 6)];
        out[3] = table[b3 & 63];
    }
    if (i == n) return;
    const unsigned b1 = bytes[i];
    const unsigned b2 = i + 1 < n ? bytes[i + 1] : 0;
    out[0] = table[b1 >> 2];
    out[1] = table[((b1 << 4) & 63) | (b2 >> 4)];
    out[2] = i + 1 < n ? table[(b2 << 2) & 63] : fillChar_;
    out[3] = fillChar_;
}

std::string TIdEncoder3to4::ReadRange(TIdStream& source, std::size_t count) {
    if (count != All && count % 3 != 0) throw EIdException("Uneven size in Encode.");
    return ReadUpTo(source, count);
}

std::string TIdEncoder3to4::EncodeBytes(std::string_view bytes) const {
    std::string result((bytes.size() + 2) / 3 * 4, '\0');
    EncodeBlock(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), result.data());
    return result;
}

std::string TIdEncoder3to4::EncodeRange(TIdStream& source, std::size_t count) {
    return EncodeBytes(ReadRange(source, count));
}

std::string TIdEncoderUUEBase::EncodeRange(TIdStream& source, std::size_t count) {
    const std::string bytes = ReadRange(source, count);
    return CodingTable()[bytes.size() & 63] + EncodeBytes(bytes);
}

}  // namespace quillory
