#pragma once

#include <QByteArray>
#include <QStringList>

#include "support/EventProcess.h"

namespace quillory::test {

// A real SMTP server (aiosmtpd) on 127.0.0.1 that requires AUTH LOGIN, started for one test and
// stopped with it. Every delivered message is read back with its login, envelope and DATA bytes.
// `options` go to the server script: "--host", "--port", "--starttls CERT KEY", "--tls CERT KEY".
class TSmtpServerProcess : public TEventProcess {
public:
    struct TDelivery {
        QString mechanism;
        QString login;
        QString mailFrom;
        QStringList recipients;
        QByteArray data;
        bool encrypted = false;  // the login came over TLS
    };

    TSmtpServerProcess(const QString& user, const QString& password, const QStringList& options = {})
        : TEventProcess("net_aiosmtpd_server.py", QStringList{user, password} + options) {}

    // Waits for the next delivered message; false when none came within the time limit.
    bool NextDelivery(TDelivery& delivery, int timeoutMs = 20000);
};

// What a recipient's mail program decodes from a message: "field" to values, in order.
QList<QPair<QString, QString>> DecodeMessage(const QByteArray& data);
// What the Python script `script` of the test support folder prints for a message, read the same way.
QList<QPair<QString, QString>> ReadMessageWith(const QString& script, const QByteArray& data);
QStringList DecodedValues(const QList<QPair<QString, QString>>& fields, const QString& field);

}  // namespace quillory::test
