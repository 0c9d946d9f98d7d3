#pragma once

#include <QStringList>

#include <functional>

#include "storage/StoredValues.h"
#include "storage/forms/FormPlacement.h"
#include "storage/forms/StoredProps.h"

namespace quillory {

// The form placement plus a list of stored properties of the form's components and a collection
// of named values. A save cycle writes the placement, then the properties in list order, then the
// values; a restore cycle reads them back in the same order.
class TFormStorage : public TFormPlacement {
    Q_OBJECT
public:
    using TFormPlacement::TFormPlacement;

    // Entries "component.property", bound to the form's components now; entries naming no
    // component of the form are dropped.
    void SetStoredProps(const QStringList& entries);
    QStringList StoredProps() const { return storedProps_.Entries(); }

    TStoredValues& StoredValues() { return storedValues_; }
    // In memory only: values reach the INI file at the next save cycle.
    TVariant ReadStoredValue(std::string_view name) const { return storedValues_.ReadStoredValue(name); }
    void WriteStoredValue(std::string_view name, TVariant value);

    // Sections of the form's own beside its section: written at the end of a save cycle, read at
    // the end of a restore cycle, in the cycle's file.
    std::function<void(TCustomIniFile& ini)> OnWriteSections;
    std::function<void(const TCustomIniFile& ini)> OnReadSections;

protected:
    void WritePlacement(TCustomIniFile& ini) override;
    void ReadPlacement(const TCustomIniFile& ini) override;

private:
    TStoredProps storedProps_;
    TStoredValues storedValues_;
};

}  // namespace quillory
