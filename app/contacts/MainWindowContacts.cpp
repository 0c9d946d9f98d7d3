#include "app/contacts/MainWindowContacts.h"

#include <QLineEdit>

#include <cstring>

#include "app/AppInfo.h"
#include "app/ErrorHandler.h"
#include "app/Win1250Text.h"
#include "app/contacts/AddressBookWindow.h"
#include "app/contacts/AddressCompleter.h"
#include "app/desktop/Desktop.h"
#include "contacts/CzechDate.h"
#include "core/ProgramText.h"
#include "mail/IdMessage.h"

namespace quillory {
namespace {

// The address of the recipient field, bare or in angle brackets after a name.
std::string RecipientAddress(const QString& field) {
    QString text = field.trimmed();
    const qsizetype open = text.indexOf('<');
    const qsizetype close = text.indexOf('>', open + 1);
    if (open >= 0 && close > open) text = text.mid(open + 1, close - open - 1).trimmed();
    return text.toStdString();
}

QString Path(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// What the start tells about an address book file it could not read whole.
QString LoadProblemText(const AddressBookLoad& load, const std::filesystem::path& path, std::size_t read) {
    const QString keep = QStringLiteral(
        "Soubor zůstane, jak je, a změny adresáře se do něj až do konce běhu "
        "programu neuloží.");
    if (load.state == AddressBookLoad::State::Unreadable) {
        const QString reason = load.notRegular ? QStringLiteral("není to obyčejný soubor")
                               : load.tooLarge ? QStringLiteral("soubor je příliš velký")
                                               : QString::fromLocal8Bit(std::strerror(load.systemError));
        return QStringLiteral("Adresář „%1“ nelze přečíst (%2). %3").arg(Path(path), reason, keep);
    }
    QStringList damage;
    if (load.badCards > 0) damage << QStringLiteral("vadné vizitky: %1").arg(load.badCards);
    if (load.cardsWithoutAddress > 0)
        damage << QStringLiteral("vizitky bez e-mailové adresy: %1").arg(load.cardsWithoutAddress);
    if (load.strayLines > 0) damage << QStringLiteral("řádky mimo vizitky: %1").arg(load.strayLines);
    if (load.notUtf8) damage << QStringLiteral("text není v kódování UTF-8");
    QString where;
    if (load.firstProblemLine > 0)
        where = QStringLiteral(", první chyba na řádku %1").arg(load.firstProblemLine);
    return QStringLiteral("Adresář „%1“ je poškozený (%2%3). Načteno kontaktů: %4. %5")
        .arg(Path(path), damage.join(", "), where)
        .arg(read)
        .arg(keep);
}

}  // namespace

MainWindowContacts::MainWindowContacts(QWidget& window, TDesktop& desktop,
                                       const std::filesystem::path& bookFile, QLineEdit& recipient,
                                       QLineEdit& copies)
    : window_(window), desktop_(desktop), recipient_(recipient) {
    book_ = new AddressBookStore(bookFile, &window);
    recipientCompleter_ = new AddressCompleter(recipient, *book_, AddressCompleter::Mode::OneAddress);
    copyCompleter_ = new AddressCompleter(copies, *book_, AddressCompleter::Mode::SemicolonList);
    // A book that cannot be written is told like a block file that cannot be: by the default error
    // handler, with the file's name and the system's reason.
    connect(book_, &AddressBookStore::writeFailed, this, [this](const std::string& message) {
        desktop_.ShowMessage(&window_, TDesktop::TMessageKind::Error, kApplicationTitle,
                             DefaultErrorText(message));
    });
    connect(&recipient, &QLineEdit::textChanged, this, &MainWindowContacts::recipientChanged);
    connect(book_, &AddressBookStore::changed, this, &MainWindowContacts::recipientChanged);
}

void MainWindowContacts::Load() {
    const AddressBookLoad load = book_->Load();
    if (load.state == AddressBookLoad::State::Unreadable || load.state == AddressBookLoad::State::Damaged)
        desktop_.ShowMessage(nullptr, TDesktop::TMessageKind::Error, kApplicationTitle,
                             LoadProblemText(load, book_->File().Path(), book_->Book().Size()));
}

AddressBookWindow& MainWindowContacts::Window() {
    if (!bookWindow_) {
        bookWindow_ = new AddressBookWindow(*book_, desktop_, &window_);
        bookWindow_->setWindowFlag(Qt::Window);
    }
    return *bookWindow_;
}

void MainWindowContacts::OpenWindow() {
    AddressBookWindow& window = Window();
    window.show();
    window.raise();
    window.activateWindow();
}

PlaceholderValues MainWindowContacts::RecipientValues() const {
    const Contact* contact = book_->Book().Find(RecipientAddress(recipient_.text()));
    return RecipientPlaceholders(contact, CzechDateToday());
}

FilledText MainWindowContacts::FillSubject(const std::string& subject) const {
    return FillProgramText(subject, RecipientValues());
}

bool MainWindowContacts::ConfirmEmptyPlaceholders(const std::string& subject,
                                                  const std::vector<EmptyPlaceholder>& previewEmpty) {
    QStringList names;
    const auto note = [&names](const std::vector<EmptyPlaceholder>& empty) {
        for (const EmptyPlaceholder& placeholder : empty) {
            const QString name = "{" + FromWin1250(placeholder.name) + "}";
            if (!names.contains(name)) names.append(name);
        }
    };
    note(FillSubject(subject).empty);
    note(previewEmpty);
    if (names.isEmpty()) return true;
    return desktop_.Ask(
        &window_, kApplicationTitle,
        QStringLiteral("Zástupné údaje %1 zůstaly prázdné: příjemce v adresáři není, nebo u něj "
                       "tyto údaje chybějí.\nOdeslat e-mail přesto?")
            .arg(names.join(", ")));
}

std::vector<AddressBookStore::Recipient> MainWindowContacts::MessageRecipients(const TIdMessage& message) {
    std::vector<AddressBookStore::Recipient> recipients;
    for (const TIdEMailAddressList* list : {&message.Recipients(), &message.CCList()}) {
        for (std::size_t i = 0; i < list->Count(); ++i)
            recipients.push_back(
                {ProgramTextToUtf8((*list)[i].Name()), ProgramTextToUtf8((*list)[i].Address())});
    }
    return recipients;
}

void MainWindowContacts::LearnRecipients(const TIdMessage& message) {
    book_->Learn(MessageRecipients(message));
}

}  // namespace quillory
