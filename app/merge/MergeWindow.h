#pragma once

#include <QDialog>

#include <exception>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "app/merge/MergeCheckJob.h"
#include "app/merge/MergeContext.h"
#include "merge/MergePlan.h"
#include "merge/PlanCheck.h"
#include "net/smtp/SmtpAccount.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace quillory {

class MergeCheckModel;
class MergeFilesBox;
class MergeMessagePreview;
class MergePaceBox;
class MergeRecipientsBox;
class MergeRunPanel;
class MergeTrialSend;
struct MergeTrialOutcome;
struct OpenedMergeRun;

// "Hromadné odeslání": the mail merge's window. Its first stage prepares a run: the recipients
// (groups and entries of the book, a CSV file), the file each recipient gets, the unsubscribe
// option, and the check table, one row per recipient with its problems, each opening its
// finished message in a preview. "Zkušební odeslání" sends the first three finished messages to
// the sender, marked as a test; "Odeslat" makes the run's journal and plan once no ticked row has a
// problem, and the run stage (MergeRunPanel) takes the window's place until the run is over. An
// unfinished run is offered when the window opens.
class MergeWindow : public QDialog {
    Q_OBJECT
public:
    MergeWindow(MergeContext context, QWidget* parent);
    ~MergeWindow() override;

    MergeRecipientsBox& Recipients() const { return *recipients_; }
    MergeFilesBox& Files() const { return *files_; }
    QCheckBox& Unsubscribe() const { return *unsubscribe_; }
    MergePaceBox& Pace() const { return *pace_; }
    QTableView& Table() const { return *table_; }
    MergeCheckModel& CheckModel() const { return *model_; }
    MergeTrialSend& Trial() const { return *trial_; }
    // The preview of a row's message, once one was opened.
    MergeMessagePreview* Preview() const { return preview_; }
    // The plan of the last check.
    const MergePlan& Plan() const { return plan_; }
    QLabel& State() const { return *state_; }
    QPushButton& SendButton() const { return *send_; }
    QPushButton& TrialButton() const { return *trialButton_; }

    // The plan made anew from the choices and the main window's message, and checked, at once;
    // the rows unticked before stay unticked.
    void Check();
    // The same beside the user-interface thread ("Zkontrolovat", a change of the choices, the
    // window shown again): the table shows the result when it is ready; meanwhile the window
    // goes on and sends nothing.
    void CheckLater();
    bool Checking() const { return job_.joinable(); }
    // Opens the finished message of the check table's `row` in the preview.
    void OpenPreview(int row);
    // "Zkušební odeslání".
    void TrialSend();
    // "Odeslat": checks again, makes the run's journal and plan, and starts the run stage.
    void Send();
    // When the window opens without a run: reports the journals that cannot be read and offers to
    // go on with the newest unfinished run; the run stage takes it up when the user wants to.
    void OfferUnfinishedRun();
    // The run stage, while it shows a run.
    MergeRunPanel* RunPanel() const { return runPanel_; }
    // "Nové hromadné odeslání": the first stage again, once the run is not under way.
    void NewRun();

signals:
    // The state of the check changed (made anew, a row ticked or unticked).
    void checked();
    void trialFinished(const quillory::MergeTrialOutcome& outcome);

protected:
    void showEvent(QShowEvent* event) override;
    // A run under way is stopped only when the user agrees; its journal keeps it for later.
    void closeEvent(QCloseEvent* event) override;

private:
    template <class Action>
    void Handle(Action&& action);
    QWidget* CreatePreparePage();
    void ConnectSignals();
    MergeCheckInput CheckInput() const;
    // The check beside the thread ended: its result shown, or the error it raised reported.
    void CheckEnded(unsigned long generation, MergeCheckResult result, std::exception_ptr error);
    void ShowCheck(MergeCheckResult result);
    // Where each recipient's file comes from, as chosen; none while the choice is not complete.
    RowFiles ChosenFiles() const;
    // Why a file for each recipient was chosen but cannot be given (no folder, no pattern, no
    // column); empty when none.
    QString FilesChoiceProblem() const;
    // Tells the state of the check below the table and enables the commands it allows.
    void ShowState();
    // The rows a run would send: ticked, in the table's order.
    std::vector<std::size_t> TickedRows() const;
    // The account to send with; nothing, with the user told why, when it has no server.
    std::optional<TSmtpAccount> Account();
    void ShowTrialOutcome(const MergeTrialOutcome& outcome);
    void StartRun(OpenedMergeRun run, const TSmtpAccount& account);

    const MergeContext context_;
    MergePlan plan_;
    std::vector<RowProblem> sharedProblems_;
    QStackedWidget* pages_ = nullptr;
    MergeRecipientsBox* recipients_ = nullptr;
    MergeFilesBox* files_ = nullptr;
    QCheckBox* unsubscribe_ = nullptr;
    MergePaceBox* pace_ = nullptr;
    QPushButton* check_ = nullptr;
    MergeCheckModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* state_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    QPushButton* trialButton_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* close_ = nullptr;
    MergeMessagePreview* preview_ = nullptr;  // made at its first use
    MergeTrialSend* trial_ = nullptr;
    // The check under way beside this thread; the checks are counted, so that one made out of
    // date by another is dropped.
    std::thread job_;
    unsigned long generation_ = 0;
    unsigned long jobGeneration_ = 0;  // of the check under way; 0: none
    bool again_ = false;
    QWidget* runPage_ = nullptr;         // while a run is shown
    MergeRunPanel* runPanel_ = nullptr;  // on the run's page
    QPushButton* newRun_ = nullptr;
};

}  // namespace quillory
