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

SendingLimits AccountSendingLimits(const TProgramFolders& folders, const TSmtpAccount& account) {
    const auto file = folders.FindShipped("providers.ini");
    if (!file) return {};
    const QVector<ProviderPreset> presets = ReadProviderPresets(*file);
    const QString provider = QString::fromStdString(account.oauth.provider);
    for (const ProviderPreset& preset : presets)
        if (!provider.isEmpty() && preset.id == provider) return preset.limits;
    const auto byDomain = PresetForAddress(presets, QString::fromStdString(account.login));
    return byDomain ? byDomain->limits : SendingLimits{};
}

OpenedMergeRun OpenMergeRun(const std::filesystem::path& journalPath, const TProgramFolders& folders,
                            const TSmtpAccount& account) {
    MergePlan plan = LoadPlan(journalPath);
    RunJournal journal = RunJournal::Open(journalPath);
    return {std::move(journal), PlanCompose(std::move(plan)), AccountSendingLimits(folders, account)};
}

}  // namespace quillory
