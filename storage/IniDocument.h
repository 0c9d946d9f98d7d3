#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillory {

// The text of an INI file held in memory: sections in file order, each with its lines. Section and
// key names match without regard to letter case; the first of two equal names wins, as it does for
// a reader of the file. Lines that are neither a section header nor a key (blank lines, comments)
// are kept as they are, so rewriting the file loses nothing it does not understand.
class TIniDocument {
public:
    // LF ends a line and a CR before it is dropped. The document holds the program's 8-bit text
    // (core/ProgramText.h): a file that begins with the UTF-8 mark is read as UTF-8, and each of
    // its names and lines takes its own form; a file without it is Windows-1250 as ever.
    static TIniDocument Parse(std::string_view file);
    // Every line followed by CR LF: Windows-1250 while every name and line is, else the whole file
    // in UTF-8 behind the mark.
    std::string Serialize() const;

    // The value text exactly as it stands after "=", or nothing when the section or key is missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    // Replaces the value of an existing key, else adds the key at the end of its section, adding
    // the section at the end of the file when it is missing.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes the section's header and all its lines; false when there is no such section.
    bool EraseSection(std::string_view section);
    bool EraseKey(std::string_view section, std::string_view key);

    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

private:
    struct TLine {
        bool IsKey = false;
        std::string Key;   // IsKey: the key name, blanks removed
        std::string Text;  // IsKey: the value after "="; otherwise the whole line
    };
    // Upper-case name to the position of the first section or key line of that name.
    using TNameIndex = std::unordered_map<std::string, std::size_t>;

    struct TSection {
        std::string Name;
        std::vector<TLine> Lines;
        TNameIndex Keys;

        void AddLine(TLine line);
        const TLine* FindKey(std::string_view key) const;
        void IndexKeys();
    };

    bool NeedsUtf8() const;
    TSection& AddSection(std::string name);
    TSection* FindSection(std::string_view name);
    const TSection* FindSection(std::string_view name) const;

    std::vector<TLine> leading_;  // lines before the first section header
    std::vector<TSection> sections_;
    TNameIndex sectionIndex_;
};

}  // namespace quillory
