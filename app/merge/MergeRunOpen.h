#pragma once

#include <filesystem>

#include "merge/MergePlan.h"
#include "merge/MergeRun.h"
#include "merge/Pacer.h"
#include "merge/RunJournal.h"

namespace quillory {

class TProgramFolders;
struct TSmtpAccount;

// A run ready to send: its journal (held locked against a second sender), its rows' messages as the
// plan composes them, and the pace.
struct OpenedMergeRun {
    RunJournal journal;
    MergeRun::Compose compose;
    SendingLimits limits;
};

// The composition of the plan's rows (ComposeRow), holding its own copy of the plan for the run's
// thread.
MergeRun::Compose PlanCompose(MergePlan plan);

// The sending limits of the account: those of its provider's preset, else of the preset its
// login's domain belongs to (providers.ini shipped with the program); none when neither is known.
SendingLimits AccountSendingLimits(const TProgramFolders& folders, const TSmtpAccount& account);

// Takes up the run of the journal at `journalPath` with the plan beside it, at the account's
// pace. Raises EJournalDamaged or EPlanDamaged (the file is left as it is), EJournalError while
// another program sends the run, EPlanError when the plan is missing.
OpenedMergeRun OpenMergeRun(const std::filesystem::path& journalPath, const TProgramFolders& folders,
                            const TSmtpAccount& account);

}  // namespace quillory
