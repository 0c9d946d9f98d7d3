#pragma once

#include <QObject>

#include <filesystem>
#include <vector>

#include "app/contacts/AddressBookStore.h"
#include "contacts/Placeholders.h"

class QLineEdit;
class QWidget;

namespace quillory {

class AddressBookWindow;
class AddressCompleter;
class TDesktop;
class TIdMessage;

// The address book in the main window: the book of the running program, completion in the two
// address fields, the "Adresář" window (made at its first use), the placeholders' values for the
// recipient, the question before a message with empty placeholders goes out, and the entries
// delivered messages add.
class MainWindowContacts : public QObject {
    Q_OBJECT
public:
    // `recipient` is "Odeslat komu", `copies` is "Kopie"; the book is kept in `bookFile`.
    MainWindowContacts(QWidget& window, TDesktop& desktop, const std::filesystem::path& bookFile,
                       QLineEdit& recipient, QLineEdit& copies);

    // Reads the book at the start: a damaged or unreadable file is reported with its path.
    void Load();
    // "Nástroje → Adresář…": shows the "Adresář" window.
    void OpenWindow();

    AddressBookStore& Store() const { return *book_; }
    // The "Adresář" window, made at its first use.
    AddressBookWindow& Window();
    // The completion of "Odeslat komu" and of "Kopie".
    AddressCompleter& RecipientCompleter() const { return *recipientCompleter_; }
    AddressCompleter& CopyCompleter() const { return *copyCompleter_; }

    // The placeholders' values for the address in "Odeslat komu", in the program's text.
    PlaceholderValues RecipientValues() const;
    // `subject` (the program's text) with its placeholders filled for the recipient.
    FilledText FillSubject(const std::string& subject) const;
    // Asks before a message whose subject or preview left a placeholder empty goes out; true: send.
    bool ConfirmEmptyPlaceholders(const std::string& subject,
                                  const std::vector<EmptyPlaceholder>& previewEmpty);
    // Adds the recipients and copies of a delivered `message` that the book does not know.
    void LearnRecipients(const TIdMessage& message);
    // The addresses `message` goes to (UTF-8), as the book takes them.
    static std::vector<AddressBookStore::Recipient> MessageRecipients(const TIdMessage& message);

signals:
    // The recipient or the book changed: the placeholders' values may be others now.
    void recipientChanged();

private:
    QWidget& window_;
    TDesktop& desktop_;
    QLineEdit& recipient_;
    AddressBookStore* book_ = nullptr;                // child of the window
    AddressCompleter* recipientCompleter_ = nullptr;  // child of the recipient field
    AddressCompleter* copyCompleter_ = nullptr;       // child of the copies field
    AddressBookWindow* bookWindow_ = nullptr;         // child of the window, made at its first use
};

}  // namespace quillory
