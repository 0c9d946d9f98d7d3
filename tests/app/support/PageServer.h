#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace quillory::test {

// A web server on 127.0.0.1 that answers every GET with the page registered for its path (404
// otherwise) and closes the connection. Runs on the test's own event loop.
class TPageServer : public QObject {
public:
    TPageServer() {
        if (!server_.listen(QHostAddress::LocalHost, 0)) qFatal("page server cannot listen");
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Answer(*socket); });
            }
        });
    }

    void AddPage(const QString& path, const QByteArray& html) { pages_.insert(path, html); }
    QString Address(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }

    QStringList requestedPaths;

private:
    void Answer(QTcpSocket& socket) {
        QByteArray& request = requests_[&socket];
        request += socket.readAll();
        if (!request.contains("\r\n\r\n")) return;
        const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
        const QString path = words.size() > 1 ? QString::fromLatin1(words[1]) : QString();
        requestedPaths.append(path);
        const bool found = pages_.contains(path);
        const QByteArray body = found ? pages_.value(path) : QByteArray("<p>not here</p>");
        socket.write(QByteArray(found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                     "Content-Type: text/html; charset=utf-8\r\nContent-Length: " +
                     QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket.disconnectFromHost();
        requests_.remove(&socket);
    }

    QTcpServer server_;
    QHash<QString, QByteArray> pages_;
    QHash<QTcpSocket*, QByteArray> requests_;
};

}  // namespace quillory::test
