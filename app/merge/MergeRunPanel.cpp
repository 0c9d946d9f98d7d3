#include "app/merge/MergeRunPanel.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "app/ErrorHandler.h"
#include "app/ErrorTexts.h"
#include "app/Win1250Text.h"
#include "app/desktop/Desktop.h"
#include "merge/RunReport.h"

namespace quillory {
namespace {

const QString kCaption = QStringLiteral("Hromadné odeslání");

// The panels whose run may be under way, for the question before the program closes.
std::vector<MergeRunPanel*>& Panels() {
    static std::vector<MergeRunPanel*> panels;
    return panels;
}

QString TimeText(MergeClock::Clock::time_point time) {
    const QDateTime when = QDateTime::fromSecsSinceEpoch(MergeClock::Clock::to_time_t(time));
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    if (when.date() == QDate::currentDate()) return czech.toString(when.time(), QStringLiteral("H:mm:ss"));
    return czech.toString(when, QStringLiteral("d. M. yyyy H:mm:ss"));
}

QString RowTime(std::chrono::sys_seconds time) {
    if (time == std::chrono::sys_seconds{}) return {};
    return QDateTime::fromSecsSinceEpoch(time.time_since_epoch().count())
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

QLabel* Label(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

MergeRunPanel::MergeRunPanel(TDesktop& desktop, OpenedMergeRun run, MergeRunAccount account, QWidget* parent,
                             MergeClock* clock)
    : QWidget(parent),
      desktop_(desktop),
      worker_(std::make_unique<MergeRunWorker>(std::move(run.journal), std::move(account), run.limits,
                                               std::move(run.compose), clock)) {
    setObjectName("MergeRunPanel");
    CreateWidgets();
    ConnectSignals();
    Panels().push_back(this);
    UpdateButtons();
}

MergeRunPanel::~MergeRunPanel() {
    std::erase(Panels(), this);
    worker_->StopAndWait();
}

void MergeRunPanel::CreateWidgets() {
    auto* layout = new QVBoxLayout(this);
    counts_ = Label("counts", this);
    estimate_ = Label("estimate", this);
    waiting_ = Label("waiting", this);
    status_ = Label("status", this);
    layout->addWidget(counts_);
    layout->addWidget(estimate_);
    layout->addWidget(waiting_);

    decision_ = new QWidget(this);
    auto* decision = new QVBoxLayout(decision_);
    decision->setContentsMargins(0, 0, 0, 0);
    decisionText_ = Label("decisionText", decision_);
    decision->addWidget(decisionText_);
    auto* choices = new QHBoxLayout;
    arrived_ = Button(QStringLiteral("Dorazila"), "arrived", decision_);
    again_ = Button(QStringLiteral("Odeslat znovu"), "again", decision_);
    choices->addWidget(arrived_);
    choices->addWidget(again_);
    choices->addStretch();
    decision->addLayout(choices);
    decision_->hide();
    layout->addWidget(decision_);

    auto* buttons = new QHBoxLayout;
    pause_ = Button(QStringLiteral("Pozastavit"), "pause", this);
    resume_ = Button(QStringLiteral("Pokračovat"), "resume", this);
    stop_ = Button(QStringLiteral("Zastavit"), "stop", this);
    buttons->addWidget(pause_);
    buttons->addWidget(resume_);
    buttons->addWidget(stop_);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addWidget(status_);

    report_ = new QTableWidget(0, 4, this);
    report_->setObjectName("report");
    report_->setHorizontalHeaderLabels({QStringLiteral("Adresa"), QStringLiteral("Stav"),
                                        QStringLiteral("Čas"), QStringLiteral("Odpověď serveru")});
    report_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    report_->horizontalHeader()->setStretchLastSection(true);
    report_->verticalHeader()->hide();
    report_->hide();
    layout->addWidget(report_, 1);
    reportPath_ = Label("reportPath", this);
    layout->addWidget(reportPath_);
}

void MergeRunPanel::ConnectSignals() {
    connect(worker_.get(), &MergeRunWorker::progressed, this, &MergeRunPanel::ShowProgress);
    connect(worker_.get(), &MergeRunWorker::finished, this, &MergeRunPanel::ShowEnd);
    const auto on = [this](QPushButton* button, void (MergeRunPanel::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { Guarded(desktop_, this, [this, handler] { (this->*handler)(); }); });
    };
    on(pause_, &MergeRunPanel::Pause);
    on(resume_, &MergeRunPanel::GoOn);
    on(stop_, &MergeRunPanel::Stop);
    on(arrived_, &MergeRunPanel::Arrived);
    on(again_, &MergeRunPanel::SendAgain);
}

void MergeRunPanel::Start() {
    if (const auto row = Journal().State().maybeSent) return AskDecision(*row);
    Begin(std::nullopt);
}

void MergeRunPanel::Begin(std::optional<bool> arrived) {
    if (worker_->Running()) return;
    decision_->hide();
    report_->hide();
    reportPath_->clear();
    try {
        worker_->Start(arrived);
        status_->setText(QStringLiteral("Odesílá se…"));
    } catch (...) {
        // Nothing started (a server address that does not parse).
        status_->setText(MergeErrorText());
    }
    UpdateButtons();
}

bool MergeRunPanel::Running() const { return worker_->Running(); }

void MergeRunPanel::ShowProgress(const MergeProgress& progress) {
    counts_->setText(QStringLiteral("Odesláno: %1 z %2    Čeká: %3    Selhalo: %4")
                         .arg(progress.delivered)
                         .arg(progress.total)
                         .arg(progress.remaining)
                         .arg(progress.failed));
    estimate_->setText(progress.remaining == 0
                           ? QString()
                           : QStringLiteral("Předpokládaný konec: %1").arg(TimeText(progress.estimatedEnd)));
    if (!progress.waiting) {
        waiting_->setText(worker_->Paused() ? waiting_->text() : QString());
        return;
    }
    const QString reply = FromProgramText(progress.reason);
    if (progress.limit == SendingLimit::None)
        waiting_->setText(
            QStringLiteral("Server zprávu dočasně odmítl; další pokus v %1.\nOdpověď serveru: %2")
                .arg(TimeText(progress.waitUntil), reply));
    else
        waiting_->setText(QStringLiteral("Odesílání čeká: %1 Pokračuje samo v %2.\nOdpověď serveru: %3")
                              .arg(QString::fromUtf8(SendingLimitText(progress.limit).c_str()),
                                   TimeText(progress.waitUntil), reply));
}

void MergeRunPanel::ShowEnd(const MergeRunEnd& end) {
    waiting_->clear();
    estimate_->clear();
    switch (end.outcome) {
    case MergeOutcome::Finished:
        finished_ = true;
        status_->setText(QStringLiteral("Hromadné odeslání je dokončeno."));
        break;
    case MergeOutcome::Stopped:
        status_->setText(
            QStringLiteral("Odesílání je zastaveno. Rozeslání zůstává uloženo; tlačítko "
                           "„Pokračovat“ v něm pokračuje."));
        break;
    case MergeOutcome::ServerStop:
        status_->setText(end.error);
        break;
    case MergeOutcome::MaybeSent:
        status_->clear();
        AskDecision(*end.row);
        break;
    }
    if (end.outcome != MergeOutcome::MaybeSent) ShowReport(end.report, end.reportError);
    UpdateButtons();
    emit ended(end);
}

void MergeRunPanel::AskDecision(std::size_t row) {
    decisionText_->setText(
        QStringLiteral(
            "Zpráva pro %1 možná odešla: spojení skončilo dřív, než server potvrdil její přijetí. "
            "Dorazila? Ověřte to u příjemce nebo ve složce Odeslané; „Odeslat znovu“ ji pošle ještě "
            "jednou.")
            .arg(FromProgramText(Journal().State().rows[row].address)));
    decision_->show();
    UpdateButtons();
}

void MergeRunPanel::Arrived() { Begin(true); }

void MergeRunPanel::SendAgain() { Begin(false); }

void MergeRunPanel::GoOn() {
    if (!worker_->Running()) {
        if (!finished_ && decision_->isHidden()) Begin(std::nullopt);
        return;
    }
    worker_->Resume();
    waiting_->clear();
    UpdateButtons();
}

void MergeRunPanel::Stop() { worker_->Stop(); }

void MergeRunPanel::Pause() {
    worker_->Pause();
    waiting_->setText(
        QStringLiteral("Pozastaveno: rozpracovaná zpráva se dokončí, další počkají na "
                       "„Pokračovat“."));
    UpdateButtons();
}

void MergeRunPanel::ShowReport(const std::filesystem::path& csv, const QString& error) {
    const std::vector<JournalRow>& rows = Journal().State().rows;
    report_->setRowCount(static_cast<int>(rows.size()));
    for (int n = 0; n < static_cast<int>(rows.size()); ++n) {
        const JournalRow& row = rows[static_cast<std::size_t>(n)];
        const QStringList cells{FromProgramText(row.address), QString::fromUtf8(RowStateText(row).c_str()),
                                RowTime(row.time), FromProgramText(row.reply)};
        for (int column = 0; column < cells.size(); ++column)
            report_->setItem(n, column, new QTableWidgetItem(cells[column]));
    }
    report_->resizeColumnsToContents();
    report_->show();
    reportPath_->setText(error.isEmpty() ? QStringLiteral("Zpráva o odeslání je uložena v souboru %1.")
                                               .arg(QString::fromStdString(csv.string()))
                                         : error);
}

void MergeRunPanel::UpdateButtons() {
    const bool running = worker_->Running();
    const bool deciding = !decision_->isHidden();
    pause_->setEnabled(running && !worker_->Paused());
    resume_->setEnabled(running ? worker_->Paused() : !finished_ && !deciding);
    stop_->setEnabled(running);
}

bool MergeRunPanel::ConfirmClose() {
    if (!Running()) return true;
    if (!desktop_.Ask(
            this, kCaption,
            QStringLiteral("Hromadné odeslání právě probíhá. Zastavit je a zavřít? Rozeslání zůstane "
                           "uloženo a při příštím otevření „Hromadné odeslání“ v něm půjde "
                           "pokračovat.")))
        return false;
    StopRun();
    return true;
}

void MergeRunPanel::StopRun() { worker_->StopAndWait(); }

bool ConfirmQuitDuringMergeRuns(TDesktop& desktop, QWidget* parent) {
    const std::vector<MergeRunPanel*> running = [] {
        std::vector<MergeRunPanel*> found;
        for (MergeRunPanel* panel : Panels())
            if (panel->Running()) found.push_back(panel);
        return found;
    }();
    if (running.empty()) return true;
    if (!desktop.Ask(parent, kCaption,
                     QStringLiteral("Hromadné odeslání právě probíhá. Ukončit program? Odesílání se zastaví; "
                                    "rozeslání zůstane uloženo a při příštím otevření „Hromadné odeslání“ "
                                    "v něm půjde pokračovat.")))
        return false;
    for (MergeRunPanel* panel : running) panel->StopRun();
    return true;
}

}  // namespace quillory
