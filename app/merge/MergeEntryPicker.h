#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QTableView;

namespace quillory {

class AddressBookModel;
class AddressBookStore;
class PickedEntriesModel;

// Picks the recipients of a mail merge among the book's entries: the entries in a table with the
// search of the "Adresář" window, each with a tick box; the ticks stay while the search changes.
class MergeEntryPicker : public QDialog {
    Q_OBJECT
public:
    // `picked`: the addresses (UTF-8) ticked when the dialog opens.
    MergeEntryPicker(AddressBookStore& book, const std::vector<std::string>& picked, QWidget* parent);

    // The ticked entries' addresses (UTF-8), in the book's order.
    std::vector<std::string> Chosen() const;
    // Ticks or unticks the entry shown in `row` of the table.
    void SetTicked(int row, bool ticked);
    QTableView& Table() const { return *table_; }
    QLineEdit& Search() const { return *search_; }

private:
    void ShowState();

    AddressBookStore& book_;
    AddressBookModel* entries_ = nullptr;
    PickedEntriesModel* picked_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* state_ = nullptr;
};

}  // namespace quillory
