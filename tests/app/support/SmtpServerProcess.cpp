#include "support/SmtpServerProcess.h"

#include <QDeadlineTimer>

namespace quillory::test {

TSmtpServerProcess::TSmtpServerProcess(const QString& user, const QString& password,
                                       const QStringList& options) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(
        "/usr/bin/python3",
        QStringList{QUILLORY_TEST_SUPPORT_DIR "/net_aiosmtpd_server.py", user, password} + options);
    const QByteArray ready = NextLine(20000);
    if (ready.startsWith("ready ")) port_ = ready.mid(6).trimmed().toInt();
    if (port_ == 0) qWarning("SMTP server did not start: %s", ready.constData());
}

TSmtpServerProcess::~TSmtpServerProcess() {
    process_.closeWriteChannel();  // the server ends when its input closes
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(5000);
}

QByteArray TSmtpServerProcess::NextLine(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!process_.canReadLine()) {
        if (deadline.hasExpired() || !process_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return {};
    }
    return process_.readLine().trimmed();
}

bool TSmtpServerProcess::NextDelivery(TDelivery& delivery, int timeoutMs) {
    const QList<QByteArray> words = NextLine(timeoutMs).split(' ');
    if (words.size() != 7 || words[0] != "message") return false;
    delivery.mechanism = QString::fromUtf8(words[1]);
    delivery.login = QString::fromUtf8(words[2]);
    delivery.mailFrom = QString::fromUtf8(words[3]);
    delivery.recipients = QString::fromUtf8(words[4]).split(',', Qt::SkipEmptyParts);
    delivery.data = QByteArray::fromHex(words[5]);
    delivery.encrypted = words[6] == "tls";
    return true;
}

QList<QPair<QString, QString>> DecodeMessage(const QByteArray& data) {
    return ReadMessageWith("app_decode_message.py", data);
}

QList<QPair<QString, QString>> ReadMessageWith(const QString& script, const QByteArray& data) {
    QProcess reader;
    reader.start("/usr/bin/python3", {QUILLORY_TEST_SUPPORT_DIR "/" + script});
    reader.write(data);
    reader.closeWriteChannel();
    reader.waitForFinished(60000);
    QList<QPair<QString, QString>> fields;
    for (const QString& line :
         QString::fromUtf8(reader.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf('\t');
        fields.append({line.left(tab), line.mid(tab + 1)});
    }
    return fields;
}

QStringList DecodedValues(const QList<QPair<QString, QString>>& fields, const QString& field) {
    QStringList values;
    for (const auto& [name, value] : fields)
        if (name == field) values.append(value);
    return values;
}

}  // namespace quillory::test
