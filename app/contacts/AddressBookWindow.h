#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace quillory {

class AddressBookModel;
class AddressBookStore;
class ContactDialog;
class TDesktop;
struct Contact;

// The "Adresář" window: the entries in a table with a search field and a choice of group; adding,
// editing and deleting entries; importing .vcf and .csv files, into a group if one is given, with a
// summary of what came in and what was skipped; and exporting the book as a .vcf file. It stays open
// beside the main window.
class AddressBookWindow : public QDialog {
    Q_OBJECT
public:
    AddressBookWindow(AddressBookStore& store, TDesktop& desktop, QWidget* parent);

    // The entry dialog open now, if any.
    ContactDialog* OpenDialog() const { return dialog_; }

    void AddClick();
    void EditClick();
    void DeleteClick();
    void ImportClick();
    void ExportClick();

private:
    template <class Action>
    void Handle(Action&& action);
    void ShowState();
    // Fills the choices of groups anew from the book, keeping what was chosen.
    void ShowGroups();
    // The book's index of the selected row, or -1.
    long SelectedEntry() const;
    void OpenContactDialog(const Contact& contact, long index);

    AddressBookStore& store_;
    TDesktop& desktop_;
    AddressBookModel* model_ = nullptr;
    QLineEdit* search_ = nullptr;
    QComboBox* group_ = nullptr;
    QComboBox* importGroup_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* warning_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* close_ = nullptr;
    ContactDialog* dialog_ = nullptr;
};

}  // namespace quillory
