#include "app/merge/MergeEntryPicker.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <unordered_set>

#include "app/contacts/AddressBookModel.h"
#include "app/contacts/AddressBookStore.h"

namespace quillory {

// The book's entries as the search shows them, with a tick box in the first column; the ticks are
// kept by address, so they outlive a change of the search.
class PickedEntriesModel : public QIdentityProxyModel {
public:
    PickedEntriesModel(AddressBookStore& book, AddressBookModel& entries, QObject* parent)
        : QIdentityProxyModel(parent), book_(book), entries_(entries) {
        setSourceModel(&entries);
    }

    std::unordered_set<std::string> ticked;

    std::string KeyAt(int row) const { return AddressKey(book_.Book().At(entries_.EntryAt(row)).email); }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = QIdentityProxyModel::flags(index);
        if (index.column() == 0) flags |= Qt::ItemIsUserCheckable;
        return flags;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::CheckStateRole && index.column() == 0)
            return ticked.contains(KeyAt(index.row())) ? Qt::Checked : Qt::Unchecked;
        return QIdentityProxyModel::data(index, role);
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::CheckStateRole || index.column() != 0)
            return QIdentityProxyModel::setData(index, value, role);
        if (value.value<Qt::CheckState>() == Qt::Checked) ticked.insert(KeyAt(index.row()));
        else ticked.erase(KeyAt(index.row()));
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }

private:
    AddressBookStore& book_;
    AddressBookModel& entries_;
};

MergeEntryPicker::MergeEntryPicker(AddressBookStore& book, const std::vector<std::string>& picked,
                                   QWidget* parent)
    : QDialog(parent), book_(book) {
    setObjectName("MergeEntryPicker");
    setWindowTitle(QStringLiteral("Příjemci z adresáře"));
    resize(640, 420);
    search_ = new QLineEdit(this);
    search_->setObjectName("mergePickerSearch");
    search_->setPlaceholderText(QStringLiteral("Hledat podle jména, příjmení, adresy nebo firmy"));
    search_->setClearButtonEnabled(true);
    entries_ = new AddressBookModel(book_, this);
    picked_ = new PickedEntriesModel(book_, *entries_, this);
    for (const std::string& address : picked) picked_->ticked.insert(AddressKey(address));
    table_ = new QTableView(this);
    table_->setObjectName("mergePickerTable");
    table_->setModel(picked_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setStretchLastSection(true);
    state_ = new QLabel(this);
    state_->setObjectName("mergePickerState");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Vybrat"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Zrušit"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(table_);
    layout->addWidget(state_);
    layout->addWidget(buttons);

    connect(search_, &QLineEdit::textChanged, entries_, &AddressBookModel::SetSearch);
    connect(picked_, &QAbstractItemModel::dataChanged, this, &MergeEntryPicker::ShowState);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ShowState();
}

void MergeEntryPicker::SetTicked(int row, bool ticked) {
    picked_->setData(picked_->index(row, 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

std::vector<std::string> MergeEntryPicker::Chosen() const {
    std::vector<std::string> chosen;
    for (const Contact& contact : book_.Book().Contacts())
        if (picked_->ticked.contains(AddressKey(contact.email))) chosen.push_back(contact.email);
    return chosen;
}

void MergeEntryPicker::ShowState() { state_->setText(QStringLiteral("Vybráno: %1").arg(Chosen().size())); }

}  // namespace quillory
