// "Soubor → Hromadné odeslání…" through the real window: the recipients from a group of the
// address book and a CSV file, the file of each recipient by a name pattern, the check table with
// its problems and ticks, the preview of a row's message, "Zkušební odeslání", and the run stage
// the window starts, against a real aiosmtpd and a real Dovecot.

#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <optional>

#include "DovecotServer.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/contacts/AddressBookStore.h"
#include "app/contacts/MainWindowContacts.h"
#include "app/merge/MainWindowMerge.h"
#include "app/merge/MergeCheckModel.h"
#include "app/merge/MergeEntryPicker.h"
#include "app/merge/MergeFilesBox.h"
#include "app/merge/MergeMessagePreview.h"
#include "app/merge/MergePaceBox.h"
#include "app/merge/MergeRecipientsBox.h"
#include "app/merge/MergeRunPanel.h"
#include "app/merge/MergeTrialSend.h"
#include "app/merge/MergeWindow.h"
#include "app/send/MainWindowSend.h"
#include "contacts/Salutation.h"
#include "mail/IdMessage.h"
#include "merge/PlanFile.h"
#include "merge/RunJournal.h"
#include "support/ComposerFixture.h"
#include "support/EventProcess.h"
#include "support/NumberedPlan.h"
#include "support/SendSetup.h"
#include "support/SmtpServerProcess.h"

using namespace quillory;
using namespace quillory::test;

namespace {

QString Local(int port) { return QStringLiteral("127.0.0.1:%1").arg(port); }

const QString kGroup = QStringLiteral("Zákazníci");

// One recipient of the scenario: from the book's group (with their names there) or from the CSV
// file only (with their names in its columns), with the invoice number that names their file and
// the amount the text tells them.
struct Recipient {
    const char* address;
    const char* title;
    const char* firstName;
    const char* surname;
    bool inBook;
    const char* invoice;
    const char* amount;
    const char* greeting;  // as the message must open
};

const Recipient kRecipients[] = {
    {"jan.novak@firma.cz", "Ing.", "Jan", "Novák", true, "2026001", "12 500", "Vážený pane inženýre"},
    {"petra.svobodova@firma.cz", "", "Petra", "Svobodová", true, "2026002", "3 400", "Vážená paní Svobodová"},
    {"petr.dvorak@firma.cz", "", "Petr", "Dvořák", true, "2026003", "780", "Vážený pane Dvořáku"},
    {"eva.cerna@klinika.cz", "MUDr.", "Eva", "Černá", true, "2026004", "15 000", "Vážená paní doktorko"},
    {"tomas.marek@firma.cz", "", "Tomáš", "Marek", true, "2026005", "2 150", "Vážený pane Marku"},
    {"karel.pokorny@dilna.cz", "", "Karel", "Pokorný", false, "2026006", "990", "Vážený pane Pokorný"},
    {"jana.kralova@obchod.cz", "", "Jana", "Králová", false, "2026007", "4 200", "Vážená paní Králová"},
    {"martin.horak@stavby.cz", "", "Martin", "Horák", false, "2026008", "6 750", "Vážený pane Horáku"},
    {"lucie.nemcova@studio.cz", "", "Lucie", "Němcová", false, "2026009", "1 120", "Vážená paní Němcová"},
    {"zdenek.kucera@servis.cz", "", "Zdeněk", "Kučera", false, "2026010", "8 300", "Vážený pane Kučero"},
};
// The recipient whose file is not in the folder.
constexpr int kWithoutFile = 9;

void AddToBook(TComposerFixture& f, const char* address, const char* title, const char* firstName,
               const char* surname, const QString& group) {
    Contact contact;
    contact.email = address;
    contact.title = title;
    contact.firstName = firstName;
    contact.surname = surname;
    if (!group.isEmpty()) contact.groups.push_back(group.toStdString());
    if (!f.Form().Contacts().Store().Add(contact)) qWarning("not added: %s", address);
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qWarning("cannot write %s", qPrintable(path));
    file.write(bytes);
}

// The invoice of a recipient: bytes of its own, so each message's file can be told apart.
QByteArray InvoiceBytes(const Recipient& recipient) {
    return QByteArray("%PDF-1.4\n% faktura ") + recipient.invoice + "\n" + QByteArray(20000, 'x') +
           "\n%%EOF\n";
}

// The window's message: the greeting, the amount and the invoice number from each recipient's
// placeholders.
void ComposeInvoiceMessage(TComposerFixture& f) {
    f.Combo(4)->setEditText(QStringLiteral("Faktura {číslo faktury}"));
    f.Get<QPlainTextEdit>("Memo2")->setPlainText(
        QStringLiteral("{oslovení},\nv příloze posíláme fakturu č. {číslo faktury} na "
                       "částku {částka} Kč."));
    f.Tick("sCheckBox1");
}

void SetSentCopy(TComposerFixture& f, const DovecotServer& dovecot) {
    TSmtpAccount account = ReadSmtpAccount(f.Form().FormStorage());
    account.sentCopy.toServer = true;
    account.sentCopy.server = ToWin1250(Local(dovecot.ImapPort()));
    WriteSmtpAccount(f.Form().FormStorage(), account);
}

// Waits for the check the window makes beside its thread; false when it has not ended in time.
bool Checked(const MergeWindow& window) {
    const QDeadlineTimer deadline(30000);
    while (window.Checking() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return !window.Checking();
}

MergeWindow& OpenMergeWindow(TComposerFixture& f) {
    f.Form().findChild<QAction*>("Hromadneodeslani1")->trigger();
    MergeWindow& window = f.Form().Merge().Window();
    if (!Checked(window)) qWarning("the window's first check did not end");
    return window;
}

QString Cell(const MergeCheckModel& model, int row, int column, int role = Qt::DisplayRole) {
    return model.data(model.index(row, column), role).toString();
}

int RowOf(const MergeCheckModel& model, const QString& address) {
    for (int row = 0; row < model.rowCount(); ++row)
        if (Cell(model, row, MergeCheckModel::Address) == address) return row;
    return -1;
}

void Untick(MergeCheckModel& model, int row) {
    model.setData(model.index(row, MergeCheckModel::Number), Qt::Unchecked, Qt::CheckStateRole);
}

// A delivered message as the aiosmtpd recorded it.
struct Delivered {
    QString recipient;
    QByteArray data;
};

std::optional<Delivered> NextMessage(TEventProcess& server) {
    const QStringList words = server.Next("message ", 20000).split(' ');
    if (words.size() != 7) return std::nullopt;
    return Delivered{words[4], QByteArray::fromHex(words[5].toLatin1())};
}

QString ReadText(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("<unreadable>");
}

}  // namespace

class MergeWindowTest : public QObject {
    Q_OBJECT

private slots:
    // The whole first stage and the run it hands over: a group of five entries and a CSV file, one
    // file per recipient by its invoice number, one of them missing.
    void groupAndCsvWithFilesGoOutOncePerTickedRowOverOneLogin() {
        DovecotServer dovecot(kSmtpUser.toStdString(), kSmtpPassword.toStdString());
        QVERIFY2(dovecot.Started(), dovecot.StartError().c_str());
        TEventProcess smtp("net_aiosmtpd_server.py", {kSmtpUser, kSmtpPassword, "--logins"});
        QVERIFY(smtp.Port() != 0);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(smtp.Port()));
        SetSentCopy(f, dovecot);
        ComposeInvoiceMessage(f);
        for (const Recipient& recipient : kRecipients)
            if (recipient.inBook)
                AddToBook(f, recipient.address, recipient.title, recipient.firstName, recipient.surname,
                          kGroup);
        AddToBook(f, "ondrej.maly@dodavatel.cz", "", "Ondřej", "Malý", QStringLiteral("Dodavatelé"));

        // The CSV gives the new recipients with their names, and every recipient's invoice and
        // amount: a row of a group entry only adds its values to that entry's row.
        QTemporaryDir files;
        QByteArray csv = "email;jméno;příjmení;číslo faktury;částka\r\n";
        for (const Recipient& recipient : kRecipients) {
            csv += QByteArray(recipient.address) + ";" + (recipient.inBook ? "" : recipient.firstName) + ";" +
                   (recipient.inBook ? "" : recipient.surname) + ";" + recipient.invoice + ";" +
                   recipient.amount + "\r\n";
        }
        WriteBytes(files.filePath("prijemci.csv"), csv);
        QDir(files.path()).mkdir("faktury");
        for (int i = 0; i < 10; ++i)
            if (i != kWithoutFile)
                WriteBytes(
                    files.filePath(QStringLiteral("faktury/faktura-%1.pdf").arg(kRecipients[i].invoice)),
                    InvoiceBytes(kRecipients[i]));

        // The window is made by its menu entry, not by the program's start.
        QVERIFY(!f.Form().Merge().WindowMade());
        MergeWindow& window = OpenMergeWindow(f);
        QVERIFY(window.isVisible());
        QVERIFY(window.Recipients().TickGroup(kGroup));
        window.Recipients().SetCsvFile(files.filePath("prijemci.csv"));
        window.Pace().SetLimits({});  // no pace: the nine go at once (the pace has a test of its own)
        window.Files().SetFolderPattern(files.filePath("faktury"),
                                        QStringLiteral("faktura-{číslo faktury}.pdf"));
        // The check goes on beside the window's thread; nothing can be sent until it has ended.
        QVERIFY(window.Checking());
        QVERIFY(!window.SendButton().isEnabled() && !window.TrialButton().isEnabled());
        QVERIFY2(window.State().text().contains(QStringLiteral("Kontroluji příjemce…")),
                 qPrintable(window.State().text()));
        QVERIFY(Checked(window));

        MergeCheckModel& model = window.CheckModel();
        QCOMPARE(model.rowCount(), 10);
        for (int i = 0; i < 10; ++i) {
            const Recipient& recipient = kRecipients[i];
            const int row = RowOf(model, recipient.address);
            QVERIFY2(row == i, recipient.address);
            QCOMPARE(Cell(model, row, MergeCheckModel::Greeting), QString(recipient.greeting));
            QCOMPARE(Cell(model, row, MergeCheckModel::Subject),
                     QStringLiteral("Faktura %1").arg(recipient.invoice));
            QCOMPARE(Cell(model, row, MergeCheckModel::File),
                     QStringLiteral("faktura-%1.pdf").arg(recipient.invoice));
            QCOMPARE(model.Rows()[row].Blocked(), i == kWithoutFile);
        }
        QVERIFY2(Cell(model, kWithoutFile, MergeCheckModel::Problems).startsWith("Soubor chybí"),
                 qPrintable(Cell(model, kWithoutFile, MergeCheckModel::Problems)));
        QVERIFY(!window.SendButton().isEnabled());

        // A row opens its finished message.
        window.OpenPreview(3);
        QVERIFY(window.Preview() && window.Preview()->isVisible());
        const QString preview = window.Preview()->Text();
        QVERIFY2(preview.contains(
                     QRegularExpression("\nKomu: [^\n]*MUDr. Eva Černá[^\n]*<eva.cerna@klinika.cz>\n")),
                 qPrintable(preview));
        QVERIFY2(preview.contains("Předmět: Faktura 2026004"), qPrintable(preview));
        QVERIFY2(preview.contains("Příloha: faktura-2026004.pdf"), qPrintable(preview));
        QVERIFY2(preview.contains(
                     "Vážená paní doktorko,\nv příloze posíláme fakturu č. 2026004 na částku 15 000 Kč."),
                 qPrintable(preview));
        window.Preview()->close();

        // Unticked, the row without its file stays out, and the run may start.
        Untick(model, kWithoutFile);
        QVERIFY(window.SendButton().isEnabled());
        f.desktop.answers << true;
        QTest::mouseClick(&window.SendButton(), Qt::LeftButton);
        QVERIFY2(f.desktop.messages.isEmpty(), qPrintable(f.desktop.messages.value(0).text));

        // The run stage takes the window's place; its journal and plan are on the disk.
        MergeRunPanel* panel = window.RunPanel();
        QVERIFY(panel && panel->isVisible());
        QSignalSpy ended(panel, &MergeRunPanel::ended);
        const std::filesystem::path journal = panel->Journal().Path();
        QCOMPARE(journal.parent_path(), f.Path("Hromadné odeslání"));
        QCOMPARE(LoadPlan(journal), window.Plan());
        QVERIFY(window.Plan().rows[kWithoutFile].skipped);
        QVERIFY(ended.count() > 0 || ended.wait(60000));
        QCOMPARE(ended[0][0].value<MergeRunEnd>().outcome, MergeOutcome::Finished);

        QList<Delivered> delivered;
        for (int i = 0; i < 9; ++i) {
            const std::optional<Delivered> message = NextMessage(smtp);
            if (!message) break;
            delivered << *message;
        }
        QCOMPARE(delivered.size(), 9);
        const QStringList rest = smtp.Pending();
        QCOMPARE(rest.filter(QRegularExpression("^login ")).size(), 1);
        QCOMPARE(rest.filter(QRegularExpression("^message ")).size(), 0);
        for (int i = 0; i < 9; ++i) {
            const Recipient& recipient = kRecipients[i];
            QCOMPARE(delivered[i].recipient, QString(recipient.address));
            const auto fields = ReadMessageWith("app_read_attachments.py", delivered[i].data);
            const QStringList body = DecodedValues(fields, "body");
            const qsizetype greeting = body.indexOf(QString(recipient.greeting) + ",");
            QVERIFY2(greeting >= 0, qPrintable(body.join('|')));
            QCOMPARE(body.value(greeting + 1),
                     QStringLiteral("v příloze posíláme fakturu č. %1 na částku %2 Kč.")
                         .arg(recipient.invoice, recipient.amount));
            const QStringList attachment = DecodedValues(fields, "attachment").value(0).split('\t');
            QCOMPARE(attachment.value(0), QStringLiteral("faktura-%1.pdf").arg(recipient.invoice));
            QCOMPARE(attachment.value(3).toLatin1(),
                     QCryptographicHash::hash(InvoiceBytes(recipient), QCryptographicHash::Sha256).toHex());
        }
        QCOMPARE(dovecot.Messages("Odeslané").size(), std::size_t(9));

        // The report lists every row, in the window and beside the journal: nine sent, the
        // unticked one left out.
        const std::vector<JournalRow>& rows = panel->Journal().State().rows;
        QCOMPARE(rows.size(), std::size_t(10));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(rows[i].state, i == kWithoutFile ? RowState::Skipped : RowState::Delivered);
        auto* shown = panel->findChild<QTableWidget*>("report");
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(shown->rowCount(), 10);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(shown->item(i, 0)->text(), QString(kRecipients[i].address));
            QCOMPARE(shown->item(i, 1)->text(),
                     i == kWithoutFile ? QStringLiteral("vynecháno") : QStringLiteral("odesláno"));
        }
        std::filesystem::path reportFile = journal;
        reportFile.replace_extension(".csv");
        const QStringList lines = ReadText(reportFile).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 11);
        for (int i = 0; i < 10; ++i)
            QVERIFY2(lines[i + 1].startsWith(QString(kRecipients[i].address) + ";"),
                     qPrintable(lines[i + 1]));

        // Back to the first stage for another run, the ticks as they were.
        QVERIFY(window.findChild<QPushButton*>("mergeNewRun")->isEnabled());
        window.NewRun();
        QVERIFY(!window.RunPanel());
        QCOMPARE(model.TickedCount(), std::size_t(9));
    }

    // "Zkušební odeslání": the first three ticked rows' messages go to the sender, marked as a test,
    // over the account's server; nothing of them is kept and no run is made.
    void trialSendsTheFirstThreeTickedMessagesToTheSender() {
        DovecotServer dovecot(kSmtpUser.toStdString(), kSmtpPassword.toStdString());
        QVERIFY2(dovecot.Started(), dovecot.StartError().c_str());
        TEventProcess smtp("net_aiosmtpd_server.py", {kSmtpUser, kSmtpPassword, "--logins"});
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(smtp.Port()));
        SetSentCopy(f, dovecot);
        f.Combo(4)->setEditText(QStringLiteral("Nabídka pro {příjmení}"));
        f.Get<QPlainTextEdit>("Memo2")->setPlainText(
            QStringLiteral("{oslovení},\nposíláme vám novou nabídku."));
        f.Tick("sCheckBox1");
        for (int i = 0; i < 5; ++i)
            AddToBook(f, kRecipients[i].address, kRecipients[i].title, kRecipients[i].firstName,
                      kRecipients[i].surname, kGroup);

        MergeWindow& window = OpenMergeWindow(f);
        QVERIFY(!window.Unsubscribe().isChecked());  // off unless asked for
        window.Unsubscribe().setChecked(true);
        QVERIFY(window.Recipients().TickGroup(kGroup));
        QVERIFY(Checked(window));
        QCOMPARE(window.CheckModel().rowCount(), 5);
        Untick(window.CheckModel(), 0);
        QSignalSpy finished(&window, &MergeWindow::trialFinished);
        QTest::mouseClick(&window.TrialButton(), Qt::LeftButton);
        QVERIFY(finished.wait(30000));

        for (int i = 1; i <= 3; ++i) {
            const std::optional<Delivered> message = NextMessage(smtp);
            QVERIFY(message);
            QCOMPARE(message->recipient, QStringLiteral("obchod@firma.cz"));
            const auto fields = DecodeMessage(message->data);
            QCOMPARE(DecodedValues(fields, "subject").value(0),
                     QStringLiteral("[ZKOUŠKA] Nabídka pro %1").arg(kRecipients[i].surname));
            QCOMPARE(DecodedValues(fields, "to").value(0).section('\t', 1),
                     QStringLiteral("obchod@firma.cz"));
            const QStringList body = DecodedValues(fields, "body");
            QVERIFY2(body.contains(QString(kRecipients[i].greeting) + ","), qPrintable(body.join('|')));
            QVERIFY2(body.filter(QStringLiteral("Další obchodní sdělení si nepřejete? Napište na adresu "
                                                "obchod@firma.cz"))
                             .size() == 1,
                     qPrintable(body.join('|')));
            QVERIFY(message->data.contains("\r\nList-Unsubscribe: <mailto:obchod@firma.cz>\r\n"));
        }
        QVERIFY(smtp.Next("message ", 500).isEmpty());
        QCOMPARE(smtp.Pending().filter(QRegularExpression("^login ")).size(), 1);
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].text,
                 QStringLiteral(
                     "Zkušební zprávy (3) odešly na adresu odesílatele Obchod Plzeň <obchod@firma.cz>."));
        QCOMPARE(dovecot.Messages("Odeslané").size(), std::size_t(0));
        QVERIFY(!std::filesystem::exists(f.Form().Send().SentArchive()));
        QVERIFY(!std::filesystem::exists(f.Path("Hromadné odeslání")));
        QVERIFY(window.TrialButton().isEnabled());
    }

    // Each problem is told in its row; the send waits while a ticked row has one that blocks it,
    // and a row unticked stays unticked when the table is checked again.
    void checkTableHoldsTheSendWhileATickedRowHasAProblem() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, "127.0.0.1:25");
        f.Get<QPlainTextEdit>("Memo2")->setPlainText(QStringLiteral("{oslovení},\nčástka: {částka} Kč."));
        f.Tick("sCheckBox1");
        AddToBook(f, "jan.novak@firma.cz", "Ing.", "Jan", "Novák", kGroup);
        AddToBook(f, "sasa@firma.cz", "", "Saša", "", kGroup);
        AddToBook(f, "petr.dvorak@firma.cz", "", "Petr", "Dvořák", kGroup);
        QTemporaryDir files;
        WriteBytes(files.filePath("castky.csv"),
                   "email;částka\r\njan.novak@firma.cz;100\r\nneplatna-adresa;200\r\n"
                   "eva.nova@firma.cz;\r\njana.mala@firma.cz;300\r\n");

        MergeWindow& window = OpenMergeWindow(f);
        QVERIFY(window.Recipients().TickGroup(kGroup));
        window.Recipients().SetCsvFile(files.filePath("castky.csv"));
        QVERIFY(Checked(window));
        MergeCheckModel& model = window.CheckModel();
        struct Expected {
            const char* address;
            QString problems;
            bool blocked;
        };
        const Expected expected[] = {
            {"jan.novak@firma.cz", QStringLiteral("Adresa se opakovala (2×), sloučeno do jednoho řádku"),
             false},
            {"sasa@firma.cz",
             QStringLiteral(
                 "Prázdný zástupný údaj {částka}; Oslovení zůstalo „Dobrý den“, ačkoli je jméno známé"),
             true},
            // A row of the book has no value of the CSV's column: told, not sent as "{částka}".
            {"petr.dvorak@firma.cz", QStringLiteral("Prázdný zástupný údaj {částka}"), true},
            {"neplatna-adresa", QStringLiteral("Neplatná adresa"), true},
            {"eva.nova@firma.cz", QStringLiteral("Prázdný zástupný údaj {částka}"), true},
            {"jana.mala@firma.cz", QString(), false},
        };
        QCOMPARE(model.rowCount(), 6);
        for (int row = 0; row < 6; ++row) {
            QCOMPARE(Cell(model, row, MergeCheckModel::Address), QString(expected[row].address));
            QCOMPARE(Cell(model, row, MergeCheckModel::Problems), expected[row].problems);
            QCOMPARE(model.Rows()[row].Blocked(), expected[row].blocked);
        }
        QCOMPARE(model.TickedBlocked(), std::size_t(4));
        QVERIFY(!window.SendButton().isEnabled());
        QVERIFY2(window.State().text().contains(QStringLiteral("Zaškrtnuté řádky s problémem: 4.")),
                 qPrintable(window.State().text()));
        // Asked to send anyway, the window tells why it does not, and makes no run.
        window.Send();
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("Zaškrtnuté řádky s problémem: 4.")));
        QVERIFY(f.desktop.questions.isEmpty());
        QVERIFY(!window.RunPanel());
        QVERIFY(!std::filesystem::exists(f.Path("Hromadné odeslání")));

        // The row opens its message as it would read, with its problem above it.
        window.OpenPreview(2);
        QVERIFY2(
            window.Preview()->Text().startsWith(QStringLiteral("Problémy: Prázdný zástupný údaj {částka}\n")),
            qPrintable(window.Preview()->Text()));
        QVERIFY2(window.Preview()->Text().contains(QStringLiteral("\nVážený pane Dvořáku,\nčástka:  Kč.\n")),
                 qPrintable(window.Preview()->Text()));

        for (int row = 1; row <= 4; ++row) Untick(model, row);
        QVERIFY(window.SendButton().isEnabled());
        window.Unsubscribe().setChecked(true);  // the table is checked anew
        QVERIFY(Checked(window));
        QCOMPARE(model.TickedCount(), std::size_t(2));
        QVERIFY(window.SendButton().isEnabled());
        model.setData(model.index(3, MergeCheckModel::Number), Qt::Checked, Qt::CheckStateRole);
        QVERIFY(!window.SendButton().isEnabled());
    }

    // What goes out is what the user said yes to: a check that began while the question was open
    // (an entry joined the group meanwhile) holds the run.
    void aRecipientListChangedWhileAskingHoldsTheRun() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, "127.0.0.1:25");
        f.Get<QPlainTextEdit>("Memo2")->setPlainText(QStringLiteral("{oslovení},\nposíláme novinky."));
        f.Tick("sCheckBox1");
        AddToBook(f, "jan.novak@firma.cz", "Ing.", "Jan", "Novák", kGroup);
        MergeWindow& window = OpenMergeWindow(f);
        QVERIFY(window.Recipients().TickGroup(kGroup));
        QVERIFY(Checked(window));
        QVERIFY(window.SendButton().isEnabled());
        f.desktop.answers << true;
        f.desktop.whileAsking = [&] {
            AddToBook(f, "eva.nova@firma.cz", "", "Eva", "Nová", kGroup);
            Checked(window);
        };
        window.Send();
        QCOMPARE(f.desktop.questions.size(), 1);
        QVERIFY(f.desktop.questions[0].text.contains(QStringLiteral("Zpráv k odeslání: 1.")));
        QVERIFY(!window.RunPanel());
        QVERIFY(!std::filesystem::exists(f.Path("Hromadné odeslání")));
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY2(f.desktop.messages[0].text.contains(QStringLiteral("se mezitím změnil")),
                 qPrintable(f.desktop.messages[0].text));
        QCOMPARE(window.CheckModel().rowCount(), 2);
    }

    // Entries picked in the book, found by the picker's search, are recipients too; a picked
    // entry of a ticked group comes once.
    void entriesPickedInTheBookAreRecipients() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        for (int i = 0; i < 5; ++i)
            AddToBook(f, kRecipients[i].address, kRecipients[i].title, kRecipients[i].firstName,
                      kRecipients[i].surname, i < 2 ? kGroup : QString());
        MergeWindow& window = OpenMergeWindow(f);
        MergeEntryPicker picker(f.Form().Contacts().Store(), {"jan.novak@firma.cz"}, &window);
        picker.Search().setText("dvor");
        QCOMPARE(picker.Table().model()->rowCount(), 1);
        picker.SetTicked(0, true);
        picker.Search().clear();
        QCOMPARE(picker.Chosen(), (std::vector<std::string>{"jan.novak@firma.cz", "petr.dvorak@firma.cz"}));
        window.Recipients().SetPicked(picker.Chosen());
        QVERIFY(window.Recipients().TickGroup(kGroup));
        QVERIFY(Checked(window));
        MergeCheckModel& model = window.CheckModel();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(Cell(model, 0, MergeCheckModel::Address), QStringLiteral("jan.novak@firma.cz"));
        QCOMPARE(Cell(model, 1, MergeCheckModel::Address), QStringLiteral("petra.svobodova@firma.cz"));
        QCOMPARE(Cell(model, 2, MergeCheckModel::Address), QStringLiteral("petr.dvorak@firma.cz"));
        QCOMPARE(Cell(model, 2, MergeCheckModel::Greeting), QStringLiteral("Vážený pane Dvořáku"));

        // An entry edited in the book while the window is open is read anew.
        AddressBookStore& book = f.Form().Contacts().Store();
        Contact titled = *book.Book().Find("petr.dvorak@firma.cz");
        titled.title = "Ing.";
        QVERIFY(book.Replace(*book.Book().IndexOf("petr.dvorak@firma.cz"), titled));
        QVERIFY(Checked(window));
        QCOMPARE(Cell(model, 2, MergeCheckModel::Greeting), QStringLiteral("Vážený pane inženýre"));
    }

    // A CSV column holding each recipient's file: a relative path is taken from the CSV file's
    // folder, an absolute one as it is.
    void filesFromACsvColumnAreFoundBesideTheCsvFile() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QTemporaryDir files;
        QTemporaryDir elsewhere;
        QDir(files.path()).mkdir("doklady");
        WriteBytes(files.filePath("doklady/a.pdf"), "%PDF-1.4\n");
        WriteBytes(elsewhere.filePath("b.pdf"), "%PDF-1.4\n");
        WriteBytes(files.filePath("seznam.csv"),
                   ("email;soubor\r\na@firma.cz;doklady/a.pdf\r\nb@firma.cz;" + elsewhere.filePath("b.pdf") +
                    "\r\nc@firma.cz;doklady/c.pdf\r\n")
                       .toUtf8());
        MergeWindow& window = OpenMergeWindow(f);
        window.Recipients().SetCsvFile(files.filePath("seznam.csv"));
        // Asked for but not given where from, the files keep the send from starting.
        window.Files().SetColumnSource(QString());
        QVERIFY(Checked(window));
        QVERIFY(!window.SendButton().isEnabled());
        QVERIFY2(window.State().text().contains(QStringLiteral("vyberte sloupec souboru CSV")),
                 qPrintable(window.State().text()));
        window.Files().SetColumnSource(QStringLiteral("soubor"));
        QVERIFY(Checked(window));
        QVERIFY(!window.SendButton().isEnabled());  // c.pdf is missing
        MergeCheckModel& model = window.CheckModel();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(Cell(model, 0, MergeCheckModel::File, Qt::ToolTipRole), files.filePath("doklady/a.pdf"));
        QCOMPARE(Cell(model, 1, MergeCheckModel::File, Qt::ToolTipRole), elsewhere.filePath("b.pdf"));
        QCOMPARE(Cell(model, 2, MergeCheckModel::File, Qt::ToolTipRole), files.filePath("doklady/c.pdf"));
        QCOMPARE(Cell(model, 0, MergeCheckModel::File), QStringLiteral("a.pdf"));
        QCOMPARE(model.Rows()[0].Blocked(), false);
        QCOMPARE(model.Rows()[1].Blocked(), false);
        QVERIFY2(Cell(model, 2, MergeCheckModel::Problems).startsWith(QStringLiteral("Soubor chybí")),
                 qPrintable(Cell(model, 2, MergeCheckModel::Problems)));
    }

    // An unfinished run is offered when the window opens; taken up, the run stage sends what is
    // left of it.
    void anUnfinishedRunIsTakenUpWhenTheWindowOpens() {
        TEventProcess smtp("net_aiosmtpd_server.py", {kSmtpUser, kSmtpPassword});
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(smtp.Port()));
        {
            // A run of three rows whose first went before the program ended.
            const auto now =
                std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::system_clock::now());
            RunJournal journal =
                CreateRun(f.Path("Hromadné odeslání"), NumberedPlan(3, "Obchod <obchod@firma.cz>"), now);
            journal.Sending(0, now);
            journal.Delivered(0, now, "250 ok");
        }
        f.desktop.answers << true;
        MergeWindow& window = OpenMergeWindow(f);
        QCOMPARE(f.desktop.questions.size(), 1);
        MergeRunPanel* panel = window.RunPanel();
        QVERIFY(panel);
        QTRY_VERIFY_WITH_TIMEOUT(!panel->Running(), 30000);
        QVERIFY(panel->Journal().State().Finished());
        QStringList recipients;
        for (int i = 0; i < 2; ++i) {
            const std::optional<Delivered> message = NextMessage(smtp);
            QVERIFY(message);
            recipients << message->recipient;
        }
        QCOMPARE(recipients, (QStringList{"row2@example.cz", "row3@example.cz"}));
        QVERIFY(smtp.Next("message ", 500).isEmpty());
    }
};

QTEST_MAIN(MergeWindowTest)
#include "tst_merge.moc"
