#pragma once

#include <QString>
#include <QStringList>

#include <functional>
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

// The stored properties of one component, sorted by name: its Qt properties of the kinds above
// under their capitalised names ("checked" is "Checked"), and for a drop-down list its shown text
// "Text" and its entries "Items".
class TPropInfoList {
public:
    explicit TPropInfoList(const QObject& object);

    // The first property whose name equals `name` ignoring case, or none.
    const TPropInfo* FindProperty(const QString& name) const;
    std::size_t Count() const { return props_.size(); }
    const TPropInfo& operator[](std::size_t index) const { return props_[index]; }

private:
    std::vector<TPropInfo> props_;
};

// The window layer's texts to and from the program's 8-bit Windows-1250 text.
std::string ToWin1250Bytes(const QString& text);
QString FromWin1250Bytes(const std::string& bytes);

}  // namespace quillory
