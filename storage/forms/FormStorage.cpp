#include "storage/forms/FormStorage.h"

namespace quillory {

void TFormStorage::SetStoredProps(const QStringList& entries) { storedProps_.Bind(Form(), entries); }

void TFormStorage::WriteStoredValue(std::string_view name, TVariant value) {
    storedValues_.WriteStoredValue(name, std::move(value));
}

void TFormStorage::WritePlacement(TCustomIniFile& ini) {
    TFormPlacement::WritePlacement(ini);
    storedProps_.WriteAll(ini, IniSection());
    storedValues_.WriteAllValues(*this);
    if (OnWriteSections) OnWriteSections(ini);
}

void TFormStorage::ReadPlacement(const TCustomIniFile& ini) {
    TFormPlacement::ReadPlacement(ini);
    MarkRestored();
    try {
        storedProps_.ReadAll(ini, IniSection());
    } catch (const std::exception&) {
        // Reading stored properties never fails a restore: whatever could not be read stays as it is.
    }
    storedValues_.ReadAllValues(*this);
    if (OnReadSections) OnReadSections(ini);
}

}  // namespace quillory
