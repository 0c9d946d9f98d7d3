#include "storage/IniDocument.h"

#include <algorithm>

#include "storage/StrUtil.h"

namespace quillory {

TIniDocument TIniDocument::Parse(std::string_view text) {
    TIniDocument document;
    std::vector<TLine>* lines = &document.leading_;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        const std::string_view trimmed = TrimBlanks(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::string_view name = trimmed.substr(1, trimmed.find(']') - 1);
            document.sections_.push_back({std::string(TrimBlanks(name)), {}});
            lines = &document.sections_.back().Lines;
        } else if (const auto equals = line.find('='); equals != std::string_view::npos) {
            lines->push_back({true, std::string(TrimBlanks(line.substr(0, equals))),
                              std::string(line.substr(equals + 1))});
        } else {
            lines->push_back({false, {}, std::string(line)});
        }
    }
    return document;
}

std::string TIniDocument::Serialize() const {
    std::string text;
    const auto append = [&text](const std::vector<TLine>& lines) {
        for (const auto& line : lines) {
            if (line.IsKey) text += line.Key + '=';
            text += line.Text + "\r\n";
        }
    };
    append(leading_);
    for (const auto& section : sections_) {
        text += '[' + section.Name + "]\r\n";
        append(section.Lines);
    }
    return text;
}

TIniDocument::TSection* TIniDocument::FindSection(std::string_view name) {
    const auto found = std::find_if(sections_.begin(), sections_.end(),
                                    [name](const TSection& s) { return SameText(s.Name, name); });
    return found == sections_.end() ? nullptr : &*found;
}

const TIniDocument::TSection* TIniDocument::FindSection(std::string_view name) const {
    return const_cast<TIniDocument*>(this)->FindSection(name);
}

std::optional<std::string_view> TIniDocument::Find(std::string_view section, std::string_view key) const {
    const TSection* found = FindSection(section);
    if (found == nullptr) return std::nullopt;
    for (const auto& line : found->Lines) {
        if (line.IsKey && SameText(line.Key, key)) return std::string_view(line.Text);
    }
    return std::nullopt;
}

void TIniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    TSection* target = FindSection(section);
    if (target == nullptr) {
        sections_.push_back({std::string(section), {}});
        target = &sections_.back();
    }
    auto& lines = target->Lines;
    for (auto& line : lines) {
        if (line.IsKey && SameText(line.Key, key)) {
            line.Text = value;
            return;
        }
    }
    // After the section's last key, so blank lines that separate it from the next section stay last.
    const auto lastKey = std::find_if(lines.rbegin(), lines.rend(), [](const TLine& l) { return l.IsKey; });
    lines.insert(lastKey.base(), TLine{true, std::string(key), std::string(value)});
}

bool TIniDocument::EraseSection(std::string_view section) {
    const auto found = std::find_if(sections_.begin(), sections_.end(),
                                    [section](const TSection& s) { return SameText(s.Name, section); });
    if (found == sections_.end()) return false;
    sections_.erase(found);
    return true;
}

bool TIniDocument::EraseKey(std::string_view section, std::string_view key) {
    TSection* found = FindSection(section);
    if (found == nullptr) return false;
    return std::erase_if(found->Lines, [key](const TLine& l) { return l.IsKey && SameText(l.Key, key); }) > 0;
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
