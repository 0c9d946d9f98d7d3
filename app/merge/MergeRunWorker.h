#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "delivery/AccessTokenSource.h"
#include "merge/MergeRun.h"
#include "merge/RunJournal.h"
#include "net/smtp/SmtpAccount.h"

namespace quillory {

class DeliverySession;

// What a run sends through: the account with its sent copy, the tokens of an account signed in
// with Microsoft (none for a password), and the archive of sent messages.
struct MergeRunAccount {
    TSmtpAccount account;
    TAccessTokenSource tokens;
    std::filesystem::path archiveFolder;
};

// How one pass of a run ended, for the window.
struct MergeRunEnd {
    MergeOutcome outcome = MergeOutcome::Finished;
    // With MaybeSent: the row whose message may have arrived.
    std::optional<std::size_t> row;
    // With ServerStop: why the run stopped, in Czech, with the server's or the library's words.
    QString error;
    // With ServerStop: the program's own fault stopped it (the journal cannot be written, a row's
    // message cannot be built), not the server.
    bool failed = false;
    // The report beside the journal, when written (every end but MaybeSent); else why it was not.
    std::filesystem::path report;
    QString reportError;
};

// Runs the passes of one mail merge run beside the user-interface thread: each pass sends the
// journal's rows still to send through one delivery session (one login), at the pace of the
// sending limits, until the run ends, stops, or waits for the user's decision on a "možná
// odesláno" row. The progress and the end come back as signals of the thread this object lives
// in; no exception leaves the pass's thread.
class MergeRunWorker : public QObject {
    Q_OBJECT
public:
    // `compose` builds a row's message on the pass's thread. `clock` (the system's when null) must
    // outlive this.
    MergeRunWorker(RunJournal journal, MergeRunAccount account, SendingLimits limits,
                   MergeRun::Compose compose, MergeClock* clock = nullptr, QObject* parent = nullptr);
    // Stops a pass under way and waits for its thread.
    ~MergeRunWorker() override;

    // Starts a pass; with `arrived` the "možná odesláno" row is settled first (true: the message
    // arrived, false: it goes out again). Ignored while a pass runs.
    void Start(std::optional<bool> arrived = std::nullopt);
    // A pause takes effect before the next message; Stop ends the pass at once (the message under
    // way is cancelled, and the journal keeps the run for later).
    void Pause();
    void Resume();
    void Stop();
    // Stop, then wait for the pass's thread; the end is not signalled then.
    void StopAndWait();

    // From Start until `finished` has been emitted.
    bool Running() const { return running_; }
    bool Paused() const { return paused_; }
    // The run's journal; its state is read only while no pass runs.
    const RunJournal& Journal() const { return journal_; }

signals:
    void progressed(const quillory::MergeProgress& progress);
    void finished(const quillory::MergeRunEnd& end);

private:
    void Pass(std::optional<bool> arrived);
    void Join();
    void Finish(const MergeRunEnd& end);

    RunJournal journal_;
    const MergeRunAccount account_;
    const SendingLimits limits_;
    const MergeRun::Compose compose_;
    std::unique_ptr<MergeClock> ownClock_;
    MergeClock& clock_;
    // The pass under way: made before its thread starts, freed after it ended.
    std::unique_ptr<DeliverySession> session_;
    std::unique_ptr<MergeRun> run_;
    std::thread thread_;
    bool running_ = false;
    bool paused_ = false;
};

}  // namespace quillory
