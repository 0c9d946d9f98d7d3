#include "app/contacts/AddressCompleter.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QStandardItemModel>

#include "app/contacts/AddressBookStore.h"
#include "contacts/Salutation.h"

namespace quillory {
namespace {

// More would not fit the list; the user types on to narrow it.
constexpr std::size_t kMostOffered = 20;
constexpr int kAddressRole = Qt::UserRole + 1;

}  // namespace

AddressCompleter::AddressCompleter(QLineEdit& edit, AddressBookStore& store, Mode mode)
    : QObject(&edit), edit_(edit), store_(store), mode_(mode) {
    connect(&edit_, &QLineEdit::textEdited, this, &AddressCompleter::Offer);
}

QCompleter* AddressCompleter::Completer() {
    if (completer_ != nullptr) return completer_;
    model_ = new QStandardItemModel(this);
    completer_ = new QCompleter(model_, this);
    completer_->setObjectName(edit_.objectName() + "Completer");
    completer_->setWidget(&edit_);
    // The book's matcher has chosen the entries; the completer shows them as they are.
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setMaxVisibleItems(10);
    connect(completer_, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            &AddressCompleter::Insert);
    return completer_;
}

void AddressCompleter::Bounds(int& start, int& end) const {
    const QString text = edit_.text();
    start = 0;
    end = static_cast<int>(text.size());
    if (mode_ == Mode::SemicolonList) {
        const int cursor = edit_.cursorPosition();
        start = static_cast<int>(text.lastIndexOf(';', cursor - 1)) + 1;
        const int next = static_cast<int>(text.indexOf(';', cursor));
        if (next >= 0) end = next;
    }
}

void AddressCompleter::Offer() {
    int start = 0;
    int end = 0;
    Bounds(start, end);
    const QString typed = edit_.text().mid(start, end - start).trimmed();
    std::vector<std::size_t> found = typed.isEmpty()
                                         ? std::vector<std::size_t>{}
                                         : store_.Matcher().Complete(typed.toStdString(), kMostOffered);
    if (found.empty()) {
        if (completer_ != nullptr) completer_->popup()->hide();
        offered_.clear();
        return;
    }
    QAbstractItemView* popup = Completer()->popup();
    // The list already shows these entries of this state of the book: it stays as it is, with the
    // entry the user highlighted.
    const std::uint64_t revision = store_.Matcher().Revision();
    if (found == offered_ && revision == offeredRevision_ && popup->isVisible()) return;
    QList<QStandardItem*> items;
    for (const std::size_t index : found) {
        const Contact& contact = store_.Book().At(index);
        const QString address = QString::fromStdString(contact.email);
        const QString name = QString::fromStdString(FullName(contact));
        auto* item =
            new QStandardItem(name.isEmpty() ? address : QStringLiteral("%1 <%2>").arg(name, address));
        item->setData(address, kAddressRole);
        item->setEditable(false);
        items.append(item);
    }
    // One change of the rows, not one per entry.
    model_->clear();
    model_->invisibleRootItem()->appendRows(items);
    offered_ = std::move(found);
    offeredRevision_ = revision;
    completer_->complete();
    // The list shows the completer's own model: its first row is highlighted, not a row of the model
    // behind it.
    popup->setCurrentIndex(popup->model()->index(0, 0));
}

void AddressCompleter::Insert(const QModelIndex& index) {
    const QString address = index.data(kAddressRole).toString();
    if (address.isEmpty()) return;
    int start = 0;
    int end = 0;
    Bounds(start, end);
    QString text = edit_.text();
    // In a list the address keeps the blank that stood before the typed part.
    const QString before =
        mode_ == Mode::SemicolonList && start > 0 && text.mid(start, end - start).startsWith(' ')
            ? QStringLiteral(" ")
            : QString();
    text.replace(start, end - start, before + address);
    edit_.setText(text);
    edit_.setCursorPosition(start + static_cast<int>(before.size() + address.size()));
}

}  // namespace quillory
