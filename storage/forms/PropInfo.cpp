#include "storage/forms/PropInfo.h"

#include <QComboBox>
#include <QMetaProperty>
#include <QObject>

#include "core/ProgramText.h"
#include "storage/PropsFormat.h"

namespace quillory {

std::string ToProgramBytes(const QString& text) { return ProgramTextFromUtf8(text.toStdString()); }

QString FromProgramBytes(const std::string& bytes) {
    return QString::fromStdString(ProgramTextToUtf8(bytes));
}

namespace {

std::vector<std::string> ToByteList(const QStringList& list) {
    std::vector<std::string> entries;
    for (const auto& entry : list) entries.push_back(ToProgramBytes(entry));
    return entries;
}

QStringList FromByteList(const std::vector<std::string>& entries) {
    QStringList list;
    for (const auto& entry : entries) list.append(FromProgramBytes(entry));
    return list;
}

// A Qt property of one of the kept kinds, read and written through the meta-object.
std::optional<TPropInfo> FromMetaProperty(const QMetaProperty& meta) {
    if (!meta.isReadable() || !meta.isWritable()) return std::nullopt;
    TPropInfo info;
    info.Name = QString::fromLatin1(meta.name());
    info.Name[0] = info.Name[0].toUpper();
    const char* name = meta.name();
    switch (meta.metaType().id()) {
    case QMetaType::Bool:
        info.Kind = TPropKind::Boolean;
        info.GetText = [name](const QObject& o) { return BooleanText(o.property(name).toBool()); };
        info.SetText = [name](QObject& o, const std::string& text) {
            if (const auto value = ParseBooleanText(text)) o.setProperty(name, *value);
        };
        return info;
    case QMetaType::Int:
        info.Kind = TPropKind::Integer;
        info.GetText = [name](const QObject& o) { return std::to_string(o.property(name).toInt()); };
        info.SetText = [name](QObject& o, const std::string& text) {
            o.setProperty(name, QString::fromStdString(text).toInt());
        };
        return info;
    case QMetaType::QString:
        info.Kind = TPropKind::String;
        info.GetText = [name](const QObject& o) { return ToProgramBytes(o.property(name).toString()); };
        info.SetText = [name](QObject& o, const std::string& text) {
            o.setProperty(name, FromProgramBytes(text));
        };
        return info;
    case QMetaType::QStringList:
        info.Kind = TPropKind::StringList;
        info.GetList = [name](const QObject& o) { return ToByteList(o.property(name).toStringList()); };
        info.SetList = [name](QObject& o, const std::vector<std::string>& list) {
            o.setProperty(name, FromByteList(list));
        };
        return info;
    default:
        return std::nullopt;
    }
}

// A drop-down list's shown text and its entries, which Qt does not offer as properties.
std::optional<TPropInfo> ComboBoxProperty(const QString& name) {
    if (name.compare(QLatin1StringView("Text"), Qt::CaseInsensitive) == 0) {
        TPropInfo text;
        text.Name = QStringLiteral("Text");
        text.Kind = TPropKind::String;
        text.GetText = [](const QObject& o) {
            return ToProgramBytes(static_cast<const QComboBox&>(o).currentText());
        };
        text.SetText = [](QObject& o, const std::string& value) {
            static_cast<QComboBox&>(o).setCurrentText(FromProgramBytes(value));
        };
        return text;
    }
    if (name.compare(QLatin1StringView("Items"), Qt::CaseInsensitive) == 0) {
        TPropInfo items;
        items.Name = QStringLiteral("Items");
        items.Kind = TPropKind::StringList;
        items.GetList = [](const QObject& o) {
            const auto& combo = static_cast<const QComboBox&>(o);
            QStringList list;
            for (int i = 0; i < combo.count(); ++i) list.append(combo.itemText(i));
            return ToByteList(list);
        };
        // The entries are replaced; nothing is left selected and the shown text stays as it was.
        items.SetList = [](QObject& o, const std::vector<std::string>& entries) {
            auto& combo = static_cast<QComboBox&>(o);
            const QString shown = combo.currentText();
            combo.clear();
            combo.addItems(FromByteList(entries));
            combo.setCurrentIndex(-1);
            if (combo.isEditable()) combo.setEditText(shown);
        };
        return items;
    }
    return std::nullopt;
}

}  // namespace

// Only the property asked for is looked at: the start-up restore asks for a few properties of many
// widgets, each of which has some sixty.
std::optional<TPropInfo> FindStoredProperty(const QObject& object, const QString& name) {
    if (qobject_cast<const QComboBox*>(&object) != nullptr) {
        if (auto info = ComboBoxProperty(name)) return info;
    }
    const QMetaObject* meta = object.metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (name.compare(QLatin1StringView(property.name()), Qt::CaseInsensitive) != 0) continue;
        if (auto info = FromMetaProperty(property)) return info;
    }
    return std::nullopt;
}

}  // namespace quillory
