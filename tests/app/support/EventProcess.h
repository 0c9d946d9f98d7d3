#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quillory::test {

// A child process of the test support folder that prints one event a line, read as they come.
class TEventProcess {
public:
    // Starts `script` with `arguments` and reads its first line, "ready PORT".
    TEventProcess(const QString& script, const QStringList& arguments);
    ~TEventProcess();
    TEventProcess(const TEventProcess&) = delete;
    TEventProcess& operator=(const TEventProcess&) = delete;

    int Port() const { return port_; }
    // The next line that starts with `prefix`, skipping others; empty when none came in time.
    QString Next(const QString& prefix, int timeoutMs = 20000);
    // Every line printed so far and not yet taken by Next (waits for none).
    QStringList Pending();
    // Writes a command line and waits for its "ok".
    bool Command(const QString& line);

protected:
    // The next line as printed, without its line end; empty when none came in time.
    QByteArray NextRawLine(int timeoutMs);

private:
    QString NextLine(int timeoutMs);

    QProcess process_;
    QStringList lines_;
    int port_ = 0;
};

}  // namespace quillory::test
