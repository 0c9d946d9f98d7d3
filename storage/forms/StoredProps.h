#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

class QObject;
class QWidget;

namespace quillory {

class TCustomIniFile;

// The form storage's list of stored properties: entries "component.property", each bound to the
// form's component of that name. The list's order is the order of writing and of restoring.
class TStoredProps {
public:
    // Binds every entry to the form's component of that name (ignoring case); an entry without "."
    // or naming no component is dropped.
    void Bind(const QWidget& form, const QStringList& entries);
    QStringList Entries() const;

    // One pass over the list, writing each property under "<component>_<property>" in `section`.
    // INI errors propagate.
    void WriteAll(TCustomIniFile& ini, const std::string& section);
    // One pass over the list, setting each property from the INI file. A missing key gives back
    // the current value; an error while reading one property leaves it as it was.
    void ReadAll(const TCustomIniFile& ini, const std::string& section);

private:
    struct TEntry {
        QString Text;
        QPointer<QObject> Object;
    };

    // Drops the entries whose component has gone and rebuilds the texts from the components'
    // current names.
    void Rebind();
    // Rebind, then every entry's component with its property name.
    std::vector<std::pair<QPointer<QObject>, QString>> Resolve();

    std::vector<TEntry> entries_;
};

}  // namespace quillory
