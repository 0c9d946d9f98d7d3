#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace quillory {

// The kinds of properties the form storage keeps.
enum class TPropKind { Boolean, Integer, String, StringList };

// A property of a component that the storage reads and sets by name. Texts are the program's
// 8-bit Windows-1250 texts.
struct TPropInfo {
    QString Name;  // the declared name, as the INI key spells it: "Checked", "Text", "Items"
    TPropKind Kind = TPropKind::String;
    std::function<std::string(const QObject&)> GetText;  // Boolean, Integer, String
    std::function<void(QObject&, const std::string&)> SetText;
    std::function<std::vector<std::string>(const QObject&)> GetList;  // StringList
    std::function<void(QObject&, const std::vector<std::string>&)> SetList;
};

// The stored property of `object` whose name equals `name` ignoring case, or none: one of its Qt
// properties of the kinds above under its capitalised name ("checked" is "Checked"), and for a
// drop-down list its shown text "Text" and its entries "Items", which come first.
std::optional<TPropInfo> FindStoredProperty(const QObject& object, const QString& name);

// The window layer's texts to and from the program's 8-bit text: Windows-1250 when every character
// fits, else the marked UTF-8 form (core/ProgramText.h).
std::string ToProgramBytes(const QString& text);
QString FromProgramBytes(const std::string& bytes);

}  // namespace quillory
