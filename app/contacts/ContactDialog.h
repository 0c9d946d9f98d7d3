#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "contacts/Contact.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace quillory {

// Adds or edits one entry of the address book: the address, titles, names, company, the gender
// (guessed from the names unless chosen) and the greeting, with the greeting {oslovení} gives shown
// as the fields change; and the groups it belongs to, ticked in the list of the book's groups, with
// a new group typed in (taken on "OK" as well as by "Přidat").
class ContactDialog : public QDialog {
    Q_OBJECT
public:
    // `accept` decides on "OK": it stores the entry and returns true, or tells the user why not and
    // returns false (the dialog then stays open). `groups`: the book's groups, offered to tick.
    ContactDialog(const Contact& contact, const std::vector<std::string>& groups,
                  std::function<bool(const Contact&)> accept, QWidget* parent);

    // The entry as the fields hold it.
    Contact Entry() const;

    void accept() override;

private:
    void ShowGreeting();
    void AddGroupClick();
    void AddGroupItem(const QString& name, bool checked);

    Contact original_;  // keeps what the dialog does not show (other vCard properties)
    std::function<bool(const Contact&)> accept_;
    QLineEdit* email_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* firstName_ = nullptr;
    QLineEdit* surname_ = nullptr;
    QLineEdit* titleAfter_ = nullptr;
    QLineEdit* company_ = nullptr;
    QComboBox* gender_ = nullptr;
    QComboBox* greeting_ = nullptr;
    QLineEdit* greetingText_ = nullptr;
    QLabel* greetingShown_ = nullptr;
    QListWidget* groups_ = nullptr;
    QLineEdit* newGroup_ = nullptr;
};

}  // namespace quillory
