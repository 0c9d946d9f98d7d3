#include "app/merge/MergeWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "app/ErrorHandler.h"
#include "app/merge/MergeFilesBox.h"
#include "app/merge/MergeRecipientsBox.h"
#include "app/merge/MergeTrialSend.h"

namespace quillory {
namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

MergeWindow::MergeWindow(MergeContext context, QWidget* parent) : QDialog(parent), context_(std::move(context)) {
    setObjectName("MergeWindow");
    setWindowTitle(QStringLiteral("Hromadné odeslání"));
    resize(900, 640);
    trial_ = new MergeTrialSend(this);
    pages_ = new QStackedWidget(this);
    pages_->addWidget(CreatePreparePage());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
}

MergeWindow::~MergeWindow() = default;

template <class Action>
void MergeWindow::Handle(Action&& action) {
    Guarded(context_.desktop, this, std::forward<Action>(action));
}

QWidget* MergeWindow::CreatePreparePage() {
    auto* page = new QWidget(this);
    recipients_ = new MergeRecipientsBox(context_.book, context_.desktop, page);
    files_ = new MergeFilesBox(context_.desktop, page);
    unsubscribe_ = new QCheckBox(QStringLiteral("Obchodní sdělení: přidat možnost odhlášení"), page);
    unsubscribe_->setObjectName("mergeUnsubscribe");
    check_ = MakeButton(page, "mergeCheck", QStringLiteral("Zkontrolovat"));
    table_ = new QTableView(page);
    table_->setObjectName("mergeTable");
    state_ = new QLabel(page);
    state_->setObjectName("mergeState");
    state_->setWordWrap(true);
    preview_ = MakeButton(page, "mergePreview", QStringLiteral("Náhled…"));
    trialButton_ = MakeButton(page, "mergeTrial", QStringLiteral("Zkušební odeslání"));
    send_ = MakeButton(page, "mergeSend", QStringLiteral("Odeslat"));
    close_ = MakeButton(page, "mergeClose", QStringLiteral("Zavřít"));

    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(unsubscribe_);
    checkRow->addStretch();
    checkRow->addWidget(check_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(preview_);
    buttons->addStretch();
    buttons->addWidget(trialButton_);
    buttons->addWidget(send_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(recipients_);
    layout->addWidget(files_);
    layout->addLayout(checkRow);
    layout->addWidget(table_, 1);
    layout->addWidget(state_);
    layout->addLayout(buttons);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    return page;
}

}  // namespace quillory
