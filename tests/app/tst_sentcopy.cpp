// The copy of every delivered message through the real window: the local archive of .eml files,
// the copy in the mailbox's Sent folder (a real Dovecot), and the warnings that never turn a
// delivered message into a failed one.

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

#include "DovecotServer.h"
#include "app/account/MainWindowAccount.h"
#include "app/account/SentCopySection.h"
#include "app/account/SmtpSettingsDialog.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/send/MainWindowAttach.h"
#include "app/send/MainWindowSend.h"
#include "app/send/SendProgress.h"
#include "delivery/SentCopy.h"
#include "support/ComposerFixture.h"
#include "support/SendSetup.h"
#include "support/SendWaiting.h"
#include "support/SmtpServerProcess.h"

using namespace quillory;
using namespace quillory::test;

namespace {

QString Local(int port) { return QStringLiteral("127.0.0.1:%1").arg(port); }

// The archive's files, oldest name first.
QStringList Archived(TComposerFixture& f) {
    return QDir(QString::fromStdString(f.Form().Send().SentArchive().string()))
        .entryList(QDir::Files, QDir::Name);
}

QByteArray ReadArchived(TComposerFixture& f, const QString& name) {
    QFile file(QDir(QString::fromStdString(f.Form().Send().SentArchive().string())).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QByteArray HeaderValue(const QByteArray& message, const QByteArray& name) {
    const QRegularExpression line(
        "(?:^|\\r\\n)" + QRegularExpression::escape(QString::fromLatin1(name)) + ": ([^\\r\\n]*)",
        QRegularExpression::CaseInsensitiveOption);
    const auto match = line.match(QString::fromLatin1(message));
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

void SetSentCopy(TComposerFixture& f, const TSentCopySettings& copy) {
    TSmtpAccount account = ReadSmtpAccount(f.Form().FormStorage());
    account.sentCopy = copy;
    WriteSmtpAccount(f.Form().FormStorage(), account);
}

// The copy goes to the Dovecot of the test, with the SMTP login unless `login` is given.
TSentCopySettings ToDovecot(const DovecotServer& dovecot, const QString& login = {},
                            const QString& password = {}) {
    TSentCopySettings copy;
    copy.toServer = true;
    copy.server = ToWin1250(Local(dovecot.ImapPort()));
    copy.ownLogin = !login.isEmpty();
    copy.login = ToWin1250(login);
    copy.password = ToWin1250(password);
    return copy;
}

// A window ready to send a message with a Czech subject and an attachment.
void PrepareCzechMessageWithAttachment(TComposerFixture& f, const QTemporaryDir& files, int smtpPort) {
    PrepareSend(f, Local(smtpPort));
    f.Combo(4)->setEditText("Potvrzení objednávky č. 12");
    f.TypeInto(f.Block(0), "Dobrý den, potvrzujeme objednávku.");
    f.Tick("sCheckBox1");
    QFile attachment(files.filePath("ceník 2027.txt"));
    if (attachment.open(QIODevice::WriteOnly)) attachment.write(QByteArray(300000, 'x') + "\r\n.\r\nkonec");
    attachment.close();
    f.Form().Attachments().Attach({attachment.fileName()});
}

// An IMAP server that takes the login and names its Sent folder, then never answers APPEND with
// its continuation: the copy's upload waits until it is cancelled.
class StallingImapServer {
public:
    StallingImapServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* client = server_.nextPendingConnection();
            client->write("* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] ready\r\n");
            QObject::connect(client, &QTcpSocket::readyRead, client, [this, client] {
                while (client->canReadLine()) Answer(*client, client->readLine().trimmed());
            });
        });
    }
    int Port() const { return server_.serverPort(); }
    bool appendSeen = false;

private:
    void Answer(QTcpSocket& client, const QByteArray& line) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() < 2) return;
        const QByteArray tag = words[0];
        const QByteArray command = words[1].toUpper();
        if (command == "APPEND") {
            appendSeen = true;
            return;
        }
        if (command == "CAPABILITY") client.write("* CAPABILITY IMAP4rev1 AUTH=PLAIN\r\n");
        if (command == "LIST") client.write("* LIST (\\Sent) \"/\" Sent\r\n");
        client.write(tag + " OK done\r\n");
    }

    QTcpServer server_;
};

}  // namespace

class SentCopyTest : public QObject {
    Q_OBJECT

private slots:
    void deliveredMessageIsArchivedByteForByte() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()));
        f.Combo(4)->setEditText("Nabídka: ceník/2027");
        QTemporaryDir files;
        QFile attachment(files.filePath("ceník.txt"));
        QVERIFY(attachment.open(QIODevice::WriteOnly));
        attachment.write(".tečka na začátku řádku\r\n.\r\n");
        attachment.close();
        f.Form().Attachments().Attach({attachment.fileName()});

        QVERIFY(SendAndWait(f, 60000));
        QVERIFY2(f.desktop.messages.isEmpty(), qPrintable(f.desktop.messages.value(0).text));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));

        const QStringList archived = Archived(f);
        QCOMPARE(archived.size(), 1);
        QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d Nabídka_ ceník_2027\\.eml$")
                     .match(archived[0])
                     .hasMatch(),
                 qPrintable(archived[0]));
        QCOMPARE(ReadArchived(f, archived[0]), delivery.data);
        QVERIFY(!HeaderValue(delivery.data, "Message-ID").isEmpty());
        struct stat status {};
        const QString path =
            QDir(QString::fromStdString(f.Form().Send().SentArchive().string())).filePath(archived[0]);
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);

        // A second message with the same subject in the same second gets a name of its own.
        QVERIFY(SendAndWait(f, 60000));
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(Archived(f).size(), 2);
        QVERIFY(HeaderValue(ReadArchived(f, Archived(f)[0]), "Message-ID") !=
                HeaderValue(ReadArchived(f, Archived(f)[1]), "Message-ID"));
    }

    void archiveThatCannotBeWrittenWarnsAndTheMessageIsStillDelivered() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()));
        // A file where the archive's folder belongs: nothing can be written there.
        f.WriteFile("Odeslané", "not a folder");

        QVERIFY(SendAndWait(f));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].kind, TDesktop::TMessageKind::Warning);
        QVERIFY2(f.desktop.messages[0].text.startsWith(
                     "Zpráva byla odeslána, ale její kopii se nepodařilo uložit."),
                 qPrintable(f.desktop.messages[0].text));
        QVERIFY2(f.desktop.messages[0].text.contains("Odeslané"), qPrintable(f.desktop.messages[0].text));
        QCOMPARE(QString::fromStdString(f.ReadFile("Odeslané")), QString("not a folder"));
    }

    void archiveTurnedOffKeepsNothing() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()));
        TSentCopySettings off;
        off.localArchive = false;
        SetSentCopy(f, off);

        QVERIFY(SendAndWait(f));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(f.desktop.messages.size(), 0);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(f.Form().Send().SentArchive().string())));
    }

    void failedSendArchivesNothing() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, "127.0.0.1:1");
        QVERIFY(SendAndWait(f));
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY(f.desktop.messages[0].text.startsWith("Chyba: "));
        QCOMPARE(Archived(f), QStringList());
    }

    void menuOpensTheArchiveFolder() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.Form().findChild<QAction*>("OdeslanaPosta1")->trigger();
        QCOMPARE(f.desktop.openedUrls.size(), 1);
        const QString folder = QString::fromStdString(f.Form().Send().SentArchive().string());
        QCOMPARE(f.desktop.openedUrls[0], QUrl::fromLocalFile(folder).toString());
        QVERIFY(QFileInfo(folder).isDir());
    }

    void providerThatFilesItsOwnCopyUnticksTheBoxAndSaysWhy() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        TForm2& dialog = f.Form().Account().Form2();
        dialog.show();
        SentCopySection& section = *dialog.sentCopy;
        section.toServer->setChecked(true);
        dialog.sEdit1->clear();
        QTest::keyClicks(dialog.sEdit1, "smtp.gmail.com:465");
        QVERIFY(!section.toServer->isChecked());
        QVERIFY(section.note->isVisible());
        QVERIFY(section.note->text().contains("sám"));
        dialog.sEdit1->clear();
        QTest::keyClicks(dialog.sEdit1, "smtp.seznam.cz:465");
        QVERIFY(!section.note->isVisible());
        dialog.hide();
    }

    void copyInTheSentFolderIsTheDeliveredMessage() {
        DovecotServer dovecot(kSmtpUser.toStdString(), kSmtpPassword.toStdString());
        QVERIFY2(dovecot.Started(), dovecot.StartError().c_str());
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QTemporaryDir files;
        PrepareCzechMessageWithAttachment(f, files, server.Port());
        SetSentCopy(f, ToDovecot(dovecot));

        QVERIFY(SendAndWait(f, 60000));
        QCOMPARE(f.desktop.messages.size(), 0);
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QVERIFY(!server.NextDelivery(delivery, 200));  // delivered once

        const auto stored = dovecot.Messages("Odeslané");
        QCOMPARE(stored.size(), std::size_t(1));
        QCOMPARE(QByteArray::fromStdString(stored[0].bytes), delivery.data);
        QVERIFY2(stored[0].flags.find('S') != std::string::npos, stored[0].flags.c_str());
        const QByteArray id = HeaderValue(delivery.data, "Message-ID");
        QVERIFY(!id.isEmpty());
        QCOMPARE(HeaderValue(QByteArray::fromStdString(stored[0].bytes), "Message-ID"), id);
        QCOMPARE(dovecot.Messages("INBOX").size(), std::size_t(0));
        // The archive holds the same bytes, and the folder found is kept for the next sends.
        QCOMPARE(Archived(f).size(), 1);
        QCOMPARE(ReadArchived(f, Archived(f)[0]), delivery.data);
        QCOMPARE(ReadSmtpAccount(f.Form().FormStorage()).sentCopy.folder, std::string("Odeslan&AOk-"));
    }

    void wrongImapPasswordWarnsOnceAndTheArchiveStillHasTheMessage() {
        DovecotServer dovecot("schranka", "spravne heslo");
        QVERIFY2(dovecot.Started(), dovecot.StartError().c_str());
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QTemporaryDir files;
        PrepareCzechMessageWithAttachment(f, files, server.Port());
        SetSentCopy(f, ToDovecot(dovecot, "schranka", "spatne heslo"));

        QVERIFY(SendAndWait(f, 60000));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QVERIFY(!server.NextDelivery(delivery, 200));
        QCOMPARE(f.desktop.messages.size(), 1);
        const TFakeDesktop::TMessage& warning = f.desktop.messages[0];
        QCOMPARE(warning.kind, TDesktop::TMessageKind::Warning);
        QVERIFY2(warning.text.startsWith("Zpráva byla odeslána, ale její kopii se nepodařilo uložit."),
                 qPrintable(warning.text));
        QVERIFY2(warning.text.contains("Kopii do složky Odeslané na serveru nelze uložit") &&
                     warning.text.contains("LOGIN") && warning.text.contains("Authentication failed"),
                 qPrintable(warning.text));
        QCOMPARE(dovecot.Messages("Odeslané").size(), std::size_t(0));
        QCOMPARE(Archived(f).size(), 1);
        QCOMPARE(ReadArchived(f, Archived(f)[0]), delivery.data);
    }

    void mailboxWithoutSentFolderWarns() {
        DovecotServer::TOptions options;
        options.sentFolder = false;
        DovecotServer dovecot(kSmtpUser.toStdString(), kSmtpPassword.toStdString(), options);
        QVERIFY2(dovecot.Started(), dovecot.StartError().c_str());
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()));
        SetSentCopy(f, ToDovecot(dovecot));

        QVERIFY(SendAndWait(f, 60000));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY2(f.desktop.messages[0].text.contains("The mailbox has no Sent folder"),
                 qPrintable(f.desktop.messages[0].text));
        QCOMPARE(ReadSmtpAccount(f.Form().FormStorage()).sentCopy.folder, std::string());
    }

    void dialogListsTheFoldersAndShowsTheSentOne() {
        DovecotServer::TOptions options;
        options.extraFolders = {"Archiv", "Faktury 2026"};
        DovecotServer dovecot(kSmtpUser.toStdString(), kSmtpPassword.toStdString(), options);
        QVERIFY2(dovecot.Started(), dovecot.StartError().c_str());
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, "smtp.firma.cz");
        SetSentCopy(f, ToDovecot(dovecot));
        TForm2& dialog = f.Form().Account().Form2();
        dialog.show();
        SentCopySection& section = *dialog.sentCopy;
        QCOMPARE(section.folder->currentIndex(), 0);  // not found yet
        QTest::mouseClick(section.fetch, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(section.note->text().startsWith("Složka Odeslané na serveru"), 20000);
        QCOMPARE(section.note->text(), QString("Složka Odeslané na serveru: Odeslané"));
        QCOMPARE(section.folder->currentText(), QString("Odeslané"));
        QVERIFY(section.folder->findText("Faktury 2026") > 0);
        // Another folder picked is what the account keeps.
        section.folder->setCurrentIndex(section.folder->findText("Archiv"));
        dialog.StoreFields();
        QCOMPARE(ReadSmtpAccount(f.Form().FormStorage()).sentCopy.folder, std::string("Archiv"));
        dialog.hide();
    }

    void cancelDuringTheCopyLeavesTheMessageDeliveredAndSaysSo() {
        StallingImapServer imap;
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()));
        TSentCopySettings copy;
        copy.toServer = true;
        copy.server = ToWin1250(Local(imap.Port()));
        SetSentCopy(f, copy);

        f.Click("sBitBtn6");
        TSendProgress* progress = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (progress = f.Form().findChild<TSendProgress*>("SendProgress")) != nullptr && imap.appendSeen,
            20000);
        QVERIFY2(progress->Step().contains("Ukládání kopie do složky Odeslané"),
                 qPrintable(progress->Step()));
        QTest::mouseClick(progress->findChild<QPushButton*>("SendCancel"), Qt::LeftButton);
        QVERIFY(WaitForSendEnd(f));

        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].kind, TDesktop::TMessageKind::Warning);
        QVERIFY2(f.desktop.messages[0].text.contains("ukládání bylo zrušeno"),
                 qPrintable(f.desktop.messages[0].text));
        QCOMPARE(Archived(f).size(), 1);
    }

    void archiveFileNames_data() {
        QTest::addColumn<QByteArray>("subject");
        QTest::addColumn<QString>("name");
        QTest::newRow("czech subject") << QByteArray("Popt\xE1vka") << "Poptávka.eml";
        QTest::newRow("empty subject") << QByteArray("") << "bez předmětu.eml";
        QTest::newRow("path characters") << QByteArray("../a/b:c*?") << "a_b_c__.eml";
        QTest::newRow("only dots") << QByteArray("...") << "bez předmětu.eml";
        QTest::newRow("control bytes") << QByteArray("a\tb\r\nc") << "a_b__c.eml";
        QTest::newRow("long subject is cut between characters")
            << QByteArray(200, '\xE8')  // "č" in Windows-1250: two bytes in UTF-8
            << QString(60, QChar(0x010D)) + ".eml";
    }
    void archiveFileNames() {
        QFETCH(QByteArray, subject);
        QFETCH(QString, name);
        const std::string fileName = SentCopy::ArchiveFileName(subject.toStdString(), 0);
        QCOMPARE(QString::fromStdString(fileName).mid(20), name);
    }
};

QTEST_MAIN(SentCopyTest)
#include "tst_sentcopy.moc"
