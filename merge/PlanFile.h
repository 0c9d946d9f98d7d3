#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/Exception.h"
#include "merge/MergePlan.h"
#include "merge/RunJournal.h"

namespace quillory {

// The plan file cannot be read whole: the message (the program's 8-bit text) names the file and
// the line. The file is left as it is.
class EPlanDamaged : public Exception {
    using Exception::Exception;
};

// The plan file cannot be written (or one is there already); the message names the file and the
// system's reason.
class EPlanError : public Exception {
    using Exception::Exception;
};

// The plan of a run is kept beside its journal, named as the journal with ".plan"
// ("hromadne-odeslani-20261211-093000.plan").
std::filesystem::path PlanPath(const std::filesystem::path& journalPath);

// The plan as the file holds it: text, one record a line, each line the journal's form (CRC-32,
// a blank, the record), a heading first and an end record last.
std::string PlanBytes(const MergePlan& plan);
// Reads a plan file's bytes; `path` only names the file in the message of EPlanDamaged. Any defect
// (a line that fails its CRC, a missing end, an unknown record) raises EPlanDamaged.
MergePlan ParsePlan(std::string_view bytes, const std::filesystem::path& path);

// Writes the plan beside the journal, durably (whole under a temporary name, flushed, linked to its
// name, the folder flushed), readable by the user only. An existing file is never replaced
// (EPlanError).
void SavePlan(const MergePlan& plan, const std::filesystem::path& journalPath);
// Reads the plan of the journal at `journalPath`: EPlanDamaged when the file is damaged, EPlanError
// when it cannot be read (missing).
MergePlan LoadPlan(const std::filesystem::path& journalPath);

// Starts a run: makes its journal in `folder` (one row per plan row, the skipped ones skipped;
// journal row i is plan row i) and saves the plan beside it. When the plan cannot be saved the new
// journal is removed and EPlanError raised; EJournalError as RunJournal::Create.
RunJournal CreateRun(const std::filesystem::path& folder, const MergePlan& plan,
                     std::chrono::sys_seconds now);

}  // namespace quillory
