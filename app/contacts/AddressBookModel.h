#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <string>
#include <vector>

namespace quillory {

class AddressBookStore;

// The entries of the address book as the "Adresář" window lists them: the ones the search text
// finds (without regard to case and diacritics) and, when a group is chosen, that belong to it; one
// row each, by surname, first name and address. Follows every change of the book.
class AddressBookModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Surname, FirstName, Title, Email, Company, Groups, Greeting, ColumnCount };

    explicit AddressBookModel(AddressBookStore& store, QObject* parent = nullptr);

    void SetSearch(const QString& text);
    // Only the entries of the group `name`; every entry for an empty name.
    void SetGroup(const QString& name);
    // The book's index of the entry in `row`.
    std::size_t EntryAt(int row) const { return rows_.at(static_cast<std::size_t>(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void Refill();

    AddressBookStore& store_;
    QString search_;
    std::string group_;
    std::vector<std::size_t> rows_;
};

}  // namespace quillory
