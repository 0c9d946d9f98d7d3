#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <thread>

namespace quillory {

class TIdMessage;
class TIdSMTP;
struct TSmtpAccount;

// How a send ended, for the window to tell the user.
struct TSendOutcome {
    enum class TKind { Delivered, Failed, Cancelled };
    TKind kind = TKind::Delivered;
    // With Failed: the error's message, shown after "Chyba: ".
    std::string error;
    // With Failed: the error told in Czech, shown after "Chyba: " in place of `error`, for the
    // errors the program can say more about (a message too large for the server, an attached file
    // that changed). Empty for the others.
    QString userError;
    // An error the send itself does not report (from the final disconnect of a send that failed,
    // or one outside the program's error base): the default error handler shows it. Empty when
    // none. The disconnect after a delivered message reports none of the program's errors.
    std::string unhandledError;
};

// Runs one send beside the user-interface thread: connect within the account's connect limit,
// send the message, close the connection (QUIT) when it is still up. Each send has an SMTP client
// of its own, configured from the account, and its own copy of the message, so nothing is shared
// while it runs.
// Status texts and the outcome come back to the thread this object lives in as queued signals;
// no exception leaves the thread.
class TSendWorker : public QObject {
    Q_OBJECT
public:
    explicit TSendWorker(QObject* parent = nullptr);
    // Ends a send still running at once and waits for its thread.
    ~TSendWorker() override;

    // Starts a send with a client configured from `account` and a copy of `message`. Ignored while
    // a send runs. Raises EServerAddressError, with nothing started, when the account's server
    // text does not parse.
    void Start(const TSmtpAccount& account, const TIdMessage& message);
    // Ends the connection at once; the send finishes as Cancelled.
    void Cancel();
    // From Start until finished has been emitted.
    bool Running() const { return running_; }

signals:
    // A status text of the connection ("Connecting to 127.0.0.1.").
    void statusChanged(const QString& text);
    // Bytes of the message text sent so far, of `total`.
    void progressChanged(qint64 sent, qint64 total);
    void finished(const quillory::TSendOutcome& outcome);

private:
    void Run(TIdMessage message, int connectTimeoutMs);
    void Finish(const TSendOutcome& outcome);
    // From the send thread: `sent` bytes of the message text are out.
    void ReportProgress(long long sent);

    // The send's client: made before the thread starts, freed after it has ended.
    std::unique_ptr<TIdSMTP> IdSMTP1;
    long long workTotal_ = 0;  // the size of the message text being sent; the send thread's
    std::thread thread_;
    bool running_ = false;
};

}  // namespace quillory
