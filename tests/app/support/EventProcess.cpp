#include "support/EventProcess.h"

#include <QDeadlineTimer>

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

QByteArray TEventProcess::NextRawLine(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!process_.canReadLine()) {
        if (deadline.hasExpired() || !process_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return {};
    }
    return process_.readLine().trimmed();
}

QString TEventProcess::NextLine(int timeoutMs) { return QString::fromUtf8(NextRawLine(timeoutMs)); }

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

}  // namespace quillory::test
