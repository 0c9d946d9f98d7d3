#include "app/merge/MergeRunOpen.h"

#include <QString>

#include <memory>

#include "app/account/ProviderPresets.h"
#include "mail/IdMessage.h"
#include "merge/ComposeRow.h"
#include "merge/PlanFile.h"
#include "net/smtp/SmtpAccount.h"
#include "storage/ProgramFolders.h"

namespace quillory {

MergeRun::Compose PlanCompose(MergePlan plan) {
    return [plan = std::make_shared<const MergePlan>(std::move(plan))](std::size_t row) {
        return ComposeRow(*plan, row);
    };
}

std::optional<ProviderPreset> AccountPreset(const TProgramFolders& folders, const TSmtpAccount& account) {
    const auto file = folders.FindShipped("providers.ini");
    if (!file) return std::nullopt;
    const QVector<ProviderPreset> presets = ReadProviderPresets(*file);
    const QString provider = QString::fromStdString(account.oauth.provider);
    for (const ProviderPreset& preset : presets)
        if (!provider.isEmpty() && preset.id == provider) return preset;
    return PresetForAddress(presets, QString::fromStdString(account.login));
}

SendingLimits AccountSendingLimits(const TProgramFolders& folders, const TSmtpAccount& account) {
    const auto preset = AccountPreset(folders, account);
    return preset ? preset->limits : SendingLimits{};
}

OpenedMergeRun OpenMergeRun(const std::filesystem::path& journalPath, const TProgramFolders& folders,
                            const TSmtpAccount& account) {
    MergePlan plan = LoadPlan(journalPath);
    RunJournal journal = RunJournal::Open(journalPath);
    const SendingLimits limits = plan.limits ? *plan.limits : AccountSendingLimits(folders, account);
    return {std::move(journal), PlanCompose(std::move(plan)), limits};
}

}  // namespace quillory
