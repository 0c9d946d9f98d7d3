#include "app/merge/MergeCheckJob.h"

#include "merge/PlanRows.h"

namespace quillory {

MergeCheckResult MakeCheckedPlan(const MergeCheckInput& input) {
    MergeCheckResult result;
    MergePlan& plan = result.plan;
    plan.message = input.message;
    plan.options = input.options;
    AddRows(plan.rows, RowsFromGroups(input.book, input.groups, input.date));
    AddRows(plan.rows, RowsFromEntries(input.book, input.picked, input.date));
    if (input.csv) {
        CsvRecipients csv = RowsFromCsv(*input.csv, input.book, input.date);
        AddRows(plan.rows, std::move(csv.rows));
        GiveEveryRowTheColumns(plan.rows, csv.table.columns);
    }
    AssignFiles(plan.rows, input.files);
    result.rows = CheckPlan(plan);
    result.shared = CheckSharedFiles(plan);
    return result;
}

}  // namespace quillory
