#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "app/account/MicrosoftSettings.h"
#include "net/oauth/OAuthTokenReply.h"
#include "net/oauth/Pkce.h"

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace quillory {

class OAuthHttp;

// One sign-in to a Microsoft account in the system browser (OAuth 2.0 for native apps, RFC 8252):
// the authorization code flow with PKCE S256 (RFC 7636) and a random state. A listener on
// 127.0.0.1 at a free port, open only for this sign-in, takes the browser's redirect (RFC 8252
// §7.3); the code is exchanged for tokens at the token endpoint through the HTTP seam; the
// browser is then told in Czech that the user may return to the program.
//
// It ends once, with finished(): signed in (the token reply), or failed or cancelled with a Czech
// message: a redirect whose state differs, an error reply (access_denied, consent_required, an
// administrator's approval needed), no redirect within the time limit, Cancel().
class MicrosoftSignIn : public QObject {
    Q_OBJECT
public:
    enum class Outcome { SignedIn, Failed, Cancelled };
    struct Result {
        Outcome outcome = Outcome::Failed;
        // With SignedIn: the tokens and who signed in (empty when the reply did not say).
        TOAuthTokenReply tokens;
        // With Failed or Cancelled: what the user reads.
        QString message;
    };

    MicrosoftSignIn(OAuthHttp& http, QObject* parent = nullptr);
    ~MicrosoftSignIn() override;

    // Listens, opens the browser (QDesktopServices::openUrl) on the authorization page with
    // `scopes`, and starts the time limit. `loginHint` (an address) preselects the account. Ends
    // at once with Failed when the settings cannot be used or nothing can listen.
    void Start(const MicrosoftSettings& settings, const QStringList& scopes, const QString& loginHint);
    // Ends a sign-in that runs, with Cancelled; nothing happens when none runs.
    void Cancel();
    bool Running() const { return running_; }
    // The address the browser is sent to (for the tests and the status line).
    const QUrl& AuthorizationUrl() const { return authorizationUrl_; }

signals:
    void finished(const quillory::MicrosoftSignIn::Result& result);

private:
    void Accept();
    void Read(QTcpSocket* socket);
    void Redirected(QTcpSocket* socket, const std::map<std::string, std::string, std::less<>>& query);
    void Exchange(QTcpSocket* socket, const QString& code);
    // Answers the browser with the page that says how the sign-in ended, and closes.
    static void AnswerBrowser(QTcpSocket* socket, bool signedIn);
    static void Answer(QTcpSocket* socket, const QByteArray& status, const QByteArray& html);
    void Finish(Outcome outcome, const QString& message, const TOAuthTokenReply& tokens = {});
    void StopListening();

    OAuthHttp& http_;
    MicrosoftSettings settings_;
    QStringList scopes_;
    QTcpServer* listener_ = nullptr;
    QTimer* timer_ = nullptr;
    QPointer<QTcpSocket> redirect_;  // the browser's redirect while its code is exchanged
    TPkce pkce_;
    std::string state_;
    QString redirectUri_;
    QUrl authorizationUrl_;
    bool running_ = false;
    int attempt_ = 0;  // tells the exchange of an earlier sign-in from this one's
};

// The Czech message for an error reply of the authorization or token endpoint (RFC 6749 §4.1.2.1,
// §5.2), naming what the user can do: the sign-in was refused in the browser, consent is missing,
// an administrator must approve the application first.
QString SignInErrorMessage(const std::string& error, const std::string& description);

}  // namespace quillory
