// The address book in the main window: the "Adresář" window, completion in the address fields, the
// placeholders of the preview and of the subject, and the entries delivered messages add.

#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <cstring>

#include "app/ErrorHandler.h"
#include "app/MainWindow.h"
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

void TForm1::CreateAddressBook() {
    addressBook_ = new AddressBookStore(folders_.Data() / kAddressBookFileName, this);
    recipientCompleter_ = new AddressCompleter(*sEdit1, *addressBook_, AddressCompleter::Mode::OneAddress);
    copyCompleter_ = new AddressCompleter(*sEdit3, *addressBook_, AddressCompleter::Mode::SemicolonList);
    // A book that cannot be written is told like a block file that cannot be: by the default error
    // handler, with the file's name and the system's reason.
    connect(addressBook_, &AddressBookStore::writeFailed, this, [this](const std::string& message) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Error, kApplicationTitle,
                             DefaultErrorText(message));
    });
}

void TForm1::LoadAddressBook() {
    const AddressBookLoad load = addressBook_->Load();
    if (load.state == AddressBookLoad::State::Unreadable || load.state == AddressBookLoad::State::Damaged)
        desktop_.ShowMessage(nullptr, TDesktop::TMessageKind::Error, kApplicationTitle,
                             LoadProblemText(load, addressBook_->File().Path(), addressBook_->Book().Size()));
}

AddressBookWindow& TForm1::ContactsWindow() {
    if (!contactsWindow_) {
        contactsWindow_ = new AddressBookWindow(*addressBook_, desktop_, this);
        contactsWindow_->setWindowFlag(Qt::Window);
    }
    return *contactsWindow_;
}

void TForm1::Adres1Click() {
    AddressBookWindow& window = ContactsWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

PlaceholderValues TForm1::RecipientPlaceholderValues() const {
    const Contact* contact = addressBook_->Book().Find(RecipientAddress(sEdit1->text()));
    return RecipientPlaceholders(contact, CzechDateToday());
}

void TForm1::FillPreviewPlaceholders(std::string& text) {
    previewEmpty_.clear();
    previewEmptyPositions_.clear();
    previewHasPlaceholders_ = false;
    // The common case: nothing to fill, the text stays exactly as assembled.
    if (text.find('{') == std::string::npos) return;
    previewValues_ = RecipientPlaceholderValues();
    FilledText filled = FillProgramText(text, previewValues_);
    previewHasPlaceholders_ = filled.anyPlaceholder;
    previewEmpty_ = std::move(filled.empty);
    text = std::move(filled.text);
    // The preview shows every CR LF as one line end and holds UTF-16 units: a place in it counts
    // the characters before the byte's offset, a CR LF pair as one, one beyond the basic plane as two.
    const bool utf8 = IsUtf8Form(text);
    std::size_t at = utf8 ? kUtf8Mark.size() : 0;
    int position = 0;
    for (const EmptyPlaceholder& empty : previewEmpty_) {
        while (at < empty.offset) {
            const auto byte = static_cast<unsigned char>(text[at]);
            if (byte == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
            if (!utf8 || (byte & 0xC0) != 0x80) ++position;
            if (utf8 && byte >= 0xF0) ++position;
            ++at;
        }
        previewEmptyPositions_.push_back(position);
    }
}

void TForm1::MarkEmptyPlaceholders() {
    if (previewEmptyPositions_.empty() && !previewMarked_) return;
    QList<QTextEdit::ExtraSelection> marks;
    QStringList names;
    for (std::size_t i = 0; i < previewEmptyPositions_.size(); ++i) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(Memo1->document());
        mark.cursor.setPosition(std::min(previewEmptyPositions_[i], Memo1->document()->characterCount() - 1));
        mark.format.setBackground(QColor(255, 214, 214));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.append(mark);
        const QString name = "{" + FromWin1250(previewEmpty_[i].name) + "}";
        if (!names.contains(name)) names.append(name);
    }
    Memo1->setExtraSelections(marks);
    Memo1->setToolTip(names.isEmpty() ? QString()
                                      : QStringLiteral("Prázdné zástupné údaje: %1").arg(names.join(", ")));
    previewMarked_ = !marks.isEmpty();
}

void TForm1::RecipientChanged() {
    if (previewHasPlaceholders_ && RecipientPlaceholderValues() != previewValues_) GenerateEmail();
}

FilledText TForm1::FilledSubject() const {
    return FillProgramText(ToProgramText(lists_[3].combo->currentText()), RecipientPlaceholderValues());
}

bool TForm1::ConfirmEmptyPlaceholders() {
    QStringList names;
    const auto note = [&names](const std::vector<EmptyPlaceholder>& empty) {
        for (const EmptyPlaceholder& placeholder : empty) {
            const QString name = "{" + FromWin1250(placeholder.name) + "}";
            if (!names.contains(name)) names.append(name);
        }
    };
    note(FilledSubject().empty);
    note(previewEmpty_);
    if (names.isEmpty()) return true;
    return desktop_.Ask(
        this, kApplicationTitle,
        QStringLiteral("Zástupné údaje %1 zůstaly prázdné: příjemce v adresáři není, nebo u něj "
                       "tyto údaje chybějí.\nOdeslat e-mail přesto?")
            .arg(names.join(", ")));
}

std::vector<AddressBookStore::Recipient> TForm1::MessageRecipients() const {
    std::vector<AddressBookStore::Recipient> recipients;
    for (const TIdEMailAddressList* list : {&IdMessage1->Recipients(), &IdMessage1->CCList()}) {
        for (std::size_t i = 0; i < list->Count(); ++i)
            recipients.push_back(
                {ProgramTextToUtf8((*list)[i].Name()), ProgramTextToUtf8((*list)[i].Address())});
    }
    return recipients;
}

void TForm1::LearnRecipients(const std::vector<AddressBookStore::Recipient>& recipients) {
    addressBook_->Learn(recipients);
}

}  // namespace quillory
