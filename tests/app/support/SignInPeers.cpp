#include "support/SignInPeers.h"

#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QNetworkReply>
#include <QTcpSocket>

namespace quillory::test {

TEventProcess::TEventProcess(const QString& script, const QStringList& arguments) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start("/usr/bin/python3", QStringList{QUILLORY_TEST_SUPPORT_DIR "/" + script} + arguments);
    const QString ready = NextLine(20000);
    if (ready.startsWith("ready ")) port_ = ready.mid(6).toInt();
    if (port_ == 0) qWarning("%s did not start: %s", qPrintable(script), qPrintable(ready));
}

TEventProcess::~TEventProcess() {
    process_.closeWriteChannel();  // the peer ends when its input closes
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(5000);
}

QString TEventProcess::NextLine(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!process_.canReadLine()) {
        if (deadline.hasExpired() || !process_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return {};
    }
    return QString::fromUtf8(process_.readLine()).trimmed();
}

QString TEventProcess::Next(const QString& prefix, int timeoutMs) {
    for (int i = 0; i < lines_.size(); ++i)
        if (lines_[i].startsWith(prefix)) return lines_.takeAt(i);
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QString line = NextLine(static_cast<int>(deadline.remainingTime()));
        if (line.startsWith(prefix)) return line;
        if (!line.isEmpty()) lines_.append(line);
    }
    return {};
}

QStringList TEventProcess::Pending() {
    while (process_.canReadLine() || process_.waitForReadyRead(0)) {
        if (!process_.canReadLine()) continue;
        lines_.append(QString::fromUtf8(process_.readLine()).trimmed());
    }
    QStringList pending;
    pending.swap(lines_);
    return pending;
}

bool TEventProcess::Command(const QString& line) {
    process_.write(line.toUtf8() + '\n');
    return Next("ok " + line.section(' ', 0, 0)) == "ok " + line.section(' ', 0, 0);
}

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
