#include "app/merge/MergeCheckJob.h"

#include "contacts/UnicodeText.h"
#include "merge/PlanRows.h"

namespace quillory {
namespace {

void GiveEveryRowTheColumns(std::vector<MergeRow>& rows, const std::vector<std::string>& columns) {
    for (const std::string& column : columns) {
        for (const std::string& name : {column, LowerUtf8(column), FoldForSearch(column)}) {
            if (name.empty()) continue;
            for (MergeRow& row : rows)
                if (!row.values.Find(name)) row.values.Set(name, {});
        }
    }
}

}  // namespace

MergeCheckResult MakeCheckedPlan(const MergeCheckInput& input) {
    MergeCheckResult result;
    MergePlan& plan = result.plan;
    plan.message = input.message;
    plan.options = input.options;
    AddRows(plan.rows, RowsFromGroups(input.book, input.groups, input.date));
    AddRows(plan.rows, RowsFromEntries(input.book, input.picked, input.date));
    if (input.csv) {
        AddRows(plan.rows, RowsFromCsv(*input.csv, input.book, input.date).rows);
        GiveEveryRowTheColumns(plan.rows, input.columns);
    }
    AssignFiles(plan.rows, input.files);
    result.rows = CheckPlan(plan);
    result.shared = CheckSharedFiles(plan);
    return result;
}

}  // namespace quillory
