#pragma once

#include <QDialog>

#include "app/merge/MergeContext.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace quillory {

class MergeFilesBox;
class MergeRecipientsBox;
class MergeTrialSend;

// "Hromadné odeslání": the mail merge's window. Its first stage prepares a run: the recipients
// (groups and entries of the book, a CSV file), the file each recipient gets, the unsubscribe
// option, and the check table, one row per recipient with its problems; "Zkušební odeslání"
// sends the first three finished messages to the sender, and "Odeslat" hands the checked plan
// to the run.
class MergeWindow : public QDialog {
    Q_OBJECT
public:
    MergeWindow(MergeContext context, QWidget* parent);
    ~MergeWindow() override;

    MergeRecipientsBox& Recipients() const { return *recipients_; }
    MergeFilesBox& Files() const { return *files_; }
    QCheckBox& Unsubscribe() const { return *unsubscribe_; }
    QTableView& Table() const { return *table_; }
    MergeTrialSend& Trial() const { return *trial_; }

private:
    template <class Action>
    void Handle(Action&& action);
    QWidget* CreatePreparePage();

    const MergeContext context_;
    QStackedWidget* pages_ = nullptr;
    MergeRecipientsBox* recipients_ = nullptr;
    MergeFilesBox* files_ = nullptr;
    QCheckBox* unsubscribe_ = nullptr;
    QPushButton* check_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* state_ = nullptr;
    QPushButton* preview_ = nullptr;
    QPushButton* trialButton_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* close_ = nullptr;
    MergeTrialSend* trial_ = nullptr;
};

}  // namespace quillory
