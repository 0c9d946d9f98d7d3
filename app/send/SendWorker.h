#pragma once

#include <QObject>
#include <QString>

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "delivery/AccessTokenSource.h"
#include "delivery/DeliveryResult.h"

namespace quillory {

class DeliverySession;
class TIdComponent;
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
    // With Delivered: why the copy of the message could not be kept, in Czech (the Sent folder on
    // the server, the local archive, or both); empty when every copy asked for was kept.
    QString copyWarning;
    // With Delivered: the wire name of the Sent folder the copy went to (the account keeps one it
    // had to look for, for the next sends); empty when no copy was stored there.
    std::string foundFolder;
};

// The steps of a send the progress window shows.
enum class TSendStep { Message, CopyToServer };

// Runs one send beside the user-interface thread through a delivery session of its own
// (delivery/DeliverySession.h), configured from the account: connect within the account's connect
// limit, send the message, keep its copies, close the connections. The send has its own copy of
// the message, so nothing is shared while it runs.
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
    // text does not parse. Once the server has accepted the message, its copy is kept as the
    // account says: in `archiveFolder` and in the mailbox's Sent folder.
    void Start(const TSmtpAccount& account, const TIdMessage& message,
               const std::filesystem::path& archiveFolder);
    // The access tokens of an account signed in with Microsoft, for the sends that follow; none
    // for an account that logs in with its password.
    void SetAccessTokens(TAccessTokenSource tokens) { tokens_ = std::move(tokens); }
    // Ends the connection at once: before the server accepted the message the send finishes as
    // Cancelled; during the copy's upload it finishes Delivered with the copy not stored.
    void Cancel();
    // From Start until finished has been emitted.
    bool Running() const { return running_; }

signals:
    // A status text of the connection ("Connecting to 127.0.0.1.").
    void statusChanged(const QString& text);
    // Bytes of the message text (or of its copy) sent so far, of `total`.
    void progressChanged(qint64 sent, qint64 total);
    // The send goes on with its next step.
    void stepChanged(quillory::TSendStep step);
    void finished(const quillory::TSendOutcome& outcome);

private:
    void Run(TIdMessage message);
    // After delivery: the warning when a copy (the archive, the Sent folder) was not kept.
    void TellCopy(const TDeliveryResult& result, TSendOutcome& outcome);
    void Finish(const TSendOutcome& outcome);
    // Passes a client's status texts and the progress of its write on to the window.
    void ReportFrom(TIdComponent& client);
    // From the send thread: `sent` bytes of the message text are out.
    void ReportProgress(long long sent);

    // The send's session and its clients: made before the thread starts, freed after it has ended.
    std::unique_ptr<DeliverySession> session_;
    // The session's SMTP client, while there is one.
    TIdSMTP* IdSMTP1 = nullptr;
    std::time_t sentAt_ = 0;  // when Start ran: names the archived copy
    TAccessTokenSource tokens_;
    long long workTotal_ = 0;  // the size of the message text being sent; the send thread's
    std::thread thread_;
    bool running_ = false;
};

}  // namespace quillory
