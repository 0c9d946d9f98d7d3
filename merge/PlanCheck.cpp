#include "merge/PlanCheck.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "contacts/Salutation.h"
#include "core/ProgramText.h"
#include "core/Win1250.h"
#include "mail/AddressCheck.h"

namespace quillory {
namespace {

// Whether the file can be attached: a regular file this user may read.
std::optional<ProblemKind> FileProblem(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return ProblemKind::MissingFile;
    if (error || status.type() != std::filesystem::file_type::regular || ::access(path.c_str(), R_OK) != 0)
        return ProblemKind::UnreadableFile;
    return std::nullopt;
}

void NoteEmpty(std::vector<RowProblem>& problems, const std::vector<EmptyPlaceholder>& empty) {
    for (const EmptyPlaceholder& placeholder : empty) {
        RowProblem problem{ProblemKind::EmptyPlaceholder, Win1250ToUtf8(placeholder.name)};
        if (std::find(problems.begin(), problems.end(), problem) == problems.end())
            problems.push_back(std::move(problem));
    }
}

}  // namespace

bool BlocksSend(ProblemKind kind) { return kind != ProblemKind::DuplicateMerged; }

std::string ProblemText(const RowProblem& problem) {
    switch (problem.kind) {
    case ProblemKind::InvalidAddress:
        return problem.detail.empty() ? "Chybí adresa" : "Neplatná adresa";
    case ProblemKind::EmptyPlaceholder:
        return "Prázdný zástupný údaj {" + problem.detail + "}";
    case ProblemKind::NeutralGreeting:
        return "Oslovení zůstalo „Dobrý den“, ačkoli je jméno známé";
    case ProblemKind::MissingFile:
        return "Soubor chybí: " + problem.detail;
    case ProblemKind::UnreadableFile:
        return "Soubor nelze přečíst: " + problem.detail;
    case ProblemKind::DuplicateMerged:
        return "Adresa se opakovala (" + problem.detail + "×), sloučeno do jednoho řádku";
    }
    return {};
}

bool CheckRow::Blocked() const {
    return std::any_of(problems.begin(), problems.end(),
                       [](const RowProblem& problem) { return BlocksSend(problem.kind); });
}

CheckRow CheckPlanRow(const MergePlan& plan, std::size_t index) {
    const MergeRow& row = plan.rows.at(index);
    CheckRow check;
    check.address = row.address;
    if (const std::string* greeting = row.values.Find("oslovení")) check.greeting = *greeting;
    const FilledText subject = FillProgramText(plan.message.subject, row.values);
    check.subject = ProgramTextToUtf8(subject.text);
    check.file = row.file.string();

    if (!CheckEmailAddress(row.address)) check.problems.push_back({ProblemKind::InvalidAddress, row.address});
    NoteEmpty(check.problems, subject.empty);
    NoteEmpty(check.problems, FillProgramText(plan.message.body, row.values).empty);
    if (row.named && check.greeting == kNeutralGreeting)
        check.problems.push_back({ProblemKind::NeutralGreeting, {}});
    if (!row.fileProblem.empty()) {
        check.problems.push_back({ProblemKind::MissingFile, row.fileProblem});
    } else if (!row.file.empty()) {
        if (const auto problem = FileProblem(row.file)) check.problems.push_back({*problem, check.file});
    }
    if (row.mergedDuplicates > 0)
        check.problems.push_back({ProblemKind::DuplicateMerged, std::to_string(row.mergedDuplicates + 1)});
    return check;
}

std::vector<CheckRow> CheckPlan(const MergePlan& plan) {
    std::vector<CheckRow> rows;
    rows.reserve(plan.rows.size());
    for (std::size_t i = 0; i < plan.rows.size(); ++i) rows.push_back(CheckPlanRow(plan, i));
    return rows;
}

std::vector<RowProblem> CheckSharedFiles(const MergePlan& plan) {
    std::vector<RowProblem> problems;
    for (const SharedAttachment& file : plan.message.attachments)
        if (const auto problem = FileProblem(file.path)) problems.push_back({*problem, file.path});
    return problems;
}

bool ReadyToSend(const MergePlan& plan) {
    if (!CheckSharedFiles(plan).empty()) return false;
    bool any = false;
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        if (plan.rows[i].skipped) continue;
        if (CheckPlanRow(plan, i).Blocked()) return false;
        any = true;
    }
    return any;
}

}  // namespace quillory
