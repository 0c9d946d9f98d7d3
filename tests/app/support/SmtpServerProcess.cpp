#include "support/SmtpServerProcess.h"

#include <QProcess>

namespace quillory::test {

bool TSmtpServerProcess::NextDelivery(TDelivery& delivery, int timeoutMs) {
    const QList<QByteArray> words = NextRawLine(timeoutMs).split(' ');
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
