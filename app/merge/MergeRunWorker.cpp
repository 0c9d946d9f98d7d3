#include "app/merge/MergeRunWorker.h"

#include "app/ErrorTexts.h"
#include "delivery/DeliverySession.h"
#include "merge/RunReport.h"

namespace quillory {

MergeRunWorker::MergeRunWorker(RunJournal journal, MergeRunAccount account, SendingLimits limits,
                               MergeRun::Compose compose, MergeClock* clock, QObject* parent)
    : QObject(parent),
      journal_(std::move(journal)),
      account_(std::move(account)),
      limits_(limits),
      compose_(std::move(compose)),
      ownClock_(clock ? nullptr : std::make_unique<SystemMergeClock>()),
      clock_(clock ? *clock : *ownClock_) {}

MergeRunWorker::~MergeRunWorker() { StopAndWait(); }

void MergeRunWorker::Start(std::optional<bool> arrived) {
    if (running_) return;
    Join();
    // A pass after a Stop needs a session of its own: a cancelled one sends nothing more.
    session_ = std::make_unique<DeliverySession>(account_.account, account_.archiveFolder, account_.tokens);
    run_ = std::make_unique<MergeRun>(journal_, *session_, Pacer(limits_), compose_, clock_);
    run_->OnProgress = [this](const MergeProgress& progress) {
        QMetaObject::invokeMethod(
            this, [this, progress] { emit progressed(progress); }, Qt::QueuedConnection);
    };
    if (paused_) run_->Pause();
    running_ = true;
    thread_ = std::thread(&MergeRunWorker::Pass, this, arrived);
}

void MergeRunWorker::Pause() {
    paused_ = true;
    if (run_) run_->Pause();
}

void MergeRunWorker::Resume() {
    paused_ = false;
    if (run_) run_->Resume();
}

void MergeRunWorker::Stop() {
    if (run_) run_->Stop();
}

void MergeRunWorker::StopAndWait() {
    Stop();
    Join();
    running_ = false;
}

void MergeRunWorker::Join() {
    if (thread_.joinable()) thread_.join();
    run_.reset();
    session_.reset();
}

void MergeRunWorker::Pass(std::optional<bool> arrived) {
    MergeRunEnd end;
    try {
        if (arrived) run_->Decide(*arrived);
        const MergeRunResult result = run_->Run();
        end.outcome = result.outcome;
        end.row = result.row;
        if (result.outcome == MergeOutcome::ServerStop) end.error = MergeStopText(result.reason);
    } catch (...) {
        // The journal cannot be written (or a row's message cannot be built): nothing more goes.
        end.outcome = MergeOutcome::ServerStop;
        end.error = MergeErrorText();
        end.failed = true;
    }
    try {
        session_->Close();
    } catch (...) {
        // The goodbye changes nothing of what the journal says was sent.
    }
    if (end.outcome != MergeOutcome::MaybeSent) {
        try {
            end.report = WriteRunReport(journal_);
        } catch (...) {
            end.reportError = MergeErrorText();
        }
    }
    QMetaObject::invokeMethod(
        this, [this, end] { Finish(end); }, Qt::QueuedConnection);
}

void MergeRunWorker::Finish(const MergeRunEnd& end) {
    // The thread posted this as its last step: it has ended or is about to.
    Join();
    running_ = false;
    // A pause belongs to the pass it stopped: the next pass starts at the user's word to go on.
    paused_ = false;
    emit finished(end);
}

}  // namespace quillory
