#include "app/merge/MergeWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <utility>

#include "app/AppInfo.h"
#include "app/ErrorHandler.h"
#include "app/Win1250Text.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/contacts/AddressBookStore.h"
#include "app/desktop/Desktop.h"
#include "app/merge/MergeCheckJob.h"
#include "app/merge/MergeCheckModel.h"
#include "app/merge/MergeFilesBox.h"
#include "app/merge/MergeMessagePreview.h"
#include "app/merge/MergePaceBox.h"
#include "app/merge/MergeRecipientsBox.h"
#include "app/merge/MergeRunOpen.h"
#include "app/merge/MergeRunPanel.h"
#include "app/merge/MergeRunResume.h"
#include "app/merge/MergeTrialSend.h"
#include "contacts/CzechDate.h"
#include "mail/AddressCheck.h"
#include "mail/IdMessage.h"
#include "merge/ComposeRow.h"
#include "merge/PlanCheck.h"
#include "merge/PlanFile.h"

namespace quillory {
namespace {

// "Zkušební odeslání" sends this many finished messages.
constexpr std::size_t kTrialMessages = 3;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

std::filesystem::path ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

MergeWindow::MergeWindow(MergeContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setObjectName("MergeWindow");
    setWindowTitle(QStringLiteral("Hromadné odeslání"));
    resize(980, 680);
    trial_ = new MergeTrialSend(this);
    pages_ = new QStackedWidget(this);
    pages_->addWidget(CreatePreparePage());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    ConnectSignals();
    ShowState();
}

// A check under way ends before the window: it posts its result here.
MergeWindow::~MergeWindow() {
    if (job_.joinable()) job_.join();
}

template <class Action>
void MergeWindow::Handle(Action&& action) {
    Guarded(context_.desktop, this, std::forward<Action>(action));
}

QWidget* MergeWindow::CreatePreparePage() {
    auto* page = new QWidget(this);
    recipients_ = new MergeRecipientsBox(context_.book, context_.desktop, page);
    files_ = new MergeFilesBox(context_.desktop, page);
    pace_ = new MergePaceBox(context_.storage, context_.folders, page);
    unsubscribe_ = new QCheckBox(QStringLiteral("Obchodní sdělení: připojit možnost odhlášení"), page);
    unsubscribe_->setObjectName("mergeUnsubscribe");
    unsubscribe_->setToolTip(QStringLiteral(
        "Text zprávy zakončí věta s adresou odesílatele pro odhlášení a zpráva ponese hlavičku "
        "List-Unsubscribe (obchodní sdělení podle zákona 480/2004 Sb.)."));
    check_ = MakeButton(page, "mergeCheck", QStringLiteral("Zkontrolovat"));
    model_ = new MergeCheckModel(this);
    table_ = new QTableView(page);
    table_->setObjectName("mergeTable");
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    // Rows of one height and columns of set widths: the view never measures ten thousand rows.
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    QHeaderView* columns = table_->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);
    const std::pair<int, int> widths[] = {{MergeCheckModel::Number, 64},
                                          {MergeCheckModel::Address, 210},
                                          {MergeCheckModel::Greeting, 170},
                                          {MergeCheckModel::Subject, 180},
                                          {MergeCheckModel::File, 170}};
    for (const auto& [column, width] : widths) columns->resizeSection(column, width);
    state_ = new QLabel(page);
    state_->setObjectName("mergeState");
    state_->setWordWrap(true);
    previewButton_ = MakeButton(page, "mergePreview", QStringLiteral("Náhled zprávy…"));
    trialButton_ = MakeButton(page, "mergeTrial", QStringLiteral("Zkušební odeslání"));
    trialButton_->setToolTip(
        QStringLiteral("Pošle první tři hotové zprávy na adresu odesílatele, "
                       "v předmětu označené jako zkouška."));
    send_ = MakeButton(page, "mergeSend", QStringLiteral("Odeslat"));
    close_ = MakeButton(page, "mergeClose", QStringLiteral("Zavřít"));

    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(unsubscribe_);
    checkRow->addStretch();
    checkRow->addWidget(check_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previewButton_);
    buttons->addStretch();
    buttons->addWidget(trialButton_);
    buttons->addWidget(send_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(recipients_);
    layout->addWidget(files_);
    layout->addWidget(pace_);
    layout->addLayout(checkRow);
    layout->addWidget(table_, 1);
    layout->addWidget(state_);
    layout->addLayout(buttons);
    return page;
}

void MergeWindow::ConnectSignals() {
    const auto check = [this] { Handle([this] { CheckLater(); }); };
    connect(recipients_, &MergeRecipientsBox::changed, this, [this, check] {
        QStringList columns;
        for (const std::string& column : recipients_->CsvColumns()) columns << QString::fromStdString(column);
        files_->SetColumns(columns);
        check();
    });
    connect(files_, &MergeFilesBox::changed, this, check);
    connect(unsubscribe_, &QCheckBox::toggled, this, check);
    // "Zkontrolovat" reads the CSV file again too: it may have been changed meanwhile.
    connect(check_, &QPushButton::clicked, this, [this, check] {
        if (recipients_->CsvPath().isEmpty()) check();
        else Handle([this] { recipients_->SetCsvFile(recipients_->CsvPath()); });
    });
    connect(model_, &MergeCheckModel::ticksChanged, this, [this] {
        ShowState();
        emit checked();
    });
    connect(table_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { Handle([this, index] { OpenPreview(index.row()); }); });
    connect(previewButton_, &QPushButton::clicked, this, [this] {
        Handle([this] {
            const QModelIndex current = table_->currentIndex();
            OpenPreview(current.isValid() ? current.row() : 0);
        });
    });
    connect(trialButton_, &QPushButton::clicked, this, [this] { Handle([this] { TrialSend(); }); });
    connect(send_, &QPushButton::clicked, this, [this] { Handle([this] { Send(); }); });
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    connect(trial_, &MergeTrialSend::finished, this, [this](const MergeTrialOutcome& outcome) {
        Handle([this, &outcome] { ShowTrialOutcome(outcome); });
    });
}

void MergeWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The main window's message and account may have changed since the window was last open.
    if (!event->spontaneous())
        Handle([this] {
            pace_->ShowAccount(ReadSmtpAccount(context_.storage));
            CheckLater();
        });
}

MergeCheckInput MergeWindow::CheckInput() const {
    MergeCheckInput input;
    input.message = context_.composition();
    input.options.unsubscribe = unsubscribe_->isChecked();
    input.book = context_.book.Book();
    input.groups = recipients_->Groups();
    input.picked = recipients_->Picked();
    input.csv = recipients_->CsvBytes();
    input.files = ChosenFiles();
    input.date = CzechDateToday();
    return input;
}

RowFiles MergeWindow::ChosenFiles() const {
    switch (files_->Chosen()) {
    case MergeFilesBox::Source::Folder:
        if (files_->Folder().isEmpty() || files_->Pattern().isEmpty()) break;
        return {RowFiles::Kind::Pattern, ToPath(files_->Folder()), files_->Pattern().toStdString(), {}};
    case MergeFilesBox::Source::Column:
        if (files_->Column().isEmpty()) break;
        // A relative path in the column is taken from the CSV file's folder.
        return {RowFiles::Kind::Column,
                ToPath(QFileInfo(recipients_->CsvPath()).absolutePath()),
                {},
                files_->Column().toStdString()};
    case MergeFilesBox::Source::None:
        break;
    }
    return {};
}

QString MergeWindow::FilesChoiceProblem() const {
    // A file for each recipient was asked for, but not where it comes from: nothing may go out
    // without it.
    if (files_->Chosen() == MergeFilesBox::Source::None || ChosenFiles().kind != RowFiles::Kind::None)
        return {};
    return files_->Chosen() == MergeFilesBox::Source::Folder
               ? QStringLiteral("Soubor pro každého příjemce: zadejte složku se soubory a vzor názvu.")
               : QStringLiteral(
                     "Soubor pro každého příjemce: vyberte sloupec souboru CSV s cestou k souboru.");
}

void MergeWindow::Check() {
    // A check under way is out of date now: it ends first, and its result is dropped.
    if (job_.joinable()) job_.join();
    job_ = {};
    jobGeneration_ = 0;
    again_ = false;
    ++generation_;
    ShowCheck(MakeCheckedPlan(CheckInput()));
}

void MergeWindow::CheckLater() {
    if (!isVisible()) return;  // a hidden window checks when it is shown again
    if (job_.joinable()) {
        again_ = true;  // once the check under way ends, with what the window holds then
        ShowState();
        return;
    }
    const unsigned long generation = jobGeneration_ = ++generation_;
    job_ = std::thread([this, generation, input = CheckInput()] {
        // No exception leaves the thread: the window is told of it with the check's end.
        auto result = std::make_shared<MergeCheckResult>();
        std::exception_ptr error;
        try {
            *result = MakeCheckedPlan(input);
        } catch (...) {
            error = std::current_exception();
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, result, error] {
                Handle([&] { CheckEnded(generation, std::move(*result), error); });
            },
            Qt::QueuedConnection);
    });
    ShowState();
}

void MergeWindow::CheckEnded(unsigned long generation, MergeCheckResult result, std::exception_ptr error) {
    // A check that Check() waited for has been dropped already.
    if (generation != jobGeneration_) return;
    job_.join();
    jobGeneration_ = 0;
    if (std::exchange(again_, false)) {
        CheckLater();
        return;
    }
    if (error) {
        // Nothing of an earlier check stays to be sent.
        ShowCheck({});
        std::rethrow_exception(error);
    }
    ShowCheck(std::move(result));
}

void MergeWindow::ShowCheck(MergeCheckResult result) {
    const std::vector<std::string> unticked = model_->UntickedKeys();
    plan_ = std::move(result.plan);
    sharedProblems_ = std::move(result.shared);
    model_->SetRows(std::move(result.rows), unticked);
}

void MergeWindow::ShowState() {
    const std::size_t rows = model_->Rows().size();
    const std::size_t ticked = model_->TickedCount();
    const std::size_t blocked = model_->TickedBlocked();
    QStringList lines;
    if (rows == 0) {
        lines << QStringLiteral("Vyberte příjemce: skupiny nebo kontakty z adresáře, nebo soubor CSV.");
    } else {
        lines << QStringLiteral("Příjemců: %1, k odeslání: %2.").arg(rows).arg(ticked);
        if (blocked > 0)
            lines << QStringLiteral(
                         "Zaškrtnuté řádky s problémem: %1. Opravte je, nebo u nich zrušte "
                         "zaškrtnutí; do té doby nelze odeslat.")
                         .arg(blocked);
    }
    if (!sharedProblems_.empty())
        lines << QStringLiteral("Společné přílohy nelze odeslat: %1.")
                     .arg(MergeCheckModel::ProblemsText(sharedProblems_));
    const QString filesProblem = FilesChoiceProblem();
    if (!filesProblem.isEmpty()) lines << filesProblem;
    if (Checking()) lines << QStringLiteral("Kontroluji příjemce…");
    state_->setText(lines.join('\n'));
    pace_->SetMessages(ticked);
    const bool idle = !trial_->Running();
    const bool ready = sharedProblems_.empty() && filesProblem.isEmpty() && !Checking();
    send_->setEnabled(idle && ticked > 0 && blocked == 0 && ready);
    trialButton_->setEnabled(idle && ticked > blocked && ready);
    previewButton_->setEnabled(rows > 0);
}

std::vector<std::size_t> MergeWindow::TickedRows() const {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < model_->Rows().size(); ++i)
        if (model_->Ticked(i)) rows.push_back(i);
    return rows;
}

void MergeWindow::OpenPreview(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= plan_.rows.size()) return;
    const auto index = static_cast<std::size_t>(row);
    // The row's message alone; a file that cannot go out is left out of it, and the problems are
    // told above the message.
    const CheckRow& check = model_->Rows().at(index);
    MergePlan one{plan_.message, plan_.options, {plan_.rows[index]}};
    std::erase_if(one.message.attachments, [this](const SharedAttachment& file) {
        return std::any_of(sharedProblems_.begin(), sharedProblems_.end(),
                           [&file](const RowProblem& problem) { return problem.detail == file.path; });
    });
    const bool fileFails = std::any_of(check.problems.begin(), check.problems.end(), [](const RowProblem& p) {
        return p.kind == ProblemKind::MissingFile || p.kind == ProblemKind::UnreadableFile;
    });
    if (fileFails) one.rows[0].file.clear();
    if (!preview_) preview_ = new MergeMessagePreview(this);
    std::vector<RowProblem> problems = check.problems;
    problems.insert(problems.end(), sharedProblems_.begin(), sharedProblems_.end());
    preview_->Show(QStringLiteral("Náhled zprávy: %1").arg(QString::fromStdString(check.address)),
                   ComposeRow(one, 0), MergeCheckModel::ProblemsText(problems));
}

std::optional<TSmtpAccount> MergeWindow::Account() {
    TSmtpAccount account = ReadSmtpAccount(context_.storage);
    if (account.server.empty()) {
        context_.desktop.ShowMessage(this, TDesktop::TMessageKind::Information, "Information",
                                     "Není vyplněn server odchozí pošty (SMTP)");
        return std::nullopt;
    }
    return account;
}

void MergeWindow::TrialSend() {
    if (trial_->Running()) return;
    Check();
    if (!trialButton_->isEnabled()) return;
    std::vector<std::size_t> rows;
    for (const std::size_t row : TickedRows())
        if (rows.size() < kTrialMessages && !model_->Rows()[row].Blocked()) rows.push_back(row);
    if (rows.empty()) return;
    std::vector<TIdMessage> messages;
    for (const std::size_t row : rows) messages.push_back(ComposeTrial(plan_, row));
    const std::string sender = messages.front().From().Address();
    if (!CheckEmailAddress(sender)) {
        context_.desktop.ShowMessage(this, TDesktop::TMessageKind::Information, "Information",
                                     QStringLiteral("Adresa odesílatele (Od) není vyplněna správně: na ni "
                                                    "zkušební odeslání zprávy posílá."));
        return;
    }
    const std::optional<TSmtpAccount> account = Account();
    if (!account) return;
    trial_->Start(*account, std::move(messages), context_.tokens(*account));
    ShowState();
    state_->setText(state_->text() + "\n" +
                    QStringLiteral("Zkušební odeslání na adresu %1…").arg(FromProgramText(sender)));
}

void MergeWindow::ShowTrialOutcome(const MergeTrialOutcome& outcome) {
    ShowState();
    const QString sender = FromProgramText(plan_.message.sender);
    if (outcome.problem.isEmpty()) {
        context_.desktop.ShowMessage(this, TDesktop::TMessageKind::Information, kApplicationTitle,
                                     QStringLiteral("Zkušební zprávy (%1) odešly na adresu odesílatele %2.")
                                         .arg(outcome.delivered)
                                         .arg(sender));
    } else {
        context_.desktop.ShowMessage(this, TDesktop::TMessageKind::Plain, kApplicationTitle,
                                     QStringLiteral("Zkušební odeslání: odešlo %1 z %2 zpráv.\nChyba: %3")
                                         .arg(outcome.delivered)
                                         .arg(outcome.total)
                                         .arg(outcome.problem));
    }
    emit trialFinished(outcome);
}

void MergeWindow::Send() {
    if (trial_->Running()) return;
    Check();
    if (!send_->isEnabled()) {
        context_.desktop.ShowMessage(this, TDesktop::TMessageKind::Information, kApplicationTitle,
                                     state_->text());
        return;
    }
    const std::optional<TSmtpAccount> account = Account();
    if (!account) return;
    const unsigned long confirmed = generation_;
    if (!context_.desktop.Ask(
            this, kApplicationTitle,
            QStringLiteral("Zpráv k odeslání: %1. Odeslat je nyní?").arg(model_->TickedCount())))
        return;
    // What goes out is what the user saw when saying yes: a check begun while the question was
    // open (the book or the CSV file changed) holds the run.
    if (generation_ != confirmed) {
        context_.desktop.ShowMessage(this, TDesktop::TMessageKind::Information, kApplicationTitle,
                                     QStringLiteral("Seznam příjemců se mezitím změnil. Zkontrolujte "
                                                    "jej a odešlete znovu."));
        return;
    }
    for (std::size_t i = 0; i < plan_.rows.size(); ++i) plan_.rows[i].skipped = !model_->Ticked(i);
    plan_.limits = pace_->Limits();
    pace_->Remember();
    const auto now = std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::system_clock::now());
    RunJournal journal = CreateRun(MergeRunFolder(context_.folders.Data()), plan_, now);
    StartRun({std::move(journal), PlanCompose(plan_), *plan_.limits}, *account);
}

void MergeWindow::OfferUnfinishedRun() {
    if (runPanel_) return;
    const std::optional<std::filesystem::path> journal =
        quillory::OfferUnfinishedRun(this, context_.desktop, MergeRunFolder(context_.folders.Data()));
    if (!journal) return;
    const std::optional<TSmtpAccount> account = Account();
    if (!account) return;
    StartRun(OpenMergeRun(*journal, context_.folders, *account), *account);
}

void MergeWindow::StartRun(OpenedMergeRun run, const TSmtpAccount& account) {
    runPage_ = new QWidget(this);
    runPanel_ =
        new MergeRunPanel(context_.desktop, std::move(run),
                          MergeRunAccount{account, context_.tokens(account), context_.sentArchive}, runPage_);
    newRun_ = MakeButton(runPage_, "mergeNewRun", QStringLiteral("Nové hromadné odeslání"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(newRun_);
    auto* layout = new QVBoxLayout(runPage_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(runPanel_, 1);
    layout->addLayout(buttons);
    pages_->addWidget(runPage_);
    pages_->setCurrentWidget(runPage_);
    const auto enableNewRun = [this] { newRun_->setEnabled(!runPanel_->Running()); };
    connect(runPanel_, &MergeRunPanel::ended, this, enableNewRun);
    connect(newRun_, &QPushButton::clicked, this, [this] { Handle([this] { NewRun(); }); });
    runPanel_->Start();
    enableNewRun();
}

void MergeWindow::NewRun() {
    if (!runPanel_ || runPanel_->Running()) return;
    pages_->setCurrentIndex(0);
    pages_->removeWidget(runPage_);
    runPage_->deleteLater();
    runPage_ = nullptr;
    runPanel_ = nullptr;
    newRun_ = nullptr;
    Check();
}

void MergeWindow::closeEvent(QCloseEvent* event) {
    bool close = true;
    Handle([this, &close] { close = !runPanel_ || runPanel_->ConfirmClose(); });
    if (close) QDialog::closeEvent(event);
    else event->ignore();
}

}  // namespace quillory
