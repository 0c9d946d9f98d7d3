#pragma once

#include <filesystem>
#include <optional>

#include "app/account/ProviderPresets.h"
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

// The account's provider preset (providers.ini shipped with the program): its provider's, else the
// one its login's domain belongs to; none when neither is known.
std::optional<ProviderPreset> AccountPreset(const TProgramFolders& folders, const TSmtpAccount& account);
// The sending limits of the account's preset; none when it has no preset.
SendingLimits AccountSendingLimits(const TProgramFolders& folders, const TSmtpAccount& account);

// Takes up the run of the journal at `journalPath` with the plan beside it, at the pace the plan
// keeps (a plan without one: the account's preset). Raises EJournalDamaged or EPlanDamaged (the file is left
// as it is), EJournalError while another program sends the run, EPlanError when the plan is missing.
OpenedMergeRun OpenMergeRun(const std::filesystem::path& journalPath, const TProgramFolders& folders,
                            const TSmtpAccount& account);

}  // namespace quillory
