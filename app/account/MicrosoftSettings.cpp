#include "app/account/MicrosoftSettings.h"

#include "core/Exception.h"
#include "storage/IniFile.h"

namespace quillory {

namespace {

constexpr const char* kSection = "Microsoft";

}  // namespace

QString MicrosoftSettings::BuiltInClientId() { return QStringLiteral(QUILLORY_MICROSOFT_CLIENT_ID); }

bool SafeEndpoint(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    if (url.scheme() == "https") return true;
    const QString host = url.host().toLower();
    return url.scheme() == "http" && (host == "127.0.0.1" || host == "localhost" || host == "::1");
}

std::optional<QString> MicrosoftSettings::Problem() const {
    if (clientId.trimmed().isEmpty())
        return QStringLiteral(
            "Tato verze programu nemá registraci pro přihlášení účtem Microsoft, takže se jím přihlásit "
            "nelze.");
    if (!SafeEndpoint(authorizeEndpoint) || !SafeEndpoint(tokenEndpoint))
        return QStringLiteral(
            "Adresa přihlašovacího serveru Microsoft v nastavení není zabezpečená (https), přihlášení "
            "se proto nespustí.");
    return std::nullopt;
}

MicrosoftSettings ReadMicrosoftSettings(const std::string& iniPath) {
    MicrosoftSettings settings;
    try {
        const TIniFile ini(iniPath);
        const auto read = [&ini](const char* key) {
            return QString::fromUtf8(ini.ReadValue(kSection, key, "")).trimmed();
        };
        if (const QString id = read("ClientId"); !id.isEmpty()) settings.clientId = id;
        if (const QString url = read("AuthorizeUrl"); !url.isEmpty()) settings.authorizeEndpoint = QUrl(url);
        if (const QString url = read("TokenUrl"); !url.isEmpty()) settings.tokenEndpoint = QUrl(url);
    } catch (const Exception&) {
        // An INI file that cannot be read holds no overrides either: Microsoft's own endpoints stay.
    }
    return settings;
}

QStringList MicrosoftScopes(bool sentCopyOverImap) {
    QStringList scopes{"https://outlook.office.com/SMTP.Send", "offline_access", "openid", "email",
                       "profile"};
    if (sentCopyOverImap) scopes.insert(1, "https://outlook.office.com/IMAP.AccessAsUser.All");
    return scopes;
}

}  // namespace quillory
