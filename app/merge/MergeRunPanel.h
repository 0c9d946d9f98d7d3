#pragma once

#include <QWidget>

#include <memory>
#include <optional>

#include "app/merge/MergeRunOpen.h"
#include "app/merge/MergeRunWorker.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace quillory {

class TDesktop;

// The run stage of "Hromadné odeslání": sends a run's rows on a worker (MergeRunWorker) and shows
// where it stands: sent, waiting and failed, the estimated end at the pace of the sending limits,
// a pause for a sending limit with its reason and the time the run goes on by itself. The user may
// pause ("Pozastavit"), go on ("Pokračovat", also after a stop) and stop ("Zastavit"; the journal
// keeps the run for later). A "možná odesláno" row is shown for the user to decide before anything
// more is sent. At the end the report lists every row (address, state, time, the server's reply),
// written as a CSV beside the journal as well.
class MergeRunPanel : public QWidget {
    Q_OBJECT
public:
    // `run` is a new run (CreateRun with PlanCompose) or one taken up (OpenMergeRun). `clock` (the
    // system's when null) must outlive the panel.
    MergeRunPanel(TDesktop& desktop, OpenedMergeRun run, MergeRunAccount account, QWidget* parent = nullptr,
                  MergeClock* clock = nullptr);
    // Stops a run under way; the journal keeps it.
    ~MergeRunPanel() override;

    // Begins the run; a "možná odesláno" row an earlier run left is shown for the decision first.
    void Start();
    // A run is under way (sending, waiting or paused).
    bool Running() const;
    // Before the panel's window closes: while a run is under way the user is asked; when they
    // agree it is stopped (its thread ended; the journal keeps it) and the answer is true.
    bool ConfirmClose();
    // Stops a run under way and waits for its thread; the journal keeps the run for later.
    void StopRun();

    const RunJournal& Journal() const { return worker_->Journal(); }

signals:
    // A pass of the run ended (also with a "možná odesláno" row waiting, or stopped).
    void ended(const quillory::MergeRunEnd& end);

private:
    void CreateWidgets();
    void ConnectSignals();
    void ShowProgress(const MergeProgress& progress);
    void ShowEnd(const MergeRunEnd& end);
    void AskDecision(std::size_t row);
    // Starts a pass; `arrived` settles the "možná odesláno" row first.
    void Begin(std::optional<bool> arrived);
    void Arrived();
    void SendAgain();
    void GoOn();
    void Pause();
    void Stop();
    void ShowReport(const std::filesystem::path& csv, const QString& error);
    void UpdateButtons();

    TDesktop& desktop_;
    std::unique_ptr<MergeRunWorker> worker_;
    bool finished_ = false;  // nothing is left to send

    QLabel* counts_ = nullptr;
    QLabel* estimate_ = nullptr;
    QLabel* waiting_ = nullptr;
    QLabel* status_ = nullptr;
    QWidget* decision_ = nullptr;
    QLabel* decisionText_ = nullptr;
    QPushButton* arrived_ = nullptr;
    QPushButton* again_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* resume_ = nullptr;
    QPushButton* stop_ = nullptr;
    QTableWidget* report_ = nullptr;
    QLabel* reportPath_ = nullptr;
};

// Before the program closes: when a mail merge run is under way the user is asked; when they
// agree every run is stopped (the journals keep them for later) and the answer is true.
bool ConfirmQuitDuringMergeRuns(TDesktop& desktop, QWidget* parent);

}  // namespace quillory
