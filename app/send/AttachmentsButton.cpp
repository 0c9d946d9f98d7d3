#include "app/send/AttachmentsButton.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/send/AttachedFiles.h"

namespace quillory {

namespace {

QString CountText(int count) {
    if (count == 1) return QStringLiteral("1 soubor");
    if (count >= 2 && count <= 4) return QStringLiteral("%1 soubory").arg(count);
    return QStringLiteral("%1 souborů").arg(count);
}

}  // namespace

TAttachmentsPopup::TAttachmentsPopup(TAttachedFiles& files, QWidget* parent)
    : QFrame(parent, Qt::Popup), files_(files) {
    setObjectName("AttachmentsPopup");
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setObjectName("AttachmentList");
    list_->setAccessibleName("Přílohy");
    list_->setColumnCount(2);
    list_->setHeaderLabels({"Soubor", "Velikost"});
    list_->setRootIsDecorated(false);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    layout->addWidget(list_);
    total_ = new QLabel(this);
    total_->setObjectName("AttachmentTotal");
    layout->addWidget(total_);
    auto* buttons = new QHBoxLayout;
    auto makeButton = [this, buttons](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        buttons->addWidget(button);
        return button;
    };
    connect(makeButton("AttachmentAdd", "Přidat…"), &QPushButton::clicked, this, [this] {
        hide();
        emit addRequested();
    });
    connect(makeButton("AttachmentRemove", "Odebrat"), &QPushButton::clicked, this,
            &TAttachmentsPopup::RemoveCurrent);
    connect(makeButton("AttachmentRemoveAll", "Odebrat vše"), &QPushButton::clicked, &files_,
            &TAttachedFiles::Clear);
    layout->addLayout(buttons);
    resize(420, 220);
    // Laid out now, so its widgets have their places before it first drops down.
    layout->activate();
    connect(&files_, &TAttachedFiles::changed, this, &TAttachmentsPopup::Refresh);
    Refresh();
}

void TAttachmentsPopup::Refresh() {
    const int current = list_->currentIndex().row();
    list_->clear();
    for (const TAttachedFile& file : files_.Files()) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, file.Name());
        row->setToolTip(0, file.path);
        row->setText(1, file.missing ? QStringLiteral("chybí") : FormatSize(file.size));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (file.missing) {
            for (int column = 0; column < 2; ++column) row->setForeground(column, QColor(160, 0, 0));
            row->setToolTip(0, QStringLiteral("Soubor chybí a nebude odeslán: %1").arg(file.path));
        }
    }
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(std::clamp(current, 0, list_->topLevelItemCount() - 1)));
    total_->setText(QStringLiteral("Celkem: %1").arg(FormatSize(files_.TotalSize())));
}

void TAttachmentsPopup::RemoveCurrent() { files_.Remove(list_->currentIndex().row()); }

void TAttachmentsPopup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) RemoveCurrent();
    else QFrame::keyPressEvent(event);
}

TAttachmentsButton::TAttachmentsButton(TAttachedFiles& files, QWidget* parent)
    : QPushButton(parent), files_(files) {
    setObjectName("sAttachments");
    setToolTip("Přiložené soubory");
    setAccessibleName("Přílohy");
    connect(this, &QPushButton::clicked, this, &TAttachmentsButton::ShowPopup);
    connect(&files_, &TAttachedFiles::changed, this, &TAttachmentsButton::Refresh);
    Refresh();
}

TAttachmentsPopup& TAttachmentsButton::Popup() {
    if (popup_ == nullptr) {
        popup_ = new TAttachmentsPopup(files_, this);
        connect(popup_, &TAttachmentsPopup::addRequested, this, &TAttachmentsButton::addRequested);
    }
    return *popup_;
}

void TAttachmentsButton::ShowPopup() {
    TAttachmentsPopup& popup = Popup();
    // Drops up from the button, which stands in the window's bottom row.
    const QPoint corner = mapToGlobal(QPoint(0, 0));
    popup.move(corner.x(), corner.y() - popup.height());
    popup.show();
}

void TAttachmentsButton::Refresh() {
    const int count = static_cast<int>(files_.Files().size());
    // The list follows the files from the first one on: it refreshes itself on their changes.
    if (count > 0) Popup();
    if (count == 0) {
        setText("Přílohy: žádné");
        return;
    }
    int missing = 0;
    for (const TAttachedFile& file : files_.Files()) missing += file.missing ? 1 : 0;
    QString text = QStringLiteral("Přílohy: %1, %2").arg(CountText(count), FormatSize(files_.TotalSize()));
    if (missing > 0) text += QStringLiteral(" (%1 chybí)").arg(missing);
    setText(text);
}

}  // namespace quillory
