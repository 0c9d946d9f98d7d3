#pragma once

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <vector>

class QCompleter;
class QLineEdit;
class QStandardItemModel;

namespace quillory {

class AddressBookStore;

// Completes e-mail addresses from the address book in a line edit as the user types: a list drops
// down with the entries whose address, first name or surname starts with the typed text (without
// regard to case and diacritics), and picking one puts its bare address in place of the typed
// text. In a field of several addresses separated by ";" only the address the cursor stands in is
// completed. The field's text is never changed otherwise, so what the address check accepts stays
// as it was.
//
// The completer and its list are made when the user first types in the field.
class AddressCompleter : public QObject {
    Q_OBJECT
public:
    enum class Mode { OneAddress, SemicolonList };

    AddressCompleter(QLineEdit& edit, AddressBookStore& store, Mode mode);

    QCompleter* Completer();

private:
    // The typed part the completion is for: [start, end) of the field's text.
    void Bounds(int& start, int& end) const;
    void Offer();
    void Insert(const QModelIndex& index);

    QLineEdit& edit_;
    AddressBookStore& store_;
    Mode mode_;
    QCompleter* completer_ = nullptr;  // child of this, made at its first use
    QStandardItemModel* model_ = nullptr;
    std::vector<std::size_t> offered_;   // the entries the list shows
    std::uint64_t offeredRevision_ = 0;  // of the book they were found in
};

}  // namespace quillory
