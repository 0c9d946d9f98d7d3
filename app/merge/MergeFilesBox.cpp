#include "app/merge/MergeFilesBox.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/desktop/Desktop.h"

namespace quillory {

MergeFilesBox::MergeFilesBox(TDesktop& desktop, QWidget* parent)
    : QGroupBox(QStringLiteral("Soubor pro každého příjemce"), parent), desktop_(desktop) {
    setObjectName("mergeFiles");
    none_ = new QRadioButton(QStringLiteral("Žádný"), this);
    none_->setObjectName("mergeFilesNone");
    none_->setChecked(true);
    byFolder_ = new QRadioButton(QStringLiteral("Ze složky podle vzoru názvu:"), this);
    byFolder_->setObjectName("mergeFilesByFolder");
    byColumn_ = new QRadioButton(QStringLiteral("Cesta ve sloupci CSV:"), this);
    byColumn_->setObjectName("mergeFilesByColumn");
    auto* choice = new QButtonGroup(this);
    for (QRadioButton* button : {none_, byFolder_, byColumn_}) choice->addButton(button);
    folder_ = new QLineEdit(this);
    folder_->setObjectName("mergeFilesFolder");
    folder_->setPlaceholderText(QStringLiteral("složka se soubory"));
    chooseFolder_ = new QPushButton(QStringLiteral("Vybrat…"), this);
    chooseFolder_->setObjectName("mergeFilesChooseFolder");
    pattern_ = new QLineEdit(this);
    pattern_->setObjectName("mergeFilesPattern");
    pattern_->setPlaceholderText(QStringLiteral("{firma}.pdf, faktura-{číslo faktury}.pdf"));
    column_ = new QComboBox(this);
    column_->setObjectName("mergeFilesColumn");
    column_->setMinimumContentsLength(16);

    auto* layout = new QGridLayout(this);
    layout->addWidget(none_, 0, 0);
    layout->addWidget(byFolder_, 1, 0);
    layout->addWidget(folder_, 1, 1);
    layout->addWidget(chooseFolder_, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("vzor názvu:"), this), 1, 3);
    layout->addWidget(pattern_, 1, 4);
    layout->addWidget(byColumn_, 2, 0);
    layout->addWidget(column_, 2, 1);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(4, 1);

    connect(choice, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool on) {
        if (!on) return;
        Enable();
        emit changed();
    });
    connect(chooseFolder_, &QPushButton::clicked, this, &MergeFilesBox::ChooseFolder);
    connect(folder_, &QLineEdit::editingFinished, this, [this] {
        if (folder_->isModified()) emit changed();
        folder_->setModified(false);
    });
    connect(pattern_, &QLineEdit::editingFinished, this, [this] {
        if (pattern_->isModified()) emit changed();
        pattern_->setModified(false);
    });
    connect(column_, &QComboBox::activated, this, &MergeFilesBox::changed);
    Enable();
}

void MergeFilesBox::Enable() {
    const bool byFolder = byFolder_->isChecked();
    for (QWidget* widget : std::initializer_list<QWidget*>{folder_, chooseFolder_, pattern_})
        widget->setEnabled(byFolder);
    column_->setEnabled(byColumn_->isChecked());
}

MergeFilesBox::Source MergeFilesBox::Chosen() const {
    if (byFolder_->isChecked()) return Source::Folder;
    if (byColumn_->isChecked()) return Source::Column;
    return Source::None;
}

QString MergeFilesBox::Folder() const { return folder_->text().trimmed(); }
QString MergeFilesBox::Pattern() const { return pattern_->text().trimmed(); }
QString MergeFilesBox::Column() const { return column_->currentText(); }

void MergeFilesBox::SetFolderPattern(const QString& folder, const QString& pattern) {
    folder_->setText(folder);
    pattern_->setText(pattern);
    if (byFolder_->isChecked()) emit changed();
    else byFolder_->setChecked(true);
}

void MergeFilesBox::SetColumnSource(const QString& column) {
    column_->setCurrentText(column);
    if (byColumn_->isChecked()) emit changed();
    else byColumn_->setChecked(true);
}

void MergeFilesBox::SetNone() { none_->setChecked(true); }

void MergeFilesBox::SetColumns(const QStringList& columns) {
    const QString chosen = column_->currentText();
    const QSignalBlocker quiet(column_);
    column_->clear();
    column_->addItems(columns);
    const int kept = columns.indexOf(chosen);
    column_->setCurrentIndex(kept >= 0 ? kept : -1);
}

void MergeFilesBox::ChooseFolder() {
    const QString start = Folder().isEmpty() ? QDir::homePath() : Folder();
    if (const auto folder =
            desktop_.ChooseFolder(this, QStringLiteral("Složka se soubory příjemců"), start)) {
        folder_->setText(*folder);
        emit changed();
    }
}

}  // namespace quillory
