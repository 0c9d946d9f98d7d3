#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/account/MicrosoftSettings.h"
#include "delivery/AccessTokenSource.h"

namespace quillory {

class OAuthHttp;
class TFormStorage;
struct TOAuthTokenReply;

// The tokens of the signed-in Microsoft account, on the user-interface thread. The refresh token
// is a stored value kept at rest like the password (in the keyring, else scrambled in the INI
// file; never in clear); who signed in is a stored value too. The access token lives in memory
// only: it is renewed with the refresh token when it has less than five minutes left, when a
// server refused it, and after every start of the program.
//
// A refresh that the sign-in server refuses with invalid_grant forgets the refresh token: the user
// must sign in again (ESignInRequired).
class MicrosoftTokens : public QObject {
    Q_OBJECT
public:
    // An access token with less than this left is renewed before use.
    static constexpr std::chrono::minutes kRenewalMargin{5};
    // A reply without expires_in is taken to last this long.
    static constexpr std::chrono::seconds kAssumedLifetime{3600};

    // The access token, or why there is none (ESignInRequired, ESignInServerError,
    // ESignInServerUnreachable).
    struct Result {
        std::string accessToken;
        std::exception_ptr error;
    };

    MicrosoftTokens(TFormStorage& storage, OAuthHttp& http, QObject* parent = nullptr);

    // The sign-in settings: the built-in ones with the INI file's overrides.
    MicrosoftSettings Settings() const;
    // The registration typed into the sign-in panel, as the INI file keeps it, and keeping a new
    // one there (EIniFileException when the file cannot be written).
    MicrosoftRegistration Registration() const;
    void KeepRegistration(const MicrosoftRegistration& registration);
    // Tests shorten the browser's time limit (5 minutes otherwise).
    void SetTimeLimitMs(int ms) { timeLimitMs_ = ms; }
    OAuthHttp& Http() const { return http_; }

    // Whether a refresh token is kept, and the address that signed in.
    bool SignedIn() const;
    QString Address() const;
    // Whether the sign-in may store copies over IMAP (IMAP.AccessAsUser.All was granted); also
    // when the sign-in server did not say what it granted.
    bool GrantsImap() const;
    // Takes the tokens of a sign-in that has just ended; `typedAddress` is who signed in when the
    // reply did not say.
    void Adopt(const TOAuthTokenReply& tokens, const QString& typedAddress);
    // Forgets every token and who signed in.
    void SignOut();

    // Calls `done` (on this thread, possibly at once) with an access token that has at least
    // kRenewalMargin left, renewing it first when needed; with `renew`, always with a new one.
    // Requests while a renewal runs wait for it.
    void AccessToken(bool renew, std::function<void(const Result&)> done);
    // AccessToken for the send thread, which waits for this thread to answer: gives the access
    // token as AccessToken does, or raises its error; ends with EIdOperationCancelled as soon as
    // `cancelled` says so.
    TAccessTokenSource ForWorker();

signals:
    // Someone signed in or out, or the sign-in server ended the sign-in.
    void signInChanged();

private:
    void Refresh();
    void Settle(const Result& result);
    std::string RefreshToken() const;
    void Keep(const TOAuthTokenReply& tokens);

    TFormStorage& storage_;
    OAuthHttp& http_;
    std::optional<int> timeLimitMs_;
    std::string accessToken_;
    std::chrono::steady_clock::time_point expiresAt_{};
    std::vector<std::function<void(const Result&)>> waiting_;
    bool refreshing_ = false;
    int generation_ = 0;  // a sign-in or sign-out makes a refresh under way stale
};

}  // namespace quillory
