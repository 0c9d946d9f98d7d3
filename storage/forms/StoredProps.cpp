#include "storage/forms/StoredProps.h"

#include <QObject>
#include <QWidget>

#include <optional>

#include "storage/PropsFormat.h"
#include "storage/forms/PropInfo.h"

namespace quillory {

namespace {

struct TSplitEntry {
    QString Component;
    QString Property;
};

// "component.property" split at the first "."; both halves trimmed and non-empty.
std::optional<TSplitEntry> SplitEntry(const QString& text) {
    const auto dot = text.indexOf(QLatin1Char('.'));
    if (dot < 0) return std::nullopt;
    TSplitEntry split{text.left(dot).trimmed(), text.mid(dot + 1).trimmed()};
    if (split.Component.isEmpty() || split.Property.isEmpty()) return std::nullopt;
    return split;
}

QObject* FindComponent(const QObjectList& components, const QString& name) {
    for (QObject* component : components) {
        if (component->objectName().compare(name, Qt::CaseInsensitive) == 0) return component;
    }
    return nullptr;
}

// Runs `visit` with the component, its key prefix and the resolved property for every entry,
// in list order; entries whose property does not resolve are skipped.
template <class Visit>
void ForEachProperty(const std::vector<std::pair<QPointer<QObject>, QString>>& entries, Visit visit) {
    for (const auto& [object, property] : entries) {
        if (const std::optional<TPropInfo> prop = FindStoredProperty(*object, property)) {
            visit(*object, PropertyKey(ToProgramBytes(object->objectName()), ToProgramBytes(prop->Name)),
                  *prop);
        }
    }
}

}  // namespace

void TStoredProps::Bind(const QWidget& form, const QStringList& entries) {
    entries_.clear();
    const QObjectList components = form.findChildren<QObject*>();
    for (const auto& text : entries) {
        const auto split = SplitEntry(text);
        if (!split) continue;
        if (QObject* component = FindComponent(components, split->Component))
            entries_.push_back({text, component});
    }
}

QStringList TStoredProps::Entries() const {
    QStringList texts;
    for (const auto& entry : entries_) texts.append(entry.Text);
    return texts;
}

void TStoredProps::Rebind() {
    std::erase_if(entries_,
                  [](const TEntry& entry) { return entry.Object.isNull() || !SplitEntry(entry.Text); });
    for (auto& entry : entries_) {
        entry.Text = entry.Object->objectName() + QLatin1Char('.') + SplitEntry(entry.Text)->Property;
    }
}

std::vector<std::pair<QPointer<QObject>, QString>> TStoredProps::Resolve() {
    Rebind();
    std::vector<std::pair<QPointer<QObject>, QString>> resolved;
    for (const auto& entry : entries_) resolved.emplace_back(entry.Object, SplitEntry(entry.Text)->Property);
    return resolved;
}

void TStoredProps::WriteAll(TCustomIniFile& ini, const std::string& section) {
    ForEachProperty(Resolve(), [&](QObject& object, const std::string& key, const TPropInfo& prop) {
        if (prop.Kind == TPropKind::StringList) {
            WriteStringListSection(ini, section, key, prop.GetList(object));
        } else {
            WritePropertyValue(ini, section, key, prop.GetText(object));
        }
    });
}

void TStoredProps::ReadAll(const TCustomIniFile& ini, const std::string& section) {
    ForEachProperty(Resolve(), [&](QObject& object, const std::string& key, const TPropInfo& prop) {
        try {
            if (prop.Kind == TPropKind::StringList) {
                if (auto entries = ReadStringListSection(ini, section, key)) prop.SetList(object, *entries);
            } else {
                prop.SetText(object, ReadPropertyValue(ini, section, key, prop.GetText(object)));
            }
        } catch (const std::exception&) {
            // The property keeps the value it had; the pass goes on with the next entry.
        }
    });
}

}  // namespace quillory
