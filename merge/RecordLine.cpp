#include "merge/RecordLine.h"

#include <array>
#include <cstdio>

namespace quillory::record {
namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? 0xEDB88320u ^ (value >> 1) : value >> 1;
        table[i] = value;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

constexpr std::string_view kHex = "0123456789ABCDEF";

int HexDigit(char ch) {
    const std::size_t found = kHex.find(ch);
    return found == std::string_view::npos ? -1 : static_cast<int>(found);
}

}  // namespace

std::uint32_t Crc32(std::string_view text) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : text) crc = kCrcTable[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '\\') {
            out += "\\\\";
        } else if (ch == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) return std::nullopt;
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 >= text.size()) return std::nullopt;
        const char next = text[++i];
        if (next == '\\') {
            out += '\\';
        } else if (next == 'n') {
            out += '\n';
        } else if (next == 'x' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                   HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::optional<std::uint64_t> Number(std::string_view text, std::uint64_t max) {
    if (text.empty() || text.size() > 19 || (text.size() > 1 && text.front() == '0')) return std::nullopt;
    std::uint64_t value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(ch - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

std::string Line(std::string_view record) {
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(Crc32(record)));
    std::string line(crc, 8);
    line += ' ';
    line += record;
    line += '\n';
    return line;
}

std::optional<std::string_view> Checked(std::string_view line) {
    if (line.size() < 9 || line[8] != ' ') return std::nullopt;
    std::uint32_t crc = 0;
    for (int i = 0; i < 8; ++i) {
        const int digit = HexDigit(line[static_cast<std::size_t>(i)]);
        if (digit < 0) return std::nullopt;
        crc = crc * 16 + static_cast<std::uint32_t>(digit);
    }
    const std::string_view record = line.substr(9);
    if (Crc32(record) != crc) return std::nullopt;
    return record;
}

std::optional<std::vector<std::string_view>> Fields(std::string_view record, std::size_t count, bool rest) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t end = record.find(' ', start);
        if (end == std::string_view::npos) end = record.size();
        if (end == start) return std::nullopt;
        fields.push_back(record.substr(start, end - start));
        if (end == record.size()) {
            start = end;
            if (i + 1 < count || rest) return std::nullopt;
            return fields;
        }
        start = end + 1;
    }
    if (!rest) return std::nullopt;  // more than `count` fields
    fields.push_back(record.substr(start));
    return fields;
}

}  // namespace quillory::record
