#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace quillory::test {

// A real SMTP server (aiosmtpd) on 127.0.0.1 that requires AUTH LOGIN, started for one test and
// stopped with it. Every delivered message is read back with its login, envelope and DATA bytes.
// `options` go to the server script: "--host", "--port", "--starttls CERT KEY", "--tls CERT KEY".
class TSmtpServerProcess {
public:
    struct TDelivery {
        QString mechanism;
        QString login;
        QString mailFrom;
        QStringList recipients;
        QByteArray data;
        bool encrypted = false;  // the login came over TLS
    };

    TSmtpServerProcess(const QString& user, const QString& password, const QStringList& options = {});
    ~TSmtpServerProcess();
    TSmtpServerProcess(const TSmtpServerProcess&) = delete;
    TSmtpServerProcess& operator=(const TSmtpServerProcess&) = delete;

    int Port() const { return port_; }
    // Waits for the next delivered message; false when none came within the time limit.
    bool NextDelivery(TDelivery& delivery, int timeoutMs = 20000);

private:
    QByteArray NextLine(int timeoutMs);

    QProcess process_;
    int port_ = 0;
};

// What a recipient's mail program decodes from a message: "field" to values, in order.
QList<QPair<QString, QString>> DecodeMessage(const QByteArray& data);
// What the Python script `script` of the test support folder prints for a message, read the same way.
QList<QPair<QString, QString>> ReadMessageWith(const QString& script, const QByteArray& data);
QStringList DecodedValues(const QList<QPair<QString, QString>>& fields, const QString& field);

}  // namespace quillory::test
