#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/Exception.h"
#include "storage/IniDocument.h"

namespace quillory {

// A write to the INI file that did not succeed: "Unable to write to %s" with the file name as given.
class EIniFileException : public Exception {
public:
    explicit EIniFileException(std::string_view fileName);
};

// Text values by section and key, plus the typed reads and writes built on them. Numbers and flags
// are stored as decimal text.
class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::string& FileName() const { return fileName_; }

    // The key's value, or `defaultValue` when the section or key is missing; an existing key with
    // an empty value reads as the empty text.
    virtual std::string ReadValue(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const = 0;
    virtual void WriteValue(std::string_view section, std::string_view key, std::string_view value) = 0;
    virtual void ClearSection(std::string_view section) = 0;
    virtual void DeleteKey(std::string_view section, std::string_view key) = 0;

    // Decimal with optional sign, or hexadecimal after "0x"/"0X" or "$"; anything else (or a value
    // outside the signed 32-bit range) gives `defaultValue`.
    int ReadNumber(std::string_view section, std::string_view key, int defaultValue) const;
    void WriteNumber(std::string_view section, std::string_view key, int value);
    bool ReadFlag(std::string_view section, std::string_view key, bool defaultValue) const;
    void WriteFlag(std::string_view section, std::string_view key, bool value);

private:
    std::string fileName_;
};

// The most an INI file may hold (4 MiB); the program's own file stays far below it.
inline constexpr std::size_t kMaxIniFileBytes = std::size_t(4) << 20;

// The INI file on disk. The constructor reads the whole file (a missing or unreadable file reads
// as empty; so does anything but a regular file, which is never waited on, and a file larger than
// kMaxIniFileBytes); reads and writes then work on that copy, and UpdateFile writes the copy back whole,
// once, at the end of a cycle of writes. Destroying the object without UpdateFile leaves the file
// as it was, so a cycle that stops half-way never leaves a half-written file.
//
// Values are stored as given, except a value holding a line break (or a NUL), which is written
// escaped behind a marker so that it stays on its one line and cannot open another key or section;
// reading turns it back. A plain value that happens to begin with the marker is escaped as well.
class TIniFile : public TCustomIniFile {
public:
    // A bare file name lives in the user's configuration folder (ResolveIniPath).
    explicit TIniFile(std::string fileName);

    const std::filesystem::path& Path() const { return path_; }

    // Surrounding blanks are removed, then one pair of enclosing quotes (both double or both single).
    std::string ReadValue(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const override;
    // Raises EIniFileException for a section or key name that cannot stand on an INI line.
    void WriteValue(std::string_view section, std::string_view key, std::string_view value) override;
    void ClearSection(std::string_view section) override;
    void DeleteKey(std::string_view section, std::string_view key) override;

    std::vector<std::string> ReadSections() const { return document_.SectionNames(); }
    std::vector<std::string> ReadSectionKeys(std::string_view section) const;

    // Writes the file when anything changed since it was read or last written: replaced whole or not
    // at all, readable by its owner only. Raises EIniFileException when the file cannot be written,
    // and also when it exists but could not be read or is write-protected, since replacing it would
    // lose what it holds.
    void UpdateFile();

private:
    std::filesystem::path path_;
    TIniDocument document_;
    bool unreadable_ = false;
    bool modified_ = false;
};

// The escaped form of a value on its INI line, and back. Exposed for the tests of the file format.
std::string EncodeIniValue(std::string_view value);
std::string DecodeIniValue(std::string_view stored);

}  // namespace quillory
