#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

#include "support/EventProcess.h"

namespace quillory::test {

// The identity provider of the tests (oauth_provider.py) for client `clientId`, signing in `user`.
class TOAuthProvider : public TEventProcess {
public:
    TOAuthProvider(const QString& clientId, const QString& user)
        : TEventProcess("oauth_provider.py", {clientId, user}) {}
    QString Url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(Port()).arg(path);
    }
};

// An SMTP server that takes XOAUTH2 only and asks `provider` whether a token is good
// (smtp_xoauth2_server.py): "refused USER" per refused login, "message XOAUTH2 USER ..." per message.
class TXOAuth2SmtpServer : public TEventProcess {
public:
    explicit TXOAuth2SmtpServer(const TOAuthProvider& provider)
        : TEventProcess("smtp_xoauth2_server.py", {"--introspect", provider.Url("/introspect")}) {}
};

// The "browser" of the tests: the URL handler of QDesktopServices for http and https while it
// lives. It records every address it is asked to open and, when following, fetches it with an
// HTTP client that follows redirects (to the program's loopback listener), keeping the last page.
class TTestBrowser : public QObject {
    Q_OBJECT
public:
    explicit TTestBrowser(bool follow = true);
    ~TTestBrowser() override;

    QList<QUrl> opened;
    // The last page shown: its status and text; none before a page has loaded.
    int status = 0;
    QString page;
    bool follow;

public slots:
    void openUrl(const QUrl& url);

private:
    QNetworkAccessManager network_;
};

// A scripted SMTP server on 127.0.0.1 on the test's event loop: replies[0] on accept, then one
// reply to each line the client sends; the lines it got are kept.
class TScriptedSmtp : public QObject {
public:
    explicit TScriptedSmtp(QStringList replies);
    int Port() const { return server_.serverPort(); }
    QStringList lines;

private:
    QTcpServer server_;
    QStringList replies_;
};

}  // namespace quillory::test
