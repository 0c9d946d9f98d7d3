#include "app/account/MicrosoftSettings.h"

#include <QRegularExpression>

#include "core/Exception.h"
#include "storage/IniFile.h"

namespace quillory {

namespace {

constexpr const char* kSection = "Microsoft";
constexpr const char* kClientIdKey = "ClientId";
constexpr const char* kTenantKey = "Tenant";

QUrl EndpointOf(const QString& tenant, const char* path) {
    const QString directory = tenant.trimmed().isEmpty() ? QStringLiteral("common") : tenant.trimmed();
    return QUrl(QStringLiteral("https://login.microsoftonline.com/%1/oauth2/v2.0/%2").arg(directory, path));
}

}  // namespace

QString MicrosoftSettings::BuiltInClientId() { return QStringLiteral(QUILLORY_MICROSOFT_CLIENT_ID); }

QUrl MicrosoftSettings::AuthorizeEndpointOf(const QString& tenant) { return EndpointOf(tenant, "authorize"); }

QUrl MicrosoftSettings::TokenEndpointOf(const QString& tenant) { return EndpointOf(tenant, "token"); }

bool ValidTenant(const QString& tenant) {
    static const QRegularExpression guid(
        QStringLiteral("^[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}$"));
    // RFC 1035 §2.3.1 labels, at least two of them, or one of the well-known directory names.
    static const QRegularExpression domain(
        QStringLiteral("^([A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?\\.)+[A-Za-z]{2,63}$"));
    static const QRegularExpression wellKnown(QStringLiteral("^(common|organizations|consumers)$"),
                                              QRegularExpression::CaseInsensitiveOption);
    return guid.match(tenant).hasMatch() || (tenant.size() <= 253 && domain.match(tenant).hasMatch()) ||
           wellKnown.match(tenant).hasMatch();
}

bool SafeEndpoint(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    if (url.scheme() == "https") return true;
    const QString host = url.host().toLower();
    return url.scheme() == "http" && (host == "127.0.0.1" || host == "localhost" || host == "::1");
}

std::optional<QString> MicrosoftSettings::Problem() const {
    if (clientId.trimmed().isEmpty())
        return QStringLiteral(
            "Tato verze programu nemá registraci pro přihlášení účtem Microsoft. Zadejte ID aplikace, pod "
            "kterým ji správce vaší organizace zaregistroval v Microsoft Entra.");
    if (!badTenant.isEmpty())
        return QStringLiteral(
                   "„%1“ není ID adresáře ani doména. Zadejte ID adresáře (tenanta) nebo doménu "
                   "organizace, např. firma.cz, nebo pole nechte prázdné.")
            .arg(badTenant);
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
        if (const QString id = read(kClientIdKey); !id.isEmpty()) settings.clientId = id;
        if (const QString tenant = read(kTenantKey); !tenant.isEmpty()) {
            if (ValidTenant(tenant)) {
                settings.authorizeEndpoint = MicrosoftSettings::AuthorizeEndpointOf(tenant);
                settings.tokenEndpoint = MicrosoftSettings::TokenEndpointOf(tenant);
            } else {
                settings.badTenant = tenant;
            }
        }
        if (const QString url = read("AuthorizeUrl"); !url.isEmpty()) settings.authorizeEndpoint = QUrl(url);
        if (const QString url = read("TokenUrl"); !url.isEmpty()) settings.tokenEndpoint = QUrl(url);
    } catch (const Exception&) {
        // An INI file that cannot be read holds no overrides either: Microsoft's own endpoints stay.
    }
    return settings;
}

MicrosoftRegistration ReadMicrosoftRegistration(const std::string& iniPath) {
    MicrosoftRegistration registration;
    try {
        const TIniFile ini(iniPath);
        registration.clientId = QString::fromUtf8(ini.ReadValue(kSection, kClientIdKey, "")).trimmed();
        registration.tenant = QString::fromUtf8(ini.ReadValue(kSection, kTenantKey, "")).trimmed();
    } catch (const Exception&) {
        // Nothing kept can be read: the fields start empty.
    }
    return registration;
}

void WriteMicrosoftRegistration(const std::string& iniPath, const MicrosoftRegistration& registration) {
    TIniFile ini(iniPath);
    const auto keep = [&ini](const char* key, const QString& value) {
        const QString text = value.trimmed();
        if (text.isEmpty()) ini.DeleteKey(kSection, key);
        else ini.WriteValue(kSection, key, text.toUtf8().toStdString());
    };
    keep(kClientIdKey, registration.clientId);
    keep(kTenantKey, registration.tenant);
    ini.UpdateFile();
}

QStringList MicrosoftScopes(bool sentCopyOverImap) {
    QStringList scopes{"https://outlook.office.com/SMTP.Send", "offline_access", "openid", "email",
                       "profile"};
    if (sentCopyOverImap) scopes.insert(1, "https://outlook.office.com/IMAP.AccessAsUser.All");
    return scopes;
}

}  // namespace quillory
