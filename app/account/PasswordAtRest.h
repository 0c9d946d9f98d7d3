#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "storage/Variant.h"

namespace quillory {

class TFormStorage;
class TKeyring;

// Keeps a stored password (the SMTP one "smtpheslo", the IMAP one "imapheslo") at rest in the session's
// keyring when there is one, with its INI key left empty; without a keyring, scrambled in the INI file as
// every stored value.
//
// It hooks into the stored value's restore, first use and save. The restore only notes what the
// INI file holds: asking the keyring is a D-Bus round trip that may wait seconds or bring up an
// unlock prompt, so it is put off until the password is first read or written by name (the
// settings dialog, a send, a reset). That first use asks the keyring; a password found in the INI
// file is then moved into the keyring (the INI only ever holds one when the keyring could not take
// it, so it is the newer) and its INI key is emptied at once. The save puts a changed password into
// the keyring and writes the INI key empty; when the keyring does not take it, the INI key gets it
// scrambled. An unchanged password is not written again: one the run never used leaves the INI key
// as it was and the keyring unasked, and one the keyring could not give at its first use does not
// overwrite it with the empty text the run fell back to.
class TPasswordAtRest {
public:
    // `keyring` may be null (no keyring: the INI file keeps the password); it must outlive this.
    // `valueName` is the stored value that holds the password.
    TPasswordAtRest(TFormStorage& storage, TKeyring* keyring, std::string_view valueName);
    // Takes its hooks off the stored value again.
    ~TPasswordAtRest();
    TPasswordAtRest(const TPasswordAtRest&) = delete;
    TPasswordAtRest& operator=(const TPasswordAtRest&) = delete;

    enum class TPlace { IniFile, Keyring };
    // Where the password is kept now (after Ensure or the last save).
    TPlace Place() const { return place_; }
    // One short line for the settings dialog saying where that is.
    QString PlaceText() const;

private:
    void Restore(TVariant& value);
    // Asks the keyring for the password restored last, once; the stored value's first use by name
    // calls it.
    void Ensure();
    void Save(TVariant& value);
    QString EntryName() const;
    void EmptyIniKey() const;

    TFormStorage& storage_;
    TKeyring* keyring_;
    std::string valueName_;
    TPlace place_ = TPlace::IniFile;
    std::string kept_;      // the password as it is kept at rest (until Ensure: as in the INI file)
    bool pending_ = false;  // restored, the keyring not asked yet
    bool unread_ = false;   // the keyring could not be read by Ensure
};

}  // namespace quillory
