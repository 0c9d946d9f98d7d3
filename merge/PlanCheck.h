#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "merge/MergePlan.h"

namespace quillory {

enum class ProblemKind {
    InvalidAddress,    // the row's address cannot be sent to
    EmptyPlaceholder,  // a placeholder of the subject or the text is filled with nothing
    NeutralGreeting,   // {oslovení} fell back to "Dobrý den" though the recipient has a name
    MissingFile,       // the row's file is not there (or its name could not be made)
    UnreadableFile,    // the row's file is there but cannot be read, or is no regular file
    DuplicateMerged,   // further rows of the same address were merged into this one
};

struct RowProblem {
    ProblemKind kind = ProblemKind::InvalidAddress;
    std::string detail;  // UTF-8: the placeholder's name ("částka"), the file's path, a count
    bool operator==(const RowProblem&) const = default;
};

// Whether a problem of this kind keeps the send from starting while its row is ticked. A merged
// duplicate only informs: the merge already made it one row.
bool BlocksSend(ProblemKind kind);

// The problem as the check table shows it (UTF-8, Czech): "Neplatná adresa", "Prázdný zástupný
// údaj {částka}", …
std::string ProblemText(const RowProblem& problem);

// One row of the check table. Texts are UTF-8.
struct CheckRow {
    std::string address;
    std::string greeting;  // {oslovení} as it will read
    std::string subject;   // filled
    std::string file;      // the row's file; empty: none
    std::vector<RowProblem> problems;
    // A problem that BlocksSend.
    bool Blocked() const;
};

// The check of one row, and of every row in the plan's order. Reads the file system for the
// rows' files (exists, regular, readable) but never their contents.
CheckRow CheckPlanRow(const MergePlan& plan, std::size_t row);
std::vector<CheckRow> CheckPlan(const MergePlan& plan);

// The shared attachments that cannot be sent (missing or unreadable): MissingFile /
// UnreadableFile with the path. They concern every row.
std::vector<RowProblem> CheckSharedFiles(const MergePlan& plan);

// Whether a run may start: no ticked row has a problem that blocks, no shared file has one, and
// at least one row is ticked.
bool ReadyToSend(const MergePlan& plan);

}  // namespace quillory
