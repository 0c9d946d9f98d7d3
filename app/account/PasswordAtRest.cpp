#include "app/account/PasswordAtRest.h"

#include "app/Win1250Text.h"
#include "app/desktop/Keyring.h"
#include "core/Exception.h"
#include "storage/IniFile.h"
#include "storage/IniLocation.h"
#include "storage/StoredValues.h"
#include "storage/forms/FormStorage.h"

namespace quillory {

namespace {

using TState = TKeyring::TEntry::TState;

}  // namespace

TPasswordAtRest::TPasswordAtRest(TFormStorage& storage, TKeyring* keyring, std::string_view valueName)
    : storage_(storage), keyring_(keyring), valueName_(valueName) {
    TStoredValue& value = *storage_.StoredValues().FindValue(valueName_);
    value.OnRestore = [this](TStoredValue&, TVariant& restored) { Restore(restored); };
    value.OnSave = [this](TStoredValue&, TVariant& written) { Save(written); };
    value.OnUse = [this](TStoredValue&) { Ensure(); };
}

TPasswordAtRest::~TPasswordAtRest() {
    if (TStoredValue* value = storage_.StoredValues().FindValue(valueName_)) {
        value->OnRestore = nullptr;
        value->OnSave = nullptr;
        value->OnUse = nullptr;
    }
}

QString TPasswordAtRest::PlaceText() const {
    return place_ == TPlace::Keyring ? QString("(uloženo v systémové klíčence)")
                                     : QString("(uloženo jen zakódované v souboru nastavení)");
}

// One entry per INI file, so that two configuration folders never share a password.
QString TPasswordAtRest::EntryName() const {
    return QString::fromLatin1(valueName_.data(), qsizetype(valueName_.size())) + " in " +
           QString::fromStdString(ResolveIniPath(storage_.IniFileName()).string());
}

void TPasswordAtRest::Restore(TVariant& value) {
    place_ = TPlace::IniFile;
    kept_ = VarToStr(value);
    pending_ = keyring_ != nullptr;
    unread_ = false;
}

void TPasswordAtRest::Ensure() {
    if (!pending_) return;
    pending_ = false;
    const TKeyring::TEntry entry = keyring_->Read(EntryName());
    if (entry.state == TState::Unavailable) {
        unread_ = true;
        return;
    }
    if (kept_.empty()) {
        kept_ = ToWin1250(entry.secret);
        storage_.StoredValues().FindValue(valueName_)->Value = kept_;
        place_ = TPlace::Keyring;
        return;
    }
    // A password in the INI file moves into the keyring: it is newer than the keyring's, since the
    // INI only gets one when the keyring did not take it.
    if (keyring_->Write(EntryName(), FromWin1250(kept_))) {
        place_ = TPlace::Keyring;
        EmptyIniKey();
    }
}

void TPasswordAtRest::Save(TVariant& value) {
    // Never used since the restore: the INI file gets back what it held.
    if (keyring_ == nullptr || pending_) return;
    const std::string password = VarToStr(value);
    if (password == kept_ && (place_ == TPlace::Keyring || unread_)) {
        if (place_ == TPlace::Keyring) value = std::string();
        return;
    }
    kept_ = password;
    if (keyring_->Write(EntryName(), FromWin1250(password))) {
        place_ = TPlace::Keyring;
        unread_ = false;
        value = std::string();
    } else {
        place_ = TPlace::IniFile;
    }
}

// Outside the restore cycle, whose copy of the file is never written back.
void TPasswordAtRest::EmptyIniKey() const {
    try {
        TIniFile ini(storage_.IniFileName());
        ini.WriteValue(storage_.IniSection(), valueName_, "");
        ini.UpdateFile();
    } catch (const Exception&) {
        // The scrambled copy stays until the next save empties the key, which reports any error.
    }
}

}  // namespace quillory
