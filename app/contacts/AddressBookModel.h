#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace quillory {

class AddressBookStore;

// The entries of the address book as the "Adresář" window lists them: the ones the search text
// finds (without regard to case and diacritics), one row each. Follows every change of the book.
class AddressBookModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Surname, FirstName, Title, Email, Company, Greeting, ColumnCount };

    explicit AddressBookModel(AddressBookStore& store, QObject* parent = nullptr);

    void SetSearch(const QString& text);
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
    std::vector<std::size_t> rows_;
};

}  // namespace quillory
