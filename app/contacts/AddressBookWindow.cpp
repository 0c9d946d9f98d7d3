#include "app/contacts/AddressBookWindow.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include "app/ErrorHandler.h"
#include "app/contacts/AddressBookModel.h"
#include "app/contacts/AddressBookStore.h"
#include "app/contacts/ContactDialog.h"
#include "app/contacts/ContactsImport.h"
#include "app/desktop/Desktop.h"
#include "contacts/ContactGroups.h"
#include "contacts/VCard.h"

namespace quillory {
namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

AddressBookWindow::AddressBookWindow(AddressBookStore& store, TDesktop& desktop, QWidget* parent)
    : QDialog(parent), store_(store), desktop_(desktop) {
    setObjectName("AddressBookWindow");
    setWindowTitle(QStringLiteral("Adresář"));
    resize(760, 460);
    search_ = new QLineEdit(this);
    search_->setObjectName("addressBookSearch");
    search_->setPlaceholderText(QStringLiteral("Hledat podle jména, příjmení, adresy nebo firmy"));
    search_->setClearButtonEnabled(true);
    group_ = new QComboBox(this);
    group_->setObjectName("addressBookGroup");
    group_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    importGroup_ = new QComboBox(this);
    importGroup_->setObjectName("addressBookImportGroup");
    importGroup_->setEditable(true);
    importGroup_->setInsertPolicy(QComboBox::NoInsert);
    importGroup_->lineEdit()->setPlaceholderText(QStringLiteral("žádné"));
    importGroup_->setToolTip(QStringLiteral("Skupina, do které import zařadí všechny importované kontakty"));
    importGroup_->setMinimumContentsLength(14);
    model_ = new AddressBookModel(store_, this);
    table_ = new QTableView(this);
    table_->setObjectName("addressBookTable");
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    warning_ = new QLabel(this);
    warning_->setObjectName("addressBookWarning");
    warning_->setWordWrap(true);
    warning_->setStyleSheet("color: #a00000");
    state_ = new QLabel(this);
    state_->setObjectName("addressBookState");
    add_ = MakeButton(this, "addressBookAdd", QStringLiteral("Přidat…"));
    edit_ = MakeButton(this, "addressBookEdit", QStringLiteral("Upravit…"));
    delete_ = MakeButton(this, "addressBookDelete", QStringLiteral("Smazat"));
    import_ = MakeButton(this, "addressBookImport", QStringLiteral("Importovat…"));
    export_ = MakeButton(this, "addressBookExport", QStringLiteral("Exportovat…"));
    close_ = MakeButton(this, "addressBookClose", QStringLiteral("Zavřít"));

    auto* filter = new QHBoxLayout;
    filter->addWidget(search_, 1);
    filter->addWidget(new QLabel(QStringLiteral("Skupina:"), this));
    filter->addWidget(group_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {add_, edit_, delete_}) buttons->addWidget(button);
    buttons->addSpacing(12);
    buttons->addWidget(import_);
    buttons->addWidget(new QLabel(QStringLiteral("do skupiny:"), this));
    buttons->addWidget(importGroup_);
    buttons->addWidget(export_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(warning_);
    layout->addWidget(table_);
    layout->addWidget(state_);
    layout->addLayout(buttons);

    connect(search_, &QLineEdit::textChanged, model_, &AddressBookModel::SetSearch);
    connect(group_, &QComboBox::currentIndexChanged, this,
            [this](int index) { model_->SetGroup(index > 0 ? group_->itemText(index) : QString()); });
    connect(&store_, &AddressBookStore::changed, this, &AddressBookWindow::ShowGroups);
    connect(table_, &QTableView::doubleClicked, this, [this] { Handle([this] { EditClick(); }); });
    connect(add_, &QPushButton::clicked, this, [this] { Handle([this] { AddClick(); }); });
    connect(edit_, &QPushButton::clicked, this, [this] { Handle([this] { EditClick(); }); });
    connect(delete_, &QPushButton::clicked, this, [this] { Handle([this] { DeleteClick(); }); });
    connect(import_, &QPushButton::clicked, this, [this] { Handle([this] { ImportClick(); }); });
    connect(export_, &QPushButton::clicked, this, [this] { Handle([this] { ExportClick(); }); });
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    connect(model_, &QAbstractItemModel::modelReset, this, &AddressBookWindow::ShowState);
    ShowGroups();
    ShowState();
}

void AddressBookWindow::ShowGroups() {
    QStringList groups;
    for (const std::string& group : BookGroups(store_.Book())) groups << QString::fromStdString(group);
    const QString chosen = group_->currentIndex() > 0 ? group_->currentText() : QString();
    {
        const QSignalBlocker blocker(group_);
        group_->clear();
        group_->addItem(QStringLiteral("všechny"));
        group_->addItems(groups);
        // A group no entry belongs to any more stays chosen, showing nothing, until the user changes it.
        if (!chosen.isEmpty() && !groups.contains(chosen)) group_->addItem(chosen);
        group_->setCurrentIndex(chosen.isEmpty() ? 0 : group_->findText(chosen, Qt::MatchExactly));
    }
    const QString typed = importGroup_->currentText();
    importGroup_->clear();
    importGroup_->addItems(groups);
    importGroup_->setEditText(typed);
}

template <class Action>
void AddressBookWindow::Handle(Action&& action) {
    Guarded(desktop_, this, std::forward<Action>(action));
}

void AddressBookWindow::ShowState() {
    state_->setText(QStringLiteral("Kontaktů v adresáři: %1, zobrazeno: %2")
                        .arg(store_.Book().Size())
                        .arg(model_->rowCount()));
    const bool writable = store_.File().Writable();
    warning_->setVisible(!writable);
    if (!writable)
        warning_->setText(
            QStringLiteral("Soubor adresáře „%1“ se při spuštění nepodařilo přečíst celý. Zůstává, "
                           "jak je, a změny adresáře se do něj neukládají.")
                .arg(QString::fromStdString(store_.File().Path().string())));
}

long AddressBookWindow::SelectedEntry() const {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    return static_cast<long>(model_->EntryAt(rows.first().row()));
}

void AddressBookWindow::OpenContactDialog(const Contact& contact, long index) {
    if (dialog_) dialog_->close();
    dialog_ = new ContactDialog(
        contact, BookGroups(store_.Book()),
        [this, index](const Contact& entry) {
            if (!IsUsableAddress(entry.email)) {
                desktop_.ShowMessage(dialog_, TDesktop::TMessageKind::Information, QStringLiteral("Adresář"),
                                     QStringLiteral("E-mailová adresa není vyplněna správně."));
                return false;
            }
            const bool stored =
                index < 0 ? store_.Add(entry) : store_.Replace(static_cast<std::size_t>(index), entry);
            if (!stored)
                desktop_.ShowMessage(
                    dialog_, TDesktop::TMessageKind::Information, QStringLiteral("Adresář"),
                    QStringLiteral("Adresa %1 už v adresáři je.").arg(QString::fromStdString(entry.email)));
            return stored;
        },
        this);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog_, &QDialog::finished, this, [this, dialog = dialog_] {
        if (dialog_ == dialog) dialog_ = nullptr;
    });
    dialog_->open();
}

void AddressBookWindow::AddClick() { OpenContactDialog(Contact{}, -1); }

void AddressBookWindow::EditClick() {
    const long index = SelectedEntry();
    if (index >= 0) OpenContactDialog(store_.Book().At(static_cast<std::size_t>(index)), index);
}

void AddressBookWindow::DeleteClick() {
    const long index = SelectedEntry();
    if (index < 0) return;
    const Contact& contact = store_.Book().At(static_cast<std::size_t>(index));
    if (!desktop_.Ask(
            this, QStringLiteral("Adresář"),
            QStringLiteral("Smazat kontakt %1 z adresáře?").arg(QString::fromStdString(contact.email))))
        return;
    store_.Remove(static_cast<std::size_t>(index));
}

void AddressBookWindow::ImportClick() {
    const QStringList paths =
        desktop_.ChooseFilesToOpen(this, QStringLiteral("Importovat kontakty (vCard .vcf, CSV .csv)"));
    if (paths.isEmpty()) return;
    std::vector<ImportFileResult> results;
    const QString group = importGroup_->currentText().trimmed();
    for (const QString& path : paths) results.push_back(ImportContactsFile(store_, path, group));
    desktop_.ShowMessage(this, TDesktop::TMessageKind::Information, QStringLiteral("Adresář"),
                         ImportSummary(results));
}

void AddressBookWindow::ExportClick() {
    TSaveDialogSettings settings;
    settings.defaultExtension = "vcf";
    settings.fileName = "kontakty.vcf";
    settings.filterDescription = QStringLiteral("Vizitky vCard");
    settings.filterPattern = "*.vcf";
    settings.confirmOverwrite = true;
    std::optional<QString> chosen = desktop_.ChooseSaveFile(this, settings);
    if (!chosen || chosen->isEmpty()) return;
    if (QFileInfo(*chosen).suffix().isEmpty()) *chosen += ".vcf";
    QSaveFile file(*chosen);
    const std::string text = WriteVCards(store_.Book().Contacts());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.commit()) {
        desktop_.ShowMessage(
            this, TDesktop::TMessageKind::Information, QStringLiteral("Adresář"),
            QStringLiteral("Adresář nelze uložit do „%1“: %2").arg(*chosen, file.errorString()));
    }
}

}  // namespace quillory
