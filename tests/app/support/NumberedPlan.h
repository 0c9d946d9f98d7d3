#pragma once

#include <string>

#include "app/Win1250Text.h"
#include "merge/MergePlan.h"

namespace quillory::test {

// The plan of a mail merge run to `rows` recipients "row1@example.cz", "row2@example.cz", …, each
// greeted "Dobrý den", with a short notice from `sender` (its texts in the program's 8-bit form).
inline MergePlan NumberedPlan(int rows, const std::string& sender) {
    MergePlan plan;
    plan.message.sender = sender;
    plan.message.subject = ToWin1250(QStringLiteral("Nový ceník"));
    plan.message.body = ToWin1250(QStringLiteral("{oslovení},\r\nposíláme nový ceník.\r\nS pozdravem"));
    for (int n = 1; n <= rows; ++n) {
        MergeRow row;
        row.address = "row" + std::to_string(n) + "@example.cz";
        row.values.Set("oslovení", "Dobrý den");
        plan.rows.push_back(row);
    }
    return plan;
}

}  // namespace quillory::test
