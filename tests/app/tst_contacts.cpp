// The address book through the real window: importing, completing the address fields, the
// placeholders of the preview and the subject filled from the recipient's entry (also in the message
// aiosmtpd receives), the question before a message with an empty placeholder goes out, the entries
// delivered messages add, and a damaged book file left alone.

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QDate>
#include <QLabel>
#include <QListWidget>
#include <QTableView>
#include <QTest>
#include <QTextBlock>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "app/contacts/AddressBookModel.h"
#include "app/contacts/AddressBookStore.h"
#include "app/contacts/AddressBookWindow.h"
#include "app/contacts/AddressCompleter.h"
#include "app/contacts/ContactDialog.h"
#include "app/contacts/MainWindowContacts.h"
#include "app/send/MainWindowSend.h"
#include "app/send/SendWorker.h"
#include "contacts/VCard.h"
#include "support/ComposerFixture.h"
#include "support/SendSetup.h"
#include "support/SendWaiting.h"
#include "support/SmtpServerProcess.h"

using namespace quillory;
using namespace quillory::test;

namespace {

QString Local(int port) { return QStringLiteral("127.0.0.1:%1").arg(port); }

// Today as a Czech letter writes it, worked out here on its own.
QString TodayInCzech() {
    const QStringList months = {"ledna",    "února", "března", "dubna", "května",    "června",
                                "července", "srpna", "září",   "října", "listopadu", "prosince"};
    const QDate today = QDate::currentDate();
    return QStringLiteral("%1. %2 %3").arg(today.day()).arg(months[today.month() - 1]).arg(today.year());
}

constexpr const char* kNovakCard =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Novák;Jan;;Ing.;\r\nFN:Ing. Jan Novák\r\n"
    "EMAIL;TYPE=INTERNET:jan.novak@example.cz\r\nEND:VCARD\r\n";

AddressBookWindow& OpenAddressBook(TComposerFixture& f) {
    f.Form().findChild<QAction*>("Adres1")->trigger();
    return f.Form().Contacts().Window();
}

void Import(TComposerFixture& f, const std::string& name, const std::string& bytes) {
    f.WriteFile(name, bytes);
    AddressBookWindow& window = OpenAddressBook(f);
    f.desktop.openAnswers.append(QStringList{QString::fromStdString(f.Path(name).string())});
    QTest::mouseClick(window.findChild<QPushButton*>("addressBookImport"), Qt::LeftButton);
}

// Picks the first offer of the completion list that typing into `edit` dropped down.
void PickFirstOffer(AddressCompleter& completer) {
    QAbstractItemView* popup = completer.Completer()->popup();
    QVERIFY(popup->isVisible());
    QTest::keyClick(popup, Qt::Key_Return);
}

QStringList Offers(AddressCompleter& completer) {
    QStringList offers;
    QAbstractItemModel* model = completer.Completer()->popup()->model();
    for (int row = 0; row < model->rowCount(); ++row) offers << model->index(row, 0).data().toString();
    return offers;
}

// Types `text` as a typing tool does on an X display with a Czech layout: each key goes where the
// window system sends it, to the list of offers while one is open (which hands it on to the field),
// else to the field with the focus. A capital comes between a press and a release of Shift. A
// letter with a diacritic the tool puts on a spare key for one stroke and takes off again, so its
// release arrives without a key and without text.
void TypeAsTheKeyboard(const QString& text) {
    auto* whereSent = static_cast<QWidget*>(nullptr);
    for (const QChar ch : text) {
        const bool capital = ch.isUpper();
        const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
        const Qt::KeyboardModifiers modifiers = capital ? Qt::ShiftModifier : Qt::NoModifier;
        if (capital)
            QTest::sendKeyEvent(QTest::Press, whereSent, Qt::Key_Shift, QString(), Qt::ShiftModifier);
        QTest::sendKeyEvent(QTest::Press, whereSent, key, QString(ch), modifiers);
        if (capital) QTest::sendKeyEvent(QTest::Release, whereSent, Qt::Key_Shift, QString(), Qt::NoModifier);
        if (ch.unicode() < 0x80)
            QTest::sendKeyEvent(QTest::Release, whereSent, key, QString(ch.toLower()), Qt::NoModifier);
        else
            QTest::sendKeyEvent(QTest::Release, whereSent, static_cast<Qt::Key>(0), QString(),
                                Qt::NoModifier);
    }
}

void PressAsTheKeyboard(Qt::Key key) {
    QTest::sendKeyEvent(QTest::Click, static_cast<QWidget*>(nullptr), key, QString(), Qt::NoModifier);
}

void SelectRowOf(AddressBookWindow& window, const QString& email) {
    auto* table = window.findChild<QTableView*>("addressBookTable");
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        if (table->model()->index(row, 3).data().toString() == email) {
            table->selectRow(row);
            return;
        }
    }
    QFAIL(qPrintable("no row for " + email));
}

template <class Widget>
Widget* Field(ContactDialog* dialog, const char* name) {
    auto* widget = dialog->findChild<Widget*>(name);
    if (!widget) qFatal("no field %s", name);
    return widget;
}

}  // namespace

class ContactsTest : public QObject {
    Q_OBJECT

private slots:
    // The whole way: import, complete, greet as the entry says, send, date in the subject.
    void importedContactIsCompletedAndGreetedInThePreviewAndTheDeliveredMessage() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        QVERIFY(server.Port() > 0);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("blok1.txt", "d\xeckujeme za popt\xe1vku.");
        f.Open();
        PrepareSend(f, Local(server.Port()), true);
        Import(f, "novak.vcf", kNovakCard);
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].text,
                 QString("Import kontaktů do adresáře\n\nnovak.vcf:\nnové kontakty: 1"));

        auto* recipient = f.Get<QLineEdit>("sEdit1");
        recipient->clear();
        QTest::keyClicks(recipient, "nov");
        QCOMPARE(Offers(f.Form().Contacts().RecipientCompleter()),
                 QStringList{"Ing. Jan Novák <jan.novak@example.cz>"});
        PickFirstOffer(f.Form().Contacts().RecipientCompleter());
        QCOMPARE(recipient->text(), QString("jan.novak@example.cz"));

        f.Combo(1)->addItem("{oslovení},");
        f.Combo(1)->setCurrentIndex(0);
        f.Tick("sCheckBox9");
        f.Tick("sCheckBox1");
        f.Combo(4)->setEditText("Nabídka ze dne {datum}");
        QCOMPARE(f.PreviewLines().mid(0, 3),
                 (QStringList{"Vážený pane inženýre,", "", "děkujeme za poptávku."}));

        QVERIFY(SendAndWait(f));
        QCOMPARE(f.desktop.questions.size(), 0);  // nothing was left empty
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        auto fields = DecodeMessage(delivery.data);
        QCOMPARE(DecodedValues(fields, "subject"), QStringList{"Nabídka ze dne " + TodayInCzech()});
        QCOMPARE(DecodedValues(fields, "body").mid(0, 2), (QStringList{"Vážený pane inženýre,", ""}));

        // The entry's choice: by the surname.
        AddressBookWindow& window = f.Form().Contacts().Window();
        SelectRowOf(window, "jan.novak@example.cz");
        QTest::mouseClick(window.findChild<QPushButton*>("addressBookEdit"), Qt::LeftButton);
        ContactDialog* dialog = window.OpenDialog();
        QVERIFY(dialog);
        Field<QComboBox>(dialog, "contactGreeting")->setCurrentIndex(2);  // "příjmením"
        QCOMPARE(Field<QLabel>(dialog, "contactGreetingShown")->text(), QString("Vážený pane Nováku"));
        dialog->accept();
        QCOMPARE(f.PreviewLines().first(), QString("Vážený pane Nováku,"));

        QVERIFY(SendAndWait(f));
        QVERIFY(server.NextDelivery(delivery));
        fields = DecodeMessage(delivery.data);
        QCOMPARE(DecodedValues(fields, "body").first(), QString("Vážený pane Nováku,"));
        QCOMPARE(DecodedValues(fields, "subject"), QStringList{"Nabídka ze dne " + TodayInCzech()});
        QCOMPARE(f.desktop.messages.size(), 1);

        // The book keeps the choice in its file, readable by its owner only.
        const VCardReadResult stored = ReadVCards(f.ReadFile("kontakty.vcf"));
        QCOMPARE(stored.contacts.size(), size_t(1));
        QVERIFY(stored.contacts[0].greetingStyle == GreetingStyle::Surname);
        struct stat info {};
        QCOMPARE(::stat(f.Path("kontakty.vcf").c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
    }

    void importSummaryCountsTheSkippedLinesOfADamagedCsv() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        Import(f, "kontakty.csv",
               "First Name,Last Name,Primary Email\n"
               "Jan,Novák,jan.novak@example.cz\n"
               "\"Neuzavřená,Uvozovka,spatne@example.cz\n"
               "Eva,Svobodová,neni adresa\n"
               "Petr,Bez Adresy,\n"
               "Karel,Moc,karel@example.cz,navíc,pole\n"
               "Eva,Svobodová,eva@example.cz\n"
               "Jan,Novák,JAN.NOVAK@example.cz\n");
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].text,
                 QString("Import kontaktů do adresáře\n\nkontakty.csv:\nnové kontakty: 2\n"
                         "kontakty už v adresáři beze změny: 1\npřeskočené vadné řádky: 3\n"
                         "přeskočené řádky bez e-mailové adresy: 1"));
        QCOMPARE(f.Form().Contacts().Store().Book().Size(), size_t(2));

        // The same file again: everything is there already.
        Import(f, "kontakty.csv", f.ReadFile("kontakty.csv"));
        QVERIFY(
            f.desktop.messages[1].text.contains("nové kontakty: 0\nkontakty už v adresáři beze změny: 3"));
        // A file without an address column brings nothing.
        Import(f, "telefony.csv", "Jméno,Telefon\nJan,123\n");
        QCOMPARE(f.desktop.messages[2].text,
                 QString("Import kontaktů do adresáře\n\ntelefony.csv: nic nebylo importováno (první řádek "
                         "nepojmenovává sloupec s e-mailovou adresou)."));
    }

    void copiesCompleteOneByOneAndCompletionChangesNoCheck() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        Import(
            f, "lide.csv",
            "Display Name,E-mail Address\nPetr Dvořák,petr.dvorak@example.cz\nŽofie Černá,zofie@example.cz\n"
            "Jan Novák,jan.novak@example.cz\nEva Nováková,eva@firma.cz\n");
        auto* copies = f.Get<QLineEdit>("sEdit3");
        copies->setText("a@firma.cz;  ;b@firma.cz");
        copies->setCursorPosition(12);  // in the blank piece between the semicolons
        QTest::keyClicks(copies, "cer");
        QCOMPARE(Offers(f.Form().Contacts().CopyCompleter()), QStringList{"Žofie Černá <zofie@example.cz>"});
        PickFirstOffer(f.Form().Contacts().CopyCompleter());
        QCOMPARE(copies->text(), QString("a@firma.cz; zofie@example.cz;b@firma.cz"));

        copies->setCursorPosition(static_cast<int>(copies->text().size()));
        QTest::keyClicks(copies, "; NOVAK");
        QCOMPARE(Offers(f.Form().Contacts().CopyCompleter()),
                 (QStringList{"Jan Novák <jan.novak@example.cz>", "Eva Nováková <eva@firma.cz>"}));
        QTest::keyClick(f.Form().Contacts().CopyCompleter().Completer()->popup(), Qt::Key_Down);
        PickFirstOffer(f.Form().Contacts().CopyCompleter());  // the current offer: the second
        QCOMPARE(copies->text(), QString("a@firma.cz; zofie@example.cz;b@firma.cz; eva@firma.cz"));

        // Typed text that is left uncompleted is refused by the send command as before.
        auto* recipient = f.Get<QLineEdit>("sEdit1");
        QTest::keyClicks(recipient, "dvo");
        QVERIFY(f.Form().Contacts().RecipientCompleter().Completer()->popup()->isVisible());
        QTest::keyClick(f.Form().Contacts().RecipientCompleter().Completer()->popup(), Qt::Key_Escape);
        QCOMPARE(recipient->text(), QString("dvo"));
        f.Form().FormStorage().WriteStoredValue("smtpserver", std::string("127.0.0.1"));
        f.Click("sBitBtn6");
        QCOMPARE(f.desktop.messages.last().text, QString("Emailová adresa příjemce není vyplněna správně"));
        QTest::keyClicks(recipient, "xyz");  // nothing matches: no list
        QVERIFY(!f.Form().Contacts().RecipientCompleter().Completer()->popup()->isVisible());
    }

    // Two entries that share a surname with "ř", and a first name typed with its diacritics: the
    // list stays open at every key with every entry found, and Return takes the highlighted one.
    void theListStaysWhileTypingAndReturnTakesTheHighlightedEntry_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("before");  // the field's text ahead of the typing
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("down");  // Down after the first key: the second entry is highlighted
        QTest::addColumn<QStringList>("offers");
        QTest::addColumn<QString>("taken");
        const QString lenka = "Lenka Dvořáková <lenka.dvorakova@example.cz>";
        const QString ruzena = "Růžena Dvořáková <ruzena.dvorakova@example.cz>";
        for (const char* field : {"sEdit1", "sEdit3"}) {
            const QString before = QString(field) == "sEdit3" ? "a@firma.cz; " : "";
            QTest::addRow("%s: dvor", field)
                << field << before << "dvor" << false << QStringList{lenka, ruzena}
                << before + "lenka.dvorakova@example.cz";
            QTest::addRow("%s: dvor, the second", field)
                << field << before << "dvor" << true << QStringList{lenka, ruzena}
                << before + "ruzena.dvorakova@example.cz";
            QTest::addRow("%s: Růžena", field) << field << before << "Růžena" << false << QStringList{ruzena}
                                               << before + "ruzena.dvorakova@example.cz";
            QTest::addRow("%s: ruz", field) << field << before << "ruz" << false << QStringList{ruzena}
                                            << before + "ruzena.dvorakova@example.cz";
        }
    }
    void theListStaysWhileTypingAndReturnTakesTheHighlightedEntry() {
        QFETCH(QString, field);
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(bool, down);
        QFETCH(QStringList, offers);
        QFETCH(QString, taken);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        Import(f, "lide.csv",
               "Display Name,E-mail Address\nLenka Dvořáková,lenka.dvorakova@example.cz\n"
               "Růžena Dvořáková,ruzena.dvorakova@example.cz\nJan Novák,jan.novak@example.cz\n");
        f.Form().Contacts().Window().close();
        auto* edit = f.Get<QLineEdit>(qPrintable(field));
        AddressCompleter& completer = field == "sEdit1" ? f.Form().Contacts().RecipientCompleter()
                                                        : f.Form().Contacts().CopyCompleter();
        QAbstractItemView* popup = completer.Completer()->popup();
        f.Form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.Form()));
        edit->setFocus();
        edit->setText(before);
        for (qsizetype length = 1; length <= typed.size(); ++length) {
            TypeAsTheKeyboard(typed.mid(length - 1, 1));
            QCOMPARE(edit->text(), before + typed.left(length));
            QVERIFY2(popup->isVisible(), qPrintable(typed.left(length)));
            QCOMPARE(Offers(completer), offers);
            if (down && length == 1) PressAsTheKeyboard(Qt::Key_Down);
        }
        // A key that arrives without a key and without text (a spare key the typing tool took off
        // again before the program read the keyboard's map) changes neither the field nor the list.
        PressAsTheKeyboard(static_cast<Qt::Key>(0));
        QCOMPARE(edit->text(), before + typed);
        QCOMPARE(Offers(completer), offers);
        // Nothing waiting in the event queue closes it either.
        QCoreApplication::processEvents();
        QVERIFY(popup->isVisible());
        // The highlighted entry is one of the rows the list shows.
        QCOMPARE(popup->currentIndex(), popup->model()->index(down ? 1 : 0, 0));
        PressAsTheKeyboard(Qt::Key_Return);
        QCOMPARE(edit->text(), taken);
        QVERIFY(!popup->isVisible());
    }

    void anEmptyPlaceholderIsMarkedAndAskedAboutAndADeliveredRecipientIsLearnt() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("blok1.txt",
                    "Dobr\xfd den {jm\xe9no},\r\nv\xe1\x9e"
                    "en\xfd pane {{p\xf8\xedjmen\xed}.");
        f.Open();
        PrepareSend(f, Local(server.Port()), true);  // prijemce@firma.cz: not in the book
        f.Tick("sCheckBox1");
        QCOMPARE(f.PreviewLines().mid(1, 2), (QStringList{"Dobrý den ,", "vážený pane {příjmení}."}));
        QCOMPARE(f.Form().EmptyPreviewPlaceholders().size(), size_t(1));
        auto* preview = f.Get<QPlainTextEdit>("Memo1");
        const QList<QTextEdit::ExtraSelection> marks = preview->extraSelections();
        QCOMPARE(marks.size(), 1);
        QCOMPARE(marks[0].cursor.block().text(), QString("Dobrý den ,"));
        QCOMPARE(preview->toolTip(), QString("Prázdné zástupné údaje: {jméno}"));

        f.desktop.answers = {false};
        f.Click("sBitBtn6");
        QVERIFY(!f.Form().Send().Worker().Running());
        QCOMPARE(f.desktop.questions.size(), 1);
        QCOMPARE(
            f.desktop.questions[0].text,
            QString("Zástupné údaje {jméno} zůstaly prázdné: příjemce v adresáři není, nebo u něj tyto údaje "
                    "chybějí.\nOdeslat e-mail přesto?"));
        QVERIFY(!std::filesystem::exists(f.Path("kontakty.vcf")));

        f.Combo(4)->setEditText("Pro {firma}!");
        f.desktop.answers = {true};
        QVERIFY(SendAndWait(f));
        QVERIFY(f.desktop.questions[1].text.startsWith("Zástupné údaje {firma}, {jméno} zůstaly prázdné"));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(DecodedValues(DecodeMessage(delivery.data), "subject"), QStringList{"Pro !"});

        // The delivered message taught the book its recipient; naming him fills the preview at once.
        const Contact* learnt = f.Form().Contacts().Store().Book().Find("prijemce@firma.cz");
        QVERIFY(learnt);
        QVERIFY(std::filesystem::exists(f.Path("kontakty.vcf")));
        Contact named = *learnt;
        named.firstName = "Karel";
        named.surname = "Příjemce";
        QVERIFY(f.Form().Contacts().Store().Replace(0, named));
        QCOMPARE(f.PreviewLines().at(1), QString("Dobrý den Karel,"));
        QVERIFY(f.Form().EmptyPreviewPlaceholders().empty());
        QVERIFY(preview->extraSelections().isEmpty());
        QCOMPARE(preview->toolTip(), QString());

        // Another recipient: the preview follows.
        f.Get<QLineEdit>("sEdit1")->setText("neznamy@firma.cz");
        QCOMPARE(f.PreviewLines().at(1), QString("Dobrý den ,"));
    }

    // A company or title that ends with a period takes the place of the period the text puts after
    // it.
    void aValueEndingWithAPeriodIsNotFollowedByASecondOne() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("blok1.txt", "Objedn\xe1vka pro {firma}. Vy\xf8izuje {titul}.");
        f.Open();
        Import(f, "firma.csv",
               "First Name,Last Name,E-mail Address,Company,Title\n"
               "Jan,Novák,jan.novak@example.cz,Firma a.s.,Ph.D.\n");
        f.Get<QLineEdit>("sEdit1")->setText("jan.novak@example.cz");
        f.Tick("sCheckBox1");
        QCOMPARE(f.PreviewLines().at(1), QString("Objednávka pro Firma a.s. Vyřizuje Ph.D."));
    }

    // Without placeholders the preview is what it always was: changing the recipient does not
    // rebuild it, so the user's own edits in it stay.
    void withoutPlaceholdersTheRecipientLeavesThePreviewAlone() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("blok1.txt", "Text {bez} z\xe1vorek {");
        f.Open();
        Import(f, "novak.vcf", kNovakCard);
        f.Tick("sCheckBox1");
        QCOMPARE(f.PreviewLines().at(1), QString("Text {bez} závorek {"));
        auto* preview = f.Get<QPlainTextEdit>("Memo1");
        preview->setPlainText("upraveno rukou");
        f.Get<QLineEdit>("sEdit1")->setText("jan.novak@example.cz");
        QCOMPARE(preview->toPlainText(), QString("upraveno rukou"));
    }

    void theWindowAddsEditsSearchesDeletesAndExports() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        AddressBookWindow& window = OpenAddressBook(f);
        QVERIFY(window.isVisible());
        QTest::mouseClick(window.findChild<QPushButton*>("addressBookAdd"), Qt::LeftButton);
        ContactDialog* dialog = window.OpenDialog();
        QVERIFY(dialog);
        Field<QLineEdit>(dialog, "contactEmail")->setText("neni adresa");
        Field<QLineEdit>(dialog, "contactFirstName")->setText("Jana");
        Field<QLineEdit>(dialog, "contactSurname")->setText("Nováková");
        QCOMPARE(Field<QLabel>(dialog, "contactGreetingShown")->text(), QString("Vážená paní Nováková"));
        QCOMPARE(Field<QComboBox>(dialog, "contactGender")->itemText(0), QString("podle jména (žena)"));
        Field<QLineEdit>(dialog, "contactTitle")->setText("MUDr.");
        QCOMPARE(Field<QLabel>(dialog, "contactGreetingShown")->text(), QString("Vážená paní doktorko"));
        dialog->accept();
        QCOMPARE(f.desktop.messages.last().text, QString("E-mailová adresa není vyplněna správně."));
        QVERIFY(dialog->isVisible());
        Field<QLineEdit>(dialog, "contactEmail")->setText("jana@example.cz");
        dialog->accept();
        QVERIFY(!window.OpenDialog());
        QCOMPARE(f.Form().Contacts().Store().Book().Size(), size_t(1));

        // The same address a second time is refused.
        QTest::mouseClick(window.findChild<QPushButton*>("addressBookAdd"), Qt::LeftButton);
        Field<QLineEdit>(window.OpenDialog(), "contactEmail")->setText("JANA@example.cz");
        window.OpenDialog()->accept();
        QCOMPARE(f.desktop.messages.last().text, QString("Adresa JANA@example.cz už v adresáři je."));
        window.OpenDialog()->reject();

        Import(f, "novak.vcf", kNovakCard);
        auto* table = window.findChild<QTableView*>("addressBookTable");
        QCOMPARE(table->model()->rowCount(), 2);
        window.findChild<QLineEdit*>("addressBookSearch")->setText("NOVAKOVA");
        QCOMPARE(table->model()->rowCount(), 1);
        QCOMPARE(table->model()->index(0, AddressBookModel::Greeting).data().toString(),
                 QString("Vážená paní doktorko"));
        QCOMPARE(window.findChild<QLabel*>("addressBookState")->text(),
                 QString("Kontaktů v adresáři: 2, zobrazeno: 1"));

        const QString exported = QString::fromStdString(f.Path("export").string());
        f.desktop.saveAnswers = {exported};
        QTest::mouseClick(window.findChild<QPushButton*>("addressBookExport"), Qt::LeftButton);
        const VCardReadResult read = ReadVCards(f.ReadFile("export.vcf"));
        QVERIFY(read.contacts == f.Form().Contacts().Store().Book().Contacts());

        table->selectRow(0);
        f.desktop.answers = {false};
        QTest::mouseClick(window.findChild<QPushButton*>("addressBookDelete"), Qt::LeftButton);
        QCOMPARE(f.desktop.questions.last().text, QString("Smazat kontakt jana@example.cz z adresáře?"));
        QCOMPARE(f.Form().Contacts().Store().Book().Size(), size_t(2));
        f.desktop.answers = {true};
        QTest::mouseClick(window.findChild<QPushButton*>("addressBookDelete"), Qt::LeftButton);
        QCOMPARE(f.Form().Contacts().Store().Book().Size(), size_t(1));
        QCOMPARE(ReadVCards(f.ReadFile("kontakty.vcf")).contacts.size(), size_t(1));
    }

    // Groups: read with an import, given to every entry of an import, chosen to filter the table, and
    // edited in the entry's dialog; the book's file keeps them as CATEGORIES.
    void groupsAreImportedFilteredAndEdited() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        // Google's export: its own "* myContacts" is no group.
        Import(f, "google.csv",
               "Name,E-mail 1 - Value,Labels\n"
               "Jan Novák,jan@example.cz,\"* myContacts ::: Výbor ::: Novák, Svoboda a spol.\"\n"
               "Eva Svobodová,eva@example.cz,* myContacts\n");
        AddressBookWindow& window = f.Form().Contacts().Window();
        auto* group = window.findChild<QComboBox*>("addressBookGroup");
        auto* table = window.findChild<QTableView*>("addressBookTable");
        const auto choices = [](QComboBox* box) {
            QStringList items;
            for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
            return items;
        };
        QCOMPARE(choices(group), (QStringList{"všechny", "Novák, Svoboda a spol.", "Výbor"}));

        // An import into a group: every entry of the file joins it, one already in the book too.
        window.findChild<QComboBox*>("addressBookImportGroup")->setEditText("Zákazníci 2026");
        Import(f, "zakaznici.csv", "E-mail,Jméno\neva@example.cz,Eva\npetr@example.cz,Petr\n");
        QVERIFY(f.desktop.messages.last().text.contains("kontakty souboru jsou ve skupině „Zákazníci 2026“"));
        QCOMPARE(choices(group),
                 (QStringList{"všechny", "Novák, Svoboda a spol.", "Výbor", "Zákazníci 2026"}));

        const auto shown = [table] {
            QStringList addresses;
            for (int row = 0; row < table->model()->rowCount(); ++row)
                addresses << table->model()->index(row, AddressBookModel::Email).data().toString();
            addresses.sort();
            return addresses;
        };
        QCOMPARE(shown(), (QStringList{"eva@example.cz", "jan@example.cz", "petr@example.cz"}));
        group->setCurrentIndex(group->findText("Zákazníci 2026"));
        QCOMPARE(shown(), (QStringList{"eva@example.cz", "petr@example.cz"}));
        QCOMPARE(window.findChild<QLabel*>("addressBookState")->text(),
                 QString("Kontaktů v adresáři: 3, zobrazeno: 2"));
        group->setCurrentIndex(group->findText("Výbor"));
        QCOMPARE(shown(), QStringList{"jan@example.cz"});
        QCOMPARE(table->model()->index(0, AddressBookModel::Groups).data().toString(),
                 QString("Výbor, Novák, Svoboda a spol."));

        // Jan leaves the committee and joins the customers and a new group.
        SelectRowOf(window, "jan@example.cz");
        QTest::mouseClick(window.findChild<QPushButton*>("addressBookEdit"), Qt::LeftButton);
        ContactDialog* dialog = window.OpenDialog();
        QVERIFY(dialog);
        auto* groups = Field<QListWidget>(dialog, "contactGroups");
        QStringList offered;
        for (int row = 0; row < groups->count(); ++row)
            offered << groups->item(row)->text() +
                           (groups->item(row)->checkState() == Qt::Checked ? " ✓" : "");
        QCOMPARE(offered, (QStringList{"Výbor ✓", "Novák, Svoboda a spol. ✓", "Zákazníci 2026"}));
        groups->item(0)->setCheckState(Qt::Unchecked);
        groups->item(2)->setCheckState(Qt::Checked);
        Field<QLineEdit>(dialog, "contactNewGroup")->setText("Rada; obce");
        QTest::mouseClick(Field<QPushButton>(dialog, "contactAddGroup"), Qt::LeftButton);
        Field<QLineEdit>(dialog, "contactNewGroup")->setText("  Typed, then OK  ");
        dialog->accept();
        QVERIFY(!window.OpenDialog());

        // The committee has no member left: it stays chosen and shows nothing until another is chosen.
        QCOMPARE(shown(), QStringList{});
        QCOMPARE(choices(group), (QStringList{"všechny", "Novák, Svoboda a spol.", "Rada; obce",
                                              "Typed, then OK", "Zákazníci 2026", "Výbor"}));
        group->setCurrentIndex(group->findText("Zákazníci 2026"));
        QCOMPARE(shown(), (QStringList{"eva@example.cz", "jan@example.cz", "petr@example.cz"}));
        group->setCurrentIndex(0);
        QCOMPARE(choices(group), (QStringList{"všechny", "Novák, Svoboda a spol.", "Rada; obce",
                                              "Typed, then OK", "Zákazníci 2026", "Výbor"}));

        const std::string file = f.ReadFile("kontakty.vcf");
        QString unfolded = QString::fromStdString(file).remove("\r\n ");  // the long line is folded
        QVERIFY(unfolded.contains(
            "CATEGORIES:Novák\\, Svoboda a spol.,Zákazníci 2026,Rada\\; obce,Typed\\, then OK\r\n"));
        const VCardReadResult stored = ReadVCards(file);
        QVERIFY(stored.contacts == f.Form().Contacts().Store().Book().Contacts());
    }

    // Writing the book's file fails (the process may write no byte to any file, which holds for root
    // too): the failure is told with the file's name, and the entries stay in the book for the run.
    void aBookThatCannotBeWrittenIsToldAndTheEntriesStay() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("novak.vcf", kNovakCard);
        f.Open();
        AddressBookWindow& window = OpenAddressBook(f);
        f.desktop.openAnswers.append(QStringList{QString::fromStdString(f.Path("novak.vcf").string())});
        rlimit limit{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit saved = limit;
        limit.rlim_cur = 0;
        ::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        QTest::mouseClick(window.findChild<QPushButton*>("addressBookImport"), Qt::LeftButton);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        QCOMPARE(f.desktop.messages.size(), 2);
        QCOMPARE(f.desktop.messages[0].kind, TDesktop::TMessageKind::Error);
        const QString path = QString::fromStdString(f.Path("kontakty.vcf").string());
        QCOMPARE(f.desktop.messages[0].text,
                 QStringLiteral("Cannot create file \"%1\". File too large.").arg(path));
        QVERIFY(f.desktop.messages[1].text.endsWith("nové kontakty: 1"));
        QVERIFY(f.Form().Contacts().Store().Book().Find("jan.novak@example.cz"));
        QVERIFY(!std::filesystem::exists(f.Path("kontakty.vcf")));
    }

    void aDamagedBookIsReportedAtTheStartAndNeverWrittenOver() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        const std::string damaged =
            std::string(kNovakCard) + "BEGIN:VCARD\r\nFN:Bez konce\r\nEMAIL:x@example.cz\r\n";
        f.WriteFile("kontakty.vcf", damaged);
        f.Open();
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].kind, TDesktop::TMessageKind::Error);
        const QString path = QString::fromStdString(f.Path("kontakty.vcf").string());
        QCOMPARE(
            f.desktop.messages[0].text,
            QStringLiteral("Adresář „%1“ je poškozený (vadné vizitky: 1, první chyba na řádku 7). Načteno "
                           "kontaktů: 1. Soubor zůstane, jak je, a změny adresáře se do něj až do konce běhu "
                           "programu neuloží.")
                .arg(path));
        // The rest works: the card that could be read completes, the window tells, changes stay unsaved.
        QTest::keyClicks(f.Get<QLineEdit>("sEdit1"), "jan");
        PickFirstOffer(f.Form().Contacts().RecipientCompleter());
        QCOMPARE(f.Get<QLineEdit>("sEdit1")->text(), QString("jan.novak@example.cz"));
        Import(f, "lide.csv", "E-mail\nnovy@example.cz\n");
        QCOMPARE(f.Form().Contacts().Store().Book().Size(), size_t(2));
        QVERIFY(f.Form()
                    .Contacts()
                    .Window()
                    .findChild<QLabel*>("addressBookWarning")
                    ->isVisibleTo(&f.Form().Contacts().Window()));
        f.Close();
        QCOMPARE(f.ReadFile("kontakty.vcf"), damaged);
    }
};

QTEST_MAIN(ContactsTest)
#include "tst_contacts.moc"
