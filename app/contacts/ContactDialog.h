#pragma once

#include <QDialog>

#include <functional>

#include "contacts/Contact.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace quillory {

// Adds or edits one entry of the address book: the address, titles, names, company, the gender
// (guessed from the names unless chosen) and the greeting, with the greeting {oslovení} gives shown
// as the fields change.
class ContactDialog : public QDialog {
    Q_OBJECT
public:
    // `accept` decides on "OK": it stores the entry and returns true, or tells the user why not and
    // returns false (the dialog then stays open).
    ContactDialog(const Contact& contact, std::function<bool(const Contact&)> accept, QWidget* parent);

    // The entry as the fields hold it.
    Contact Entry() const;

    void accept() override;

private:
    void ShowGreeting();

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
};

}  // namespace quillory
