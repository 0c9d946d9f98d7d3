#include "storage/IniDocument.h"

#include <algorithm>

#include "core/ProgramText.h"
#include "core/TextCase.h"
#include "storage/StrUtil.h"

namespace quillory {

void TIniDocument::TSection::AddLine(TLine line) {
    if (line.IsKey) Keys.try_emplace(UpperCase(line.Key), Lines.size());
    Lines.push_back(std::move(line));
}

const TIniDocument::TLine* TIniDocument::TSection::FindKey(std::string_view key) const {
    const auto found = Keys.find(UpperCase(key));
    return found == Keys.end() ? nullptr : &Lines[found->second];
}

void TIniDocument::TSection::IndexKeys() {
    Keys.clear();
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (Lines[i].IsKey) Keys.try_emplace(UpperCase(Lines[i].Key), i);
    }
}

TIniDocument::TSection& TIniDocument::AddSection(std::string name) {
    sectionIndex_.try_emplace(UpperCase(name), sections_.size());
    sections_.push_back({std::move(name), {}, {}});
    return sections_.back();
}

TIniDocument TIniDocument::Parse(std::string_view file) {
    // A file with the mark is UTF-8 throughout; each name and line then takes the program's form
    // of its own, so a value Windows-1250 can hold reads as its bytes.
    const bool utf8 = IsUtf8Form(file);
    const std::string_view text = utf8 ? file.substr(kUtf8Mark.size()) : file;
    const auto form = [utf8](std::string_view piece) {
        return utf8 ? ProgramTextFromUtf8(piece) : ProgramTextFromWin1250(piece);
    };
    TIniDocument document;
    TSection* current = nullptr;  // none before the first section header
    const auto add = [&document, &current](TLine line) {
        if (current == nullptr) {
            document.leading_.push_back(std::move(line));
        } else {
            current->AddLine(std::move(line));
        }
    };
    for (std::string_view rest = text; !rest.empty();) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        const std::string_view trimmed = TrimBlanks(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::string_view name = trimmed.substr(1, trimmed.find(']') - 1);
            current = &document.AddSection(form(TrimBlanks(name)));
        } else if (const auto equals = line.find('='); equals != std::string_view::npos) {
            add({true, form(TrimBlanks(line.substr(0, equals))), form(line.substr(equals + 1))});
        } else {
            add({false, {}, form(line)});
        }
    }
    return document;
}

bool TIniDocument::NeedsUtf8() const {
    const auto any = [](const std::vector<TLine>& lines) {
        return std::any_of(lines.begin(), lines.end(),
                           [](const TLine& line) { return IsUtf8Form(line.Key) || IsUtf8Form(line.Text); });
    };
    return any(leading_) || std::any_of(sections_.begin(), sections_.end(), [&any](const TSection& section) {
               return IsUtf8Form(section.Name) || any(section.Lines);
           });
}

std::string TIniDocument::Serialize() const {
    // Windows-1250 as ever while every text is; else the whole file in UTF-8 behind the mark.
    const bool utf8 = NeedsUtf8();
    std::string text(utf8 ? kUtf8Mark : std::string_view());
    const auto put = [&text, utf8](std::string_view piece) {
        if (utf8) text += ProgramTextToUtf8(piece);
        else text += piece;
    };
    const auto append = [&text, &put](const std::vector<TLine>& lines) {
        for (const auto& line : lines) {
            if (line.IsKey) {
                put(line.Key);
                text += '=';
            }
            put(line.Text);
            text += "\r\n";
        }
    };
    append(leading_);
    for (const auto& section : sections_) {
        text += '[';
        put(section.Name);
        text += "]\r\n";
        append(section.Lines);
    }
    return text;
}

TIniDocument::TSection* TIniDocument::FindSection(std::string_view name) {
    const auto found = sectionIndex_.find(UpperCase(name));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const TIniDocument::TSection* TIniDocument::FindSection(std::string_view name) const {
    return const_cast<TIniDocument*>(this)->FindSection(name);
}

std::optional<std::string_view> TIniDocument::Find(std::string_view section, std::string_view key) const {
    const TSection* found = FindSection(section);
    if (found == nullptr) return std::nullopt;
    const TLine* line = found->FindKey(key);
    if (line == nullptr) return std::nullopt;
    return std::string_view(line->Text);
}

void TIniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    TSection* target = FindSection(section);
    if (target == nullptr) target = &AddSection(std::string(section));
    auto& lines = target->Lines;
    const auto [slot, added] = target->Keys.try_emplace(UpperCase(key), 0);
    if (!added) {
        lines[slot->second].Text = value;
        return;
    }
    // After the section's last key, so blank lines that separate it from the next section stay last.
    // Only lines that are not keys move, so the key index stays right.
    const auto lastKey = std::find_if(lines.rbegin(), lines.rend(), [](const TLine& l) { return l.IsKey; });
    slot->second = static_cast<std::size_t>(lastKey.base() - lines.begin());
    lines.insert(lastKey.base(), TLine{true, std::string(key), std::string(value)});
}

bool TIniDocument::EraseSection(std::string_view section) {
    const auto found = sectionIndex_.find(UpperCase(section));
    if (found == sectionIndex_.end()) return false;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(found->second));
    // Positions after the erased section moved, and a later section of the same name now comes first.
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        sectionIndex_.try_emplace(UpperCase(sections_[i].Name), i);
    return true;
}

bool TIniDocument::EraseKey(std::string_view section, std::string_view key) {
    TSection* found = FindSection(section);
    if (found == nullptr || found->FindKey(key) == nullptr) return false;
    std::erase_if(found->Lines, [key](const TLine& l) { return l.IsKey && SameText(l.Key, key); });
    found->IndexKeys();
    return true;
}

std::vector<std::string> TIniDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const auto& section : sections_) names.push_back(section.Name);
    return names;
}

std::vector<std::string> TIniDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const TSection* found = FindSection(section)) {
        for (const auto& line : found->Lines) {
            if (line.IsKey) names.push_back(line.Key);
        }
    }
    return names;
}

}  // namespace quillory
