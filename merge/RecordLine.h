#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The line form the run's journal and plan files share: each line is the CRC-32 of its record in
// 8 hexadecimal digits, a blank and the record; texts in a record are escaped so a record is one
// line.
namespace quillory::record {

// CRC-32 (the one of zip and PNG): a record changed on the disk does not pass for another.
std::uint32_t Crc32(std::string_view text);

// A text in a record: a backslash, line ends and other controls escaped.
std::string Escape(std::string_view text);
// The escaped text back; nothing when it holds a bare control or an escape it does not know.
std::optional<std::string> Unescape(std::string_view text);

// A decimal number without leading zeros, at most `max`.
std::optional<std::uint64_t> Number(std::string_view text, std::uint64_t max);

// The record as its line (with the line end).
std::string Line(std::string_view record);
// The record of a line (without its line end) whose CRC-32 matches; nothing otherwise.
std::optional<std::string_view> Checked(std::string_view line);

// The first `count` fields separated by single blanks, and with `rest` the rest of the record after
// the next blank as the last one (empty when the record ends after the fields).
std::optional<std::vector<std::string_view>> Fields(std::string_view record, std::size_t count, bool rest);

}  // namespace quillory::record
