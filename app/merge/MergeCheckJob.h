#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contacts/AddressBook.h"
#include "merge/MergePlan.h"
#include "merge/PlanCheck.h"

namespace quillory {

// What a check of the mail merge's recipients is made from, copied off the window, so that it can
// be made beside the user-interface thread while the window goes on.
struct MergeCheckInput {
    MergeMessage message;
    MergeOptions options;
    AddressBook book;
    std::vector<std::string> groups;  // ticked groups (UTF-8)
    std::vector<std::string> picked;  // addresses picked in the book (UTF-8)
    // The CSV file's bytes; none without a CSV file.
    std::shared_ptr<const std::string> csv;
    RowFiles files;
    std::string date;  // the text of {datum}
};

// The plan of the run and its check, row by row, with the problems of the shared attachments.
struct MergeCheckResult {
    MergePlan plan;
    std::vector<CheckRow> rows;
    std::vector<RowProblem> shared;
};

// Makes the plan (the groups' rows, the picked entries' and the CSV file's, in this order, an
// address that comes again merged into its first row; every row's own file) and checks it. A CSV
// column is a placeholder of every row: a row the file does not give (a book entry's) has it
// empty, so the check names it, rather than the message going out with "{částka}" as typed.
// Touches nothing but the rows' and the attachments' files (it looks at them).
MergeCheckResult MakeCheckedPlan(const MergeCheckInput& input);

}  // namespace quillory
