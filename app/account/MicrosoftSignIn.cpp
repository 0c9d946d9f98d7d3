#include "app/account/MicrosoftSignIn.h"

#include <QDesktopServices>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include "app/account/OAuthHttp.h"
#include "core/Exception.h"
#include "net/oauth/LoopbackRequest.h"

namespace quillory {

namespace {

// The pages the browser shows after the redirect. They ask nothing of the browser (no script, no
// outside resources) and say that the user may return to the program.
const QByteArray kSignedInPage = QStringLiteral(
                                     "<!DOCTYPE html><html lang=\"cs\"><head><meta charset=\"utf-8\">"
                                     "<title>Quillory – přihlášení</title></head><body>"
                                     "<h1>Přihlášení proběhlo</h1>"
                                     "<p>Účet Microsoft je v programu Quillory přihlášen. Toto okno můžete "
                                     "zavřít a vrátit se do programu Quillory.</p></body></html>")
                                     .toUtf8();
const QByteArray kFailedPage = QStringLiteral(
                                   "<!DOCTYPE html><html lang=\"cs\"><head><meta charset=\"utf-8\">"
                                   "<title>Quillory – přihlášení</title></head><body>"
                                   "<h1>Přihlášení se nezdařilo</h1>"
                                   "<p>Vraťte se do programu Quillory, kde se dozvíte proč. Toto okno "
                                   "můžete zavřít.</p></body></html>")
                                   .toUtf8();

QString Detail(const std::string& error, const std::string& description) {
    QString detail = QString::fromStdString(error);
    if (!description.empty()) detail += QStringLiteral(": ") + QString::fromUtf8(description.c_str());
    return QStringLiteral("\n\nOdpověď přihlašovacího serveru: %1").arg(detail);
}

}  // namespace

QString SignInErrorMessage(const std::string& error, const std::string& description) {
    const QString text = QString::fromUtf8(description.c_str());
    QString message;
    // AADSTS90094 and its kin: the organisation lets only an administrator consent.
    if (text.contains("AADSTS90094") || text.contains("AADSTS90095") ||
        text.contains("admin approval", Qt::CaseInsensitive) ||
        text.contains("admin consent", Qt::CaseInsensitive) ||
        text.contains("admin permission", Qt::CaseInsensitive)) {
        message = QStringLiteral(
            "Přihlášení vyžaduje schválení správcem. Správce Microsoft 365 vaší organizace musí programu "
            "Quillory nejdřív udělit souhlas (souhlas správce) a povolit odesílání přes SMTP; pak se "
            "přihlaste znovu.");
    } else if (error == "access_denied") {
        message =
            QStringLiteral("Přihlášení bylo v prohlížeči odmítnuto nebo zrušeno. Účet nebyl přihlášen.");
    } else if (error == "consent_required" || error == "interaction_required" ||
               text.contains("AADSTS65001")) {
        message = QStringLiteral(
            "Účet Microsoft nedal programu Quillory souhlas s odesíláním pošty. Přihlaste se znovu a "
            "souhlas v prohlížeči potvrďte.");
    } else if (error == "invalid_grant") {
        message = QStringLiteral("Přihlašovací kód už neplatí. Přihlaste se znovu.");
    } else if (error == "invalid_client" || error == "unauthorized_client") {
        message = QStringLiteral(
            "Přihlašovací server Microsoft nezná registraci tohoto programu, přihlásit se nelze.");
    } else {
        message = QStringLiteral("Přihlášení účtem Microsoft se nezdařilo.");
    }
    return message + Detail(error, description);
}

MicrosoftSignIn::MicrosoftSignIn(OAuthHttp& http, QObject* parent) : QObject(parent), http_(http) {
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] {
        Finish(Outcome::Failed, QStringLiteral("Přihlášení v prohlížeči nebylo dokončeno do 5 minut, proto "
                                               "bylo ukončeno. Zkuste to znovu."));
    });
}

MicrosoftSignIn::~MicrosoftSignIn() { StopListening(); }

void MicrosoftSignIn::Start(const MicrosoftSettings& settings, const QStringList& scopes,
                            const QString& loginHint) {
    if (running_) return;
    running_ = true;
    ++attempt_;
    settings_ = settings;
    scopes_ = scopes;
    if (const auto problem = settings.Problem()) {
        Finish(Outcome::Failed, *problem);
        return;
    }
    listener_ = new QTcpServer(this);
    // RFC 8252 §7.3 and §8.3: the loopback address itself, not "localhost", at a port of the
    // system's choosing, only while this sign-in waits.
    if (!listener_->listen(QHostAddress::LocalHost, 0)) {
        Finish(Outcome::Failed, QStringLiteral("Přihlášení nelze spustit: program nemůže přijmout odpověď "
                                               "prohlížeče (%1).")
                                    .arg(listener_->errorString()));
        return;
    }
    connect(listener_, &QTcpServer::newConnection, this, &MicrosoftSignIn::Accept);
    try {
        pkce_ = MakePkce();
        state_ = MakeOAuthState();
    } catch (const Exception&) {
        Finish(Outcome::Failed, QStringLiteral("Přihlášení nelze spustit: systém nedodal náhodná čísla."));
        return;
    }
    redirectUri_ = QStringLiteral("http://127.0.0.1:%1/").arg(listener_->serverPort());

    QUrlQuery query;
    const auto add = [&query](const QString& name, const QString& value) {
        query.addQueryItem(name, QString::fromStdString(PercentEncode(value.toUtf8().toStdString())));
    };
    add("client_id", settings.clientId);
    add("response_type", "code");
    add("redirect_uri", redirectUri_);
    add("response_mode", "query");
    add("scope", scopes.join(' '));
    add("state", QString::fromStdString(state_));
    add("code_challenge", QString::fromStdString(pkce_.challenge));
    add("code_challenge_method", "S256");
    add("prompt", "select_account");
    if (!loginHint.trimmed().isEmpty()) add("login_hint", loginHint.trimmed());
    authorizationUrl_ = settings.authorizeEndpoint;
    authorizationUrl_.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);

    timer_->start(settings.timeLimitMs);
    if (!QDesktopServices::openUrl(authorizationUrl_))
        Finish(Outcome::Failed,
               QStringLiteral("Prohlížeč se nepodařilo otevřít, přihlášení proto nelze provést."));
}

void MicrosoftSignIn::Cancel() {
    if (running_) Finish(Outcome::Cancelled, QStringLiteral("Přihlášení bylo zrušeno."));
}

void MicrosoftSignIn::Accept() {
    while (QTcpSocket* socket = listener_ ? listener_->nextPendingConnection() : nullptr) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void MicrosoftSignIn::Read(QTcpSocket* socket) {
    // What arrived so far is kept on the socket itself until the head is complete.
    QByteArray received = socket->property("received").toByteArray() + socket->readAll();
    socket->setProperty("received", received);
    std::optional<TLoopbackRequest> request;
    try {
        request = ReadLoopbackRequest(std::string_view(received.constData(), std::size_t(received.size())));
    } catch (const ELoopbackRequestError&) {
        // Not a browser's request (a port scanner, a stray client): it does not end the sign-in.
        Answer(socket, "400 Bad Request", {});
        return;
    }
    if (!request) return;
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    if (request->method != "GET" || request->path != "/" || !running_ || redirect_) {
        // The browser's own requests (the site icon) and any after the redirect.
        Answer(socket, "404 Not Found", {});
        return;
    }
    Redirected(socket, request->query);
}

void MicrosoftSignIn::Redirected(QTcpSocket* socket,
                                 const std::map<std::string, std::string, std::less<>>& query) {
    const auto parameter = [&query](const char* name) -> std::string {
        const auto found = query.find(name);
        return found == query.end() ? std::string() : found->second;
    };
    StopListening();
    // RFC 6749 §10.12: a redirect that does not bring back this sign-in's state may have been
    // started by someone else (a forged request), so its code or error is not used.
    if (parameter("state") != state_) {
        AnswerBrowser(socket, false);
        Finish(Outcome::Failed,
               QStringLiteral("Odpověď z prohlížeče nepatří k tomuto přihlášení (nesouhlasí kontrolní "
                              "údaj „state“), proto nebyla použita. Přihlaste se znovu."));
        return;
    }
    if (const std::string error = parameter("error"); !error.empty()) {
        AnswerBrowser(socket, false);
        Finish(Outcome::Failed, SignInErrorMessage(error, parameter("error_description")));
        return;
    }
    const std::string code = parameter("code");
    if (code.empty()) {
        AnswerBrowser(socket, false);
        Finish(Outcome::Failed,
               QStringLiteral("Odpověď z prohlížeče neobsahuje přihlašovací kód. Přihlaste se znovu."));
        return;
    }
    Exchange(socket, QString::fromStdString(code));
}

void MicrosoftSignIn::Exchange(QTcpSocket* socket, const QString& code) {
    redirect_ = socket;
    const OAuthHttp::Form form{{"client_id", settings_.clientId},
                               {"grant_type", "authorization_code"},
                               {"code", code},
                               {"redirect_uri", redirectUri_},
                               {"code_verifier", QString::fromStdString(pkce_.verifier)},
                               {"scope", scopes_.join(' ')}};
    http_.PostForm(settings_.tokenEndpoint, form, [this, attempt = attempt_](const OAuthHttpReply& reply) {
        if (attempt != attempt_ || !running_) return;  // cancelled or timed out meanwhile
        QTcpSocket* socket = redirect_;
        redirect_ = nullptr;
        if (reply.status == 0) {
            AnswerBrowser(socket, false);
            Finish(Outcome::Failed,
                   QStringLiteral("Přihlašovací server Microsoft není dostupný: %1").arg(reply.networkError));
            return;
        }
        try {
            const TOAuthTokenReply tokens = ReadOAuthTokenReply(reply.body.toStdString());
            if (tokens.IsError()) {
                AnswerBrowser(socket, false);
                Finish(Outcome::Failed, SignInErrorMessage(tokens.error, tokens.errorDescription));
                return;
            }
            if (tokens.refreshToken.empty()) {
                AnswerBrowser(socket, false);
                Finish(Outcome::Failed,
                       QStringLiteral("Přihlašovací server nevydal trvalé přihlášení (obnovovací "
                                      "token). Přihlaste se znovu."));
                return;
            }
            AnswerBrowser(socket, true);
            Finish(Outcome::SignedIn, {}, tokens);
        } catch (const EOAuthReplyError& error) {
            AnswerBrowser(socket, false);
            Finish(Outcome::Failed, QStringLiteral("Odpovědi přihlašovacího serveru nelze rozumět (%1).")
                                        .arg(QString::fromStdString(error.Message())));
        }
    });
}

void MicrosoftSignIn::AnswerBrowser(QTcpSocket* socket, bool signedIn) {
    if (socket) Answer(socket, "200 OK", signedIn ? kSignedInPage : kFailedPage);
}

void MicrosoftSignIn::Answer(QTcpSocket* socket, const QByteArray& status, const QByteArray& html) {
    QByteArray response = "HTTP/1.1 " + status + "\r\n";
    response += "Content-Type: text/html; charset=utf-8\r\n";
    response += "Content-Length: " + QByteArray::number(html.size()) + "\r\n";
    response += "Cache-Control: no-store\r\nReferrer-Policy: no-referrer\r\nConnection: close\r\n\r\n";
    socket->write(response + html);
    socket->disconnectFromHost();
}

void MicrosoftSignIn::StopListening() {
    if (!listener_) return;
    listener_->close();
    listener_->deleteLater();
    listener_ = nullptr;
}

void MicrosoftSignIn::Finish(Outcome outcome, const QString& message, const TOAuthTokenReply& tokens) {
    if (!running_) return;
    running_ = false;
    timer_->stop();
    StopListening();
    // Cancelled or timed out while the code was being exchanged: the browser hears it failed.
    if (redirect_) AnswerBrowser(redirect_, false);
    redirect_ = nullptr;
    pkce_ = {};
    state_.clear();
    emit finished({outcome, tokens, message});
}

}  // namespace quillory
