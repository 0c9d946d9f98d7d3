#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <string>

namespace quillory {

// The application's registration with Microsoft Entra as a user or an administrator typed it into
// the sign-in panel (for a build that carries none): the client id and, optionally, the directory
// (tenant) it is registered in, as a directory ID or one of its domains. Kept in the INI file's
// section [Microsoft] ("ClientId", "Tenant").
struct MicrosoftRegistration {
    QString clientId;
    QString tenant;
};

// Where and as whom the program signs in to a Microsoft account (OAuth 2.0 for native apps, RFC
// 8252): the application's registration (its client id, a build setting or typed in), the
// authorization and token endpoints of the "common" tenant, so that personal and work accounts
// both sign in, or of the registration's own directory, and how long the browser may take.
struct MicrosoftSettings {
    static constexpr const char* kAuthorizeEndpoint =
        "https://login.microsoftonline.com/common/oauth2/v2.0/authorize";
    static constexpr const char* kTokenEndpoint =
        "https://login.microsoftonline.com/common/oauth2/v2.0/token";
    static constexpr int kDefaultTimeLimitMs = 5 * 60 * 1000;

    // The client id the program was built with (QUILLORY_MICROSOFT_CLIENT_ID); empty when none.
    static QString BuiltInClientId();
    // The endpoints of a directory: "common" for none, else its ID or domain.
    static QUrl AuthorizeEndpointOf(const QString& tenant);
    static QUrl TokenEndpointOf(const QString& tenant);

    QString clientId = BuiltInClientId();
    QUrl authorizeEndpoint{kAuthorizeEndpoint};
    QUrl tokenEndpoint{kTokenEndpoint};
    // From opening the browser until the redirect has come.
    int timeLimitMs = kDefaultTimeLimitMs;
    // A tenant typed in that is neither a directory ID nor a domain (kept to say so).
    QString badTenant;

    // Why these settings cannot be used for a sign-in, in Czech; nothing when they can: no client
    // id (a build without a registration and none typed in), a tenant that names no directory, or
    // an endpoint that is not https (http only to this computer), since codes and tokens must not
    // cross the network in clear.
    std::optional<QString> Problem() const;
};

// The settings with what the INI file at `iniPath` holds in its section [Microsoft]: the
// registration typed in ("ClientId", "Tenant"), and "AuthorizeUrl", "TokenUrl" for testing against
// another identity provider (they win over the tenant's endpoints).
MicrosoftSettings ReadMicrosoftSettings(const std::string& iniPath);

// The registration kept in the INI file (empty fields when none or when the file cannot be read),
// and keeping one there; an empty field removes its key. Raises EIniFileException when the file
// cannot be written.
MicrosoftRegistration ReadMicrosoftRegistration(const std::string& iniPath);
void WriteMicrosoftRegistration(const std::string& iniPath, const MicrosoftRegistration& registration);

// Whether `tenant` names a directory: a directory ID (a GUID) or a domain name ("firma.cz",
// "firma.onmicrosoft.com"). "common", "organizations" and "consumers" count too.
bool ValidTenant(const QString& tenant);

// The scopes asked for: sending (SMTP.Send), a refresh token (offline_access), who signed in
// (openid, email, profile: the ID token's address), and with the sent copy on, the mailbox over
// IMAP (IMAP.AccessAsUser.All). All of Outlook's resource, so one access token serves both.
QStringList MicrosoftScopes(bool sentCopyOverImap);

// Whether a URL may carry codes and tokens: https, or http to this computer.
bool SafeEndpoint(const QUrl& url);

}  // namespace quillory
