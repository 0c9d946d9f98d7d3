#include "app/merge/MergeRunResume.h"

#include <QDateTime>
#include <QLocale>

#include "app/ErrorTexts.h"
#include "app/Win1250Text.h"
#include "app/desktop/Desktop.h"
#include "merge/PlanFile.h"

namespace quillory {
namespace {

const QString kCaption = QStringLiteral("Hromadné odeslání");

}  // namespace

std::filesystem::path MergeRunFolder(const std::filesystem::path& dataFolder) {
    return dataFolder / "Hromadné odeslání";
}

UnfinishedRuns FindUnfinishedRuns(const std::filesystem::path& runFolder) {
    UnfinishedRuns found;
    std::error_code error;
    if (!std::filesystem::is_directory(runFolder, error)) return found;
    for (const std::filesystem::path& journal : RunJournal::List(runFolder)) {
        try {
            JournalState state = ReadJournal(journal);
            if (state.Finished()) continue;
            // Made, but the program ended before its plan was written: nothing of it went out, and
            // without the plan it cannot go on.
            if (state.Untouched() && !std::filesystem::exists(PlanPath(journal))) continue;
            found.newest = journal;
            found.state = std::move(state);
        } catch (...) {
            found.damaged.push_back(MergeErrorText());
        }
    }
    return found;
}

QString ContinueQuestion(const JournalState& state) {
    std::size_t delivered = 0;
    std::size_t toSend = 0;
    for (const JournalRow& row : state.rows) {
        delivered += row.state == RowState::Delivered ? 1 : 0;
        toSend += row.state == RowState::ToSend ? 1 : 0;
    }
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    const QDateTime began = QDateTime::fromSecsSinceEpoch(state.created.time_since_epoch().count());
    QString question = QStringLiteral(
                           "Hromadné odeslání zahájené %1 nebylo dokončeno: odesláno %2 z %3, "
                           "zbývá odeslat %4.")
                           .arg(czech.toString(began, QStringLiteral("d. M. yyyy H:mm")))
                           .arg(delivered)
                           .arg(state.rows.size())
                           .arg(toSend);
    if (state.maybeSent)
        question += QStringLiteral(
                        "\n\nZpráva pro %1 možná odešla (spojení skončilo dřív, než server "
                        "odpověděl). Před pokračováním rozhodnete, zda dorazila.")
                        .arg(FromProgramText(state.rows[*state.maybeSent].address));
    return question + QStringLiteral("\n\nPokračovat v něm?");
}

std::optional<std::filesystem::path> OfferUnfinishedRun(QWidget* parent, TDesktop& desktop,
                                                        const std::filesystem::path& runFolder) {
    const UnfinishedRuns found = FindUnfinishedRuns(runFolder);
    for (const QString& damaged : found.damaged)
        desktop.ShowMessage(parent, TDesktop::TMessageKind::Error, kCaption, damaged);
    if (!found.newest || !desktop.Ask(parent, kCaption, ContinueQuestion(found.state))) return std::nullopt;
    return found.newest;
}

}  // namespace quillory
