#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;

namespace quillory {

// What came back from one HTTP exchange with a sign-in server.
struct OAuthHttpReply {
    // The HTTP status; 0 when no reply came (the server cannot be reached, TLS failed, time out).
    int status = 0;
    QByteArray body;
    // Why no reply came, in the network layer's words; empty when one did.
    QString networkError;
};

// The one seam every HTTP exchange of the sign-in goes through: a form POSTed to a token endpoint
// (RFC 6749 §4.1.3, §6). The program's is NetworkOAuthHttp; the tests use it too, against an
// identity provider of their own on this computer.
class OAuthHttp {
public:
    using Form = QList<QPair<QString, QString>>;
    virtual ~OAuthHttp() = default;
    // Sends `form` as application/x-www-form-urlencoded and calls `done` once, on the calling
    // thread, when the exchange has ended.
    virtual void PostForm(const QUrl& url, const Form& form,
                          std::function<void(const OAuthHttpReply&)> done) = 0;
};

// OAuthHttp over Qt's network access: the system's certificate checks, no redirects followed (a
// token endpoint answers itself), 30 seconds for the whole exchange and at most 256 KiB of reply.
class NetworkOAuthHttp final : public QObject, public OAuthHttp {
    Q_OBJECT
public:
    static constexpr int kTimeLimitMs = 30000;
    static constexpr qint64 kMaxReplyBytes = 256 * 1024;

    explicit NetworkOAuthHttp(QObject* parent = nullptr);
    void PostForm(const QUrl& url, const Form& form,
                  std::function<void(const OAuthHttpReply&)> done) override;

private:
    QNetworkAccessManager* network_ = nullptr;
};

// The form as application/x-www-form-urlencoded bytes, every value percent-encoded.
QByteArray EncodeForm(const OAuthHttp::Form& form);

}  // namespace quillory
