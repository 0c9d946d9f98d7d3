#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <string>

namespace quillory {

// Where and as whom the program signs in to a Microsoft account (OAuth 2.0 for native apps, RFC
// 8252): the application's registration (its client id, a build setting), the authorization and
// token endpoints of the "common" tenant, so that personal and work accounts both sign in, and how
// long the browser may take.
struct MicrosoftSettings {
    static constexpr const char* kAuthorizeEndpoint =
        "https://login.microsoftonline.com/common/oauth2/v2.0/authorize";
    static constexpr const char* kTokenEndpoint =
        "https://login.microsoftonline.com/common/oauth2/v2.0/token";
    static constexpr int kDefaultTimeLimitMs = 5 * 60 * 1000;

    // The client id the program was built with (QUILLORY_MICROSOFT_CLIENT_ID); empty when none.
    static QString BuiltInClientId();

    QString clientId = BuiltInClientId();
    QUrl authorizeEndpoint{kAuthorizeEndpoint};
    QUrl tokenEndpoint{kTokenEndpoint};
    // From opening the browser until the redirect has come.
    int timeLimitMs = kDefaultTimeLimitMs;

    // Why these settings cannot be used for a sign-in, in Czech; nothing when they can: no client
    // id (a build without a registration), or an endpoint that is not https (http only to this
    // computer), since codes and tokens must not cross the network in clear.
    std::optional<QString> Problem() const;
};

// The settings with the overrides the INI file at `iniPath` holds in its section [Microsoft]
// ("ClientId", "AuthorizeUrl", "TokenUrl"), for testing against another identity provider.
MicrosoftSettings ReadMicrosoftSettings(const std::string& iniPath);

// The scopes asked for: sending (SMTP.Send), a refresh token (offline_access), who signed in
// (openid, email, profile: the ID token's address), and with the sent copy on, the mailbox over
// IMAP (IMAP.AccessAsUser.All). All of Outlook's resource, so one access token serves both.
QStringList MicrosoftScopes(bool sentCopyOverImap);

// Whether a URL may carry codes and tokens: https, or http to this computer.
bool SafeEndpoint(const QUrl& url);

}  // namespace quillory
