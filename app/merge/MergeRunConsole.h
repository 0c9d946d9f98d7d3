#pragma once

#include <QWidget>

#include <memory>
#include <optional>

#include "storage/ProgramFolders.h"

namespace quillory {

class MergeRunWorker;
class TDesktop;
class TFormStorage;
class TPasswordAtRest;

// The exit statuses of "quillory --resume-merge".
enum class MergeRunExit : int {
    Finished = 0,     // every row is done; the report is written beside the journal
    Error = 1,        // the journal, the plan or the report cannot be read or written, a row's
                      // message cannot be built (an attached file gone), or no account is set
    MaybeSent = 3,    // a "možná odesláno" row waits for --maybe-sent=arrived or =again
    Stopped = 4,      // the server stopped the run, or a signal did; the run can go on later
    NothingToDo = 5,  // no unfinished run in the data folder
};

// "quillory --resume-merge": goes on with the newest unfinished mail merge run of the data folder
// without a window and without a question, through the account of the stored settings, and ends
// when the run ends. A journal that cannot be read is told on the standard error output with its
// path and left as it is. What happens is told on the standard output, one line per event.
// SIGTERM, SIGINT and SIGHUP (TCloseOnSignal closing this hidden widget) stop the run; the
// journal keeps it.
class MergeRunConsole : public QWidget {
    Q_OBJECT
public:
    MergeRunConsole(TDesktop& desktop, TProgramFolders folders);
    ~MergeRunConsole() override;

    // Runs the run to its end in an event loop of its own; `arrived` settles a "možná odesláno"
    // row first (true: the message arrived; false: it goes out again).
    MergeRunExit Run(std::optional<bool> arrived);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MergeRunExit Go(std::optional<bool> arrived);

    TDesktop& desktop_;
    const TProgramFolders folders_;
    TFormStorage* storage_ = nullptr;  // child of this
    std::vector<std::unique_ptr<TPasswordAtRest>> atRest_;
    std::unique_ptr<MergeRunWorker> worker_;
    bool stopRequested_ = false;
};

}  // namespace quillory
