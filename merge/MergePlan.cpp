#include "merge/MergePlan.h"

#include <unordered_map>

#include "contacts/AddressBook.h"

namespace quillory {
namespace {

// The later row's placeholders that the first lacks or has empty; its file when the first has none.
void MergeInto(MergeRow& first, MergeRow&& later) {
    later.values.ForEach([&first](const std::string& name, const std::string& value) {
        const std::string* known = first.values.Find(name);
        if (!known || (known->empty() && !value.empty())) first.values.Set(name, value);
    });
    if (first.name.empty()) first.name = std::move(later.name);
    first.named = first.named || later.named;
    if (first.file.empty() && !later.file.empty()) {
        first.file = std::move(later.file);
        first.fileProblem.clear();
    }
    first.mergedDuplicates += 1 + later.mergedDuplicates;
}

// A placeholder's value that may stand in a file name: nothing that leads to another folder.
bool SafeNamePart(const std::string& value) {
    return value.find('/') == std::string::npos && value.find('\0') == std::string::npos && value != "." &&
           value != "..";
}

}  // namespace

void AddRows(std::vector<MergeRow>& rows, std::vector<MergeRow> more) {
    std::unordered_map<std::string, std::size_t> byAddress;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (IsUsableAddress(rows[i].address)) byAddress.emplace(AddressKey(rows[i].address), i);
    rows.reserve(rows.size() + more.size());
    for (MergeRow& row : more) {
        if (!IsUsableAddress(row.address)) {
            rows.push_back(std::move(row));
            continue;
        }
        const auto [found, added] = byAddress.emplace(AddressKey(row.address), rows.size());
        if (added) rows.push_back(std::move(row));
        else MergeInto(rows[found->second], std::move(row));
    }
}

void AssignFiles(std::vector<MergeRow>& rows, const RowFiles& files) {
    for (MergeRow& row : rows) {
        row.file.clear();
        row.fileProblem.clear();
        if (files.kind == RowFiles::Kind::None) continue;
        if (files.kind == RowFiles::Kind::Column) {
            const std::string* value = row.values.Find(files.column);
            if (!value || value->empty()) {
                row.fileProblem = "Sloupec „" + files.column + "“ je prázdný";
                continue;
            }
            const std::filesystem::path path(*value);
            row.file = path.is_absolute() ? path : files.folder / path;
            continue;
        }
        // Each placeholder's value must stay a part of one name in the folder.
        PlaceholderValues safe;
        std::string unsafe;
        row.values.ForEach([&](const std::string& name, const std::string& value) {
            if (SafeNamePart(value)) {
                safe.Set(name, value);
            } else {
                safe.Set(name, {});
                if (files.pattern.find("{" + name + "}") != std::string::npos) unsafe = name;
            }
        });
        const FilledText name = FillPlaceholders(files.pattern, safe, FilledAs::Name);
        if (!unsafe.empty())
            row.fileProblem = "Zástupný údaj {" + unsafe + "} nemůže být součástí jména souboru";
        else if (!name.empty.empty())
            row.fileProblem = "Zástupný údaj {" + name.empty.front().name + "} je prázdný";
        else if (name.text.empty()) row.fileProblem = "Vzor nedává jméno souboru";
        else row.file = files.folder / name.text;
    }
}

}  // namespace quillory
