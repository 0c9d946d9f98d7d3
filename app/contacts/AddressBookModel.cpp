#include "app/contacts/AddressBookModel.h"

#include <QStringList>

#include "app/contacts/AddressBookStore.h"
#include "contacts/ContactGroups.h"
#include "contacts/Salutation.h"

namespace quillory {

AddressBookModel::AddressBookModel(AddressBookStore& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store) {
    connect(&store_, &AddressBookStore::changed, this, &AddressBookModel::Refill);
    Refill();
}

void AddressBookModel::SetSearch(const QString& text) {
    search_ = text;
    Refill();
}

void AddressBookModel::SetGroup(const QString& name) {
    group_ = name.toStdString();
    Refill();
}

void AddressBookModel::Refill() {
    beginResetModel();
    rows_ = store_.Matcher().Search(search_.toStdString());
    if (!group_.empty())
        std::erase_if(rows_, [this](std::size_t entry) { return !InGroup(store_.Book().At(entry), group_); });
    endResetModel();
}

int AddressBookModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int AddressBookModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AddressBookModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    const Contact& contact = store_.Book().At(EntryAt(index.row()));
    switch (index.column()) {
    case Surname:
        return QString::fromStdString(contact.surname);
    case FirstName:
        return QString::fromStdString(contact.firstName);
    case Title: {
        QString titles = QString::fromStdString(contact.title);
        if (!contact.titleAfter.empty())
            titles += (titles.isEmpty() ? "" : ", ") + QString::fromStdString(contact.titleAfter);
        return titles;
    }
    case Email:
        return QString::fromStdString(contact.email);
    case Company:
        return QString::fromStdString(contact.company);
    case Groups: {
        QStringList groups;
        for (const std::string& group : contact.groups) groups << QString::fromStdString(group);
        return groups.join(", ");
    }
    case Greeting:
        return QString::fromStdString(quillory::Greeting(contact));
    default:
        return {};
    }
}

QVariant AddressBookModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case Surname:
        return QStringLiteral("Příjmení");
    case FirstName:
        return QStringLiteral("Jméno");
    case Title:
        return QStringLiteral("Titul");
    case Email:
        return QStringLiteral("E-mail");
    case Company:
        return QStringLiteral("Firma");
    case Groups:
        return QStringLiteral("Skupiny");
    case Greeting:
        return QStringLiteral("Oslovení");
    default:
        return {};
    }
}

}  // namespace quillory
