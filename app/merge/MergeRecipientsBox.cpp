#include "app/merge/MergeRecipientsBox.h"

#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/ErrorTexts.h"
#include "app/contacts/AddressBookStore.h"
#include "app/desktop/Desktop.h"
#include "app/merge/MergeEntryPicker.h"
#include "contacts/AddressBookFile.h"
#include "contacts/ContactGroups.h"
#include "merge/RecipientTable.h"
#include "storage/RegularFile.h"

namespace quillory {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

// What the window says of a CSV file it read: its rows and the columns that became placeholders.
QString CsvSummary(const RecipientTable& table) {
    if (table.columns.empty()) return QStringLiteral("Soubor nemá řádek s názvy sloupců.");
    QStringList names;
    for (const std::string& column : table.columns) names << "{" + FromUtf8(column) + "}";
    QString text = QStringLiteral("Řádků: %1. Sloupce: %2.").arg(table.rows.size()).arg(names.join(", "));
    if (!table.addressColumn) text += QStringLiteral(" Žádný sloupec nenese e-mailovou adresu.");
    if (table.badLines > 0)
        text += QStringLiteral(" Vadné řádky vynechány: %1 (první na řádku %2).")
                    .arg(table.badLines)
                    .arg(table.firstBadLine);
    return text;
}

}  // namespace

MergeRecipientsBox::MergeRecipientsBox(AddressBookStore& book, TDesktop& desktop, QWidget* parent)
    : QGroupBox(QStringLiteral("Příjemci"), parent), book_(book), desktop_(desktop) {
    setObjectName("mergeRecipients");
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Skupiny z adresáře:"), this), 0, 0, Qt::AlignTop);
    groups_ = new QListWidget(this);
    groups_->setObjectName("mergeGroups");
    groups_->setMaximumHeight(110);
    layout->addWidget(groups_, 0, 1, 1, 3);

    layout->addWidget(new QLabel(QStringLiteral("Kontakty z adresáře:"), this), 1, 0);
    pickedLabel_ = new QLabel(this);
    pickedLabel_->setObjectName("mergePickedState");
    layout->addWidget(pickedLabel_, 1, 1);
    pick_ = new QPushButton(QStringLiteral("Vybrat z adresáře…"), this);
    pick_->setObjectName("mergePick");
    layout->addWidget(pick_, 1, 2);
    unpick_ = new QPushButton(QStringLiteral("Zrušit výběr"), this);
    unpick_->setObjectName("mergeUnpick");
    layout->addWidget(unpick_, 1, 3);

    layout->addWidget(new QLabel(QStringLiteral("Soubor CSV:"), this), 2, 0);
    csvPath_ = new QLineEdit(this);
    csvPath_->setObjectName("mergeCsvPath");
    csvPath_->setPlaceholderText(
        QStringLiteral("první řádek pojmenuje sloupce: {částka}, {číslo faktury} …"));
    layout->addWidget(csvPath_, 2, 1, 1, 2);
    chooseCsv_ = new QPushButton(QStringLiteral("Vybrat…"), this);
    chooseCsv_->setObjectName("mergeChooseCsv");
    layout->addWidget(chooseCsv_, 2, 3);
    csvState_ = new QLabel(this);
    csvState_->setObjectName("mergeCsvState");
    csvState_->setWordWrap(true);
    layout->addWidget(csvState_, 3, 1, 1, 3);
    layout->setColumnStretch(1, 1);

    ShowGroups();
    ShowPicked();
    // A change of the book may change the rows' names, greetings and groups.
    connect(&book_, &AddressBookStore::changed, this, [this] {
        ShowGroups();
        emit changed();
    });
    connect(groups_, &QListWidget::itemChanged, this, &MergeRecipientsBox::changed);
    connect(pick_, &QPushButton::clicked, this, &MergeRecipientsBox::PickEntries);
    connect(unpick_, &QPushButton::clicked, this, [this] { SetPicked({}); });
    connect(chooseCsv_, &QPushButton::clicked, this, &MergeRecipientsBox::ChooseCsvFile);
    connect(csvPath_, &QLineEdit::editingFinished, this, [this] {
        if (csvPath_->isModified()) SetCsvFile(csvPath_->text());
    });
}

void MergeRecipientsBox::ShowGroups() {
    QStringList ticked;
    for (int i = 0; i < groups_->count(); ++i)
        if (groups_->item(i)->checkState() == Qt::Checked) ticked << groups_->item(i)->text();
    const QSignalBlocker quiet(groups_);
    groups_->clear();
    for (const std::string& group : BookGroups(book_.Book())) {
        auto* item = new QListWidgetItem(FromUtf8(group), groups_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(ticked.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<std::string> MergeRecipientsBox::Groups() const {
    std::vector<std::string> ticked;
    for (int i = 0; i < groups_->count(); ++i)
        if (groups_->item(i)->checkState() == Qt::Checked)
            ticked.push_back(groups_->item(i)->text().toStdString());
    return ticked;
}

bool MergeRecipientsBox::TickGroup(const QString& name) {
    const QList<QListWidgetItem*> found = groups_->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) return false;
    found.first()->setCheckState(Qt::Checked);
    return true;
}

void MergeRecipientsBox::ShowPicked() {
    pickedLabel_->setText(picked_.empty() ? QStringLiteral("žádné")
                                          : QStringLiteral("vybráno: %1").arg(picked_.size()));
    unpick_->setEnabled(!picked_.empty());
}

void MergeRecipientsBox::SetPicked(std::vector<std::string> addresses) {
    picked_ = std::move(addresses);
    ShowPicked();
    emit changed();
}

void MergeRecipientsBox::PickEntries() {
    MergeEntryPicker picker(book_, picked_, this);
    if (picker.exec() == QDialog::Accepted) SetPicked(picker.Chosen());
}

void MergeRecipientsBox::ChooseCsvFile() {
    const QStringList chosen = desktop_.ChooseFilesToOpen(this, QStringLiteral("Soubor CSV s příjemci"));
    if (!chosen.isEmpty()) SetCsvFile(chosen.first());
}

QString MergeRecipientsBox::CsvPath() const { return csvPath_->text().trimmed(); }

void MergeRecipientsBox::SetCsvFile(const QString& path) {
    csvPath_->setText(path);
    csvPath_->setModified(false);
    csvBytes_.reset();
    csvColumns_.clear();
    csvState_->clear();
    if (!path.trimmed().isEmpty()) {
        std::string bytes;
        const TReadResult read =
            ReadRegularFile(QFile::encodeName(path.trimmed()).toStdString(), kMaxAddressBookBytes, bytes);
        if (read) {
            const RecipientTable table = ReadRecipientTable(bytes);
            csvState_->setText(CsvSummary(table));
            csvColumns_ = table.columns;
            csvBytes_ = std::make_shared<const std::string>(std::move(bytes));
        } else {
            csvState_->setText(QStringLiteral("Soubor nelze přečíst (%1).").arg(ReadFailureText(read)));
        }
    }
    emit changed();
}

}  // namespace quillory
