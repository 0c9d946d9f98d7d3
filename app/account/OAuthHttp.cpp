#include "app/account/OAuthHttp.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <memory>

#include "net/oauth/LoopbackRequest.h"

namespace quillory {

QByteArray EncodeForm(const OAuthHttp::Form& form) {
    QByteArray body;
    for (const auto& [name, value] : form) {
        if (!body.isEmpty()) body += '&';
        body += QByteArray::fromStdString(PercentEncode(name.toStdString()));
        body += '=';
        body += QByteArray::fromStdString(PercentEncode(value.toUtf8().toStdString()));
    }
    return body;
}

NetworkOAuthHttp::NetworkOAuthHttp(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {}

void NetworkOAuthHttp::PostForm(const QUrl& url, const Form& form,
                                std::function<void(const OAuthHttpReply&)> done) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    request.setRawHeader("Accept", "application/json");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(kTimeLimitMs);
    QNetworkReply* reply = network_->post(request, EncodeForm(form));
    auto tooLarge = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, tooLarge](qint64 received, qint64) {
        if (received <= kMaxReplyBytes || *tooLarge) return;
        *tooLarge = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [reply, tooLarge, done = std::move(done)] {
        reply->deleteLater();
        OAuthHttpReply result;
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (*tooLarge) {
            result.status = 0;
            result.networkError =
                QStringLiteral("odpověď serveru je delší než %1 KiB").arg(kMaxReplyBytes / 1024);
        } else if (result.status == 0) {
            result.networkError = reply->errorString();
        } else {
            // An error status (400 for invalid_grant) still carries the JSON that says why.
            result.body = reply->readAll();
        }
        done(result);
    });
}

}  // namespace quillory
