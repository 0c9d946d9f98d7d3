#include "support/SignInPeers.h"

#include <QDesktopServices>
#include <QNetworkReply>
#include <QTcpSocket>

namespace quillory::test {

TTestBrowser::TTestBrowser(bool followUrls) : follow(followUrls) {
    QDesktopServices::setUrlHandler("http", this, "openUrl");
    QDesktopServices::setUrlHandler("https", this, "openUrl");
}

TTestBrowser::~TTestBrowser() {
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
}

void TTestBrowser::openUrl(const QUrl& url) {
    opened.append(url);
    if (!follow) return;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = network_.get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        page = QString::fromUtf8(reply->readAll());
    });
}

TScriptedSmtp::TScriptedSmtp(QStringList replies) : replies_(std::move(replies)) {
    if (!server_.listen(QHostAddress::LocalHost, 0)) qFatal("scripted server cannot listen");
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        QTcpSocket* socket = server_.nextPendingConnection();
        socket->setParent(this);
        auto next = std::make_shared<int>(0);
        const auto reply = [this, socket, next] {
            if (*next < replies_.size()) socket->write(replies_[(*next)++].toUtf8() + "\r\n");
        };
        reply();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, reply] {
            while (socket->canReadLine()) {
                lines.append(QString::fromUtf8(socket->readLine()).trimmed());
                reply();
            }
        });
    });
}

}  // namespace quillory::test
