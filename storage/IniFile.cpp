#include "storage/IniFile.h"

#include <sys/stat.h>

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <limits>

#include "core/ProgramText.h"
#include "storage/AtomicFile.h"
#include "storage/IniLocation.h"
#include "storage/RegularFile.h"
#include "storage/StrUtil.h"

namespace quillory {

namespace {

// Begins a value that was escaped because it holds a line break: "\r", "\n", "\0" and "\\" then
// stand for CR, LF, NUL and the backslash.
constexpr std::string_view kEscapedMark = "\\~";

bool NeedsEscape(std::string_view value) {
    return value.starts_with(kEscapedMark) ||
           value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string Unescape(std::string_view body) {
    std::string text;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 == body.size()) {
            text += body[i];
            continue;
        }
        switch (body[++i]) {
        case 'r':
            text += '\r';
            break;
        case 'n':
            text += '\n';
            break;
        case '0':
            text += '\0';
            break;
        default:
            text += body[i];
            break;
        }
    }
    return text;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// A name that would break its line or be read as another section or key.
bool IsValidName(std::string_view name, std::string_view forbidden) {
    return !name.empty() && name.find_first_of(forbidden) == std::string_view::npos &&
           TrimBlanks(name) == name;
}

bool ParseInteger(std::string_view text, int& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    unsigned long long magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (base == 16) {
        // Hexadecimal covers the 32 bits: $FFFFFFFF is -1.
        if (magnitude > std::numeric_limits<std::uint32_t>::max()) return false;
        const auto bits = static_cast<std::uint32_t>(magnitude);
        value = static_cast<int>(negative ? 0u - bits : bits);
        return true;
    }
    const long long signedValue =
        negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (magnitude > 1ull << 31 || signedValue < std::numeric_limits<int>::min() ||
        signedValue > std::numeric_limits<int>::max()) {
        return false;
    }
    value = static_cast<int>(signedValue);
    return true;
}

}  // namespace

EIniFileException::EIniFileException(std::string_view fileName)
    : Exception(FormatFileMessage("Unable to write to %s", fileName)) {}

int TCustomIniFile::ReadNumber(std::string_view section, std::string_view key, int defaultValue) const {
    std::string text = ReadValue(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
    int value = 0;
    return ParseInteger(text, value) ? value : defaultValue;
}

void TCustomIniFile::WriteNumber(std::string_view section, std::string_view key, int value) {
    WriteValue(section, key, std::to_string(value));
}

bool TCustomIniFile::ReadFlag(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadNumber(section, key, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteFlag(std::string_view section, std::string_view key, bool value) {
    WriteValue(section, key, value ? "1" : "0");
}

std::string EncodeIniValue(std::string_view value) {
    // The UTF-8 form keeps its mark in front of the escaped text, where the file's reading finds it.
    if (IsUtf8Form(value)) return std::string(kUtf8Mark) + EncodeIniValue(value.substr(kUtf8Mark.size()));
    if (!NeedsEscape(value)) return std::string(value);
    std::string stored(kEscapedMark);
    for (const char c : value) {
        switch (c) {
        case '\r':
            stored += "\\r";
            break;
        case '\n':
            stored += "\\n";
            break;
        case '\0':
            stored += "\\0";
            break;
        case '\\':
            stored += "\\\\";
            break;
        default:
            stored += c;
            break;
        }
    }
    return stored;
}

std::string DecodeIniValue(std::string_view stored) {
    if (IsUtf8Form(stored)) return std::string(kUtf8Mark) + DecodeIniValue(stored.substr(kUtf8Mark.size()));
    std::string text(TrimBlanks(stored));
    if (std::string_view(text).starts_with(kEscapedMark)) {
        text = TrimBlanks(Unescape(std::string_view(text).substr(kEscapedMark.size())));
    }
    if (text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

TIniFile::TIniFile(std::string fileName)
    : TCustomIniFile(std::move(fileName)), path_(ResolveIniPath(FileName())) {
    std::string text;
    const TReadResult read = ReadRegularFile(path_, kMaxIniFileBytes, text);
    if (read) {
        document_ = TIniDocument::Parse(text);
    } else if (read.failure != TReadResult::TFailure::System || read.error != ENOENT) {
        unreadable_ = true;
    }
}

std::string TIniFile::ReadValue(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const auto stored = document_.Find(section, key);
    return stored ? DecodeIniValue(*stored) : std::string(defaultValue);
}

void TIniFile::WriteValue(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsValidName(section, std::string_view("]\r\n\0", 4)) ||
        !IsValidName(key, std::string_view("=\r\n\0", 4)) || key.front() == '[') {
        throw EIniFileException(FileName());
    }
    document_.Set(section, key, EncodeIniValue(value));
    modified_ = true;
}

void TIniFile::ClearSection(std::string_view section) {
    if (document_.EraseSection(section)) modified_ = true;
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    if (document_.EraseKey(section, key)) modified_ = true;
}

std::vector<std::string> TIniFile::ReadSectionKeys(std::string_view section) const {
    return document_.KeyNames(section);
}

void TIniFile::UpdateFile() {
    if (!modified_) return;
    std::error_code error;
    const bool exists = std::filesystem::exists(path_, error);
    if (unreadable_ || (exists && ::access(path_.c_str(), W_OK) != 0) ||
        !ReplaceFileWhole(path_, document_.Serialize(), {.createFolder = true, .mode = S_IRUSR | S_IWUSR})) {
        throw EIniFileException(FileName());
    }
    modified_ = false;
}

}  // namespace quillory
