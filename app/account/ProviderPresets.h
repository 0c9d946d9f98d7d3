#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <filesystem>
#include <optional>

#include "merge/Pacer.h"
#include "net/smtp/SmtpAccount.h"

namespace quillory {

// One provider of the settings' "Poskytovatel" choice, as the data file shipped with the program
// (providers.ini) describes it.
struct ProviderPreset {
    QString id;          // the section's name: "seznam", "gmail", ...
    QString name;        // "Seznam.cz / Email.cz"
    QString smtpServer;  // as typed in the server field: "smtp.seznam.cz:465"
    QString imapServer;  // for the sent copy: "imap.seznam.cz:993"
    TLoginMethod login = TLoginMethod::Password;
    QStringList domains;   // lower case: "seznam.cz", "email.cz", ...
    QString hint;          // Czech, may hold a link
    SendingLimits limits;  // for mail merge; 0: none given
};

// The providers of the data file, in its order. The file is UTF-8 INI: a section per provider with
// Nazev, Smtp, Imap, Prihlaseni (heslo | microsoft), Domeny (blank-separated), Rada and the sending
// limits ZpravZaMinutu, ZpravZaHodinu, ZpravZaDen, PrijemcuZaDen (a limit that is no positive
// number is none); ";" and "#" begin comment lines. A section without Nazev or Smtp, or with another login,
// is left out.
QVector<ProviderPreset> ReadProviderPresets(const QByteArray& utf8);
// The same from a file; none when it cannot be read (the choice then offers only "Jiný").
QVector<ProviderPreset> ReadProviderPresets(const std::filesystem::path& file);

// The preset whose domains hold the domain of `address` ("jana@Seznam.cz" → seznam); none for
// text without "@" or an unknown domain.
std::optional<ProviderPreset> PresetForAddress(const QVector<ProviderPreset>& presets,
                                               const QString& address);

}  // namespace quillory
