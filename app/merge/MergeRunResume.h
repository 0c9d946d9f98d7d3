#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

#include "merge/RunJournal.h"

class QWidget;

namespace quillory {

class TDesktop;

// The folder of the mail merge runs in the data folder: each run's journal, its plan and its report.
std::filesystem::path MergeRunFolder(const std::filesystem::path& dataFolder);

// What the runs of a folder left: the newest run not finished (rows still to send, or a "možná
// odesláno" row to decide), and the journals that cannot be read.
struct UnfinishedRuns {
    std::optional<std::filesystem::path> newest;
    JournalState state;  // of the newest
    // Each unreadable journal's error, in Czech, naming its file; the files are left as they are.
    std::vector<QString> damaged;
};

// Reads every journal of `runFolder` (none when it does not exist); writes nothing.
UnfinishedRuns FindUnfinishedRuns(const std::filesystem::path& runFolder);

// The question that offers to go on with an unfinished run: when it began, what was sent, what is
// left, and the "možná odesláno" row the user will decide on.
QString ContinueQuestion(const JournalState& state);

// For the window of "Hromadné odeslání" when it opens: tells of each journal that cannot be read
// (with its path), then offers to go on with the newest unfinished run. Returns its journal when
// the user wants to; the window then opens it (OpenMergeRunPanel).
std::optional<std::filesystem::path> OfferUnfinishedRun(QWidget* parent, TDesktop& desktop,
                                                        const std::filesystem::path& runFolder);

}  // namespace quillory
