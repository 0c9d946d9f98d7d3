#include "app/merge/MergeRunConsole.h"

#include <QCloseEvent>
#include <QEventLoop>

#include <cstdio>

#include "app/ErrorTexts.h"
#include "app/Win1250Text.h"
#include "app/account/MicrosoftTokens.h"
#include "app/account/OAuthHttp.h"
#include "app/account/PasswordAtRest.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/desktop/Desktop.h"
#include "app/merge/MergeRunOpen.h"
#include "app/merge/MergeRunResume.h"
#include "app/merge/MergeRunWorker.h"
#include "storage/forms/FormStorage.h"

namespace quillory {
namespace {

void Say(FILE* stream, const QString& text) {
    std::fputs((text + '\n').toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

}  // namespace

MergeRunConsole::MergeRunConsole(TDesktop& desktop, TProgramFolders folders)
    : desktop_(desktop), folders_(std::move(folders)) {
    // The account is the main window's: its section of the INI file, its secrets at rest. Only
    // read: the storage is switched off after its restore, so this hidden widget never writes the
    // main window's placement or values.
    storage_ = new TFormStorage(*this, [] { Say(stderr, MergeErrorText()); });
    storage_->SetIniSection("TForm1");
    storage_->SetOptions(0);
    AddSmtpAccountValues(storage_->StoredValues());
    for (const std::string_view name : {kSmtpPasswordName, kImapPasswordName, kOAuthRefreshTokenName})
        atRest_.push_back(std::make_unique<TPasswordAtRest>(*storage_, desktop.Keyring(), name));
}

MergeRunConsole::~MergeRunConsole() {
    if (worker_) worker_->StopAndWait();
}

MergeRunExit MergeRunConsole::Run(std::optional<bool> arrived) {
    try {
        return Go(arrived);
    } catch (...) {
        Say(stderr, MergeErrorText());
        return MergeRunExit::Error;
    }
}

MergeRunExit MergeRunConsole::Go(std::optional<bool> arrived) {
    const UnfinishedRuns found = FindUnfinishedRuns(MergeRunFolder(folders_.Data()));
    for (const QString& damaged : found.damaged) Say(stderr, damaged);
    if (!found.newest) {
        Say(stdout, QStringLiteral("Žádné nedokončené hromadné odeslání."));
        return found.damaged.empty() ? MergeRunExit::NothingToDo : MergeRunExit::Error;
    }
    storage_->RestoreAll();
    storage_->SetActive(false);
    MergeRunAccount account;
    account.account = ReadSmtpAccount(*storage_);
    if (account.account.server.empty()) {
        Say(stderr, QStringLiteral("Není vyplněn server odchozí pošty (SMTP)"));
        return MergeRunExit::Error;
    }
    if (account.account.oauth.method == TLoginMethod::Microsoft)
        account.tokens = (new MicrosoftTokens(*storage_, *new NetworkOAuthHttp(this), this))->ForWorker();
    account.archiveFolder = folders_.Data() / "Odeslané";

    OpenedMergeRun run = OpenMergeRun(*found.newest, folders_, account.account);
    // The journal as it stands now that it is held: a decision is for a row that waits for one.
    if (const auto row = run.journal.State().maybeSent; row && !arrived) {
        Say(stdout, QStringLiteral("možná odesláno: %1 (rozhodněte --maybe-sent=arrived nebo =again)")
                        .arg(FromProgramText(run.journal.State().rows[*row].address)));
        return MergeRunExit::MaybeSent;
    }
    if (!run.journal.State().maybeSent) arrived.reset();
    Say(stdout, QStringLiteral("pokračuje: %1").arg(QString::fromStdString(found.newest->string())));
    worker_ = std::make_unique<MergeRunWorker>(std::move(run.journal), std::move(account), run.limits,
                                               std::move(run.compose));
    QEventLoop loop;
    MergeRunExit exit = MergeRunExit::Error;
    connect(worker_.get(), &MergeRunWorker::progressed, this, [](const MergeProgress& progress) {
        if (!progress.waiting) return;
        Say(stdout, QStringLiteral("čeká: %1").arg(FromProgramText(progress.reason)));
    });
    connect(worker_.get(), &MergeRunWorker::finished, this, [&](const MergeRunEnd& end) {
        switch (end.outcome) {
        case MergeOutcome::Finished:
            exit = MergeRunExit::Finished;
            Say(stdout, QStringLiteral("dokončeno"));
            break;
        case MergeOutcome::MaybeSent:
            exit = MergeRunExit::MaybeSent;
            Say(stdout, QStringLiteral("možná odesláno: %1")
                            .arg(FromProgramText(worker_->Journal().State().rows[*end.row].address)));
            break;
        case MergeOutcome::Stopped:
            exit = MergeRunExit::Stopped;
            Say(stdout, QStringLiteral("zastaveno"));
            break;
        case MergeOutcome::ServerStop:
            exit = end.failed ? MergeRunExit::Error : MergeRunExit::Stopped;
            Say(stderr, end.error);
            break;
        }
        if (!end.report.empty())
            Say(stdout, QStringLiteral("zpráva: %1").arg(QString::fromStdString(end.report.string())));
        if (!end.reportError.isEmpty()) {
            Say(stderr, end.reportError);
            // The status of a finished run promises its report.
            if (exit == MergeRunExit::Finished) exit = MergeRunExit::Error;
        }
        loop.quit();
    });
    worker_->Start(arrived);
    if (stopRequested_) worker_->Stop();
    loop.exec();
    worker_->disconnect(this);
    return exit;
}

void MergeRunConsole::closeEvent(QCloseEvent* event) {
    // A signal: the run stops, its end ends the loop.
    stopRequested_ = true;
    if (worker_) worker_->Stop();
    event->ignore();
}

}  // namespace quillory
