// The copy of every delivered message through the real window: the local archive of .eml files,
// the copy in the mailbox's Sent folder (a real Dovecot), and the warnings that never turn a
// delivered message into a failed one.

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

#include "app/account/SentCopySection.h"
#include "app/account/SmtpSettingsDialog.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/send/SentCopy.h"
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
    return QDir(QString::fromStdString(f.Form().SentArchive().string())).entryList(QDir::Files, QDir::Name);
}

QByteArray ReadArchived(TComposerFixture& f, const QString& name) {
    QFile file(QDir(QString::fromStdString(f.Form().SentArchive().string())).filePath(name));
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
        f.Form().AttachFiles({attachment.fileName()});

        QVERIFY(SendAndWait(f, 60000));
        QCOMPARE(f.desktop.messages.size(), 0);
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
            QDir(QString::fromStdString(f.Form().SentArchive().string())).filePath(archived[0]);
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
        QVERIFY(!QFileInfo::exists(QString::fromStdString(f.Form().SentArchive().string())));
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
        const QString folder = QString::fromStdString(f.Form().SentArchive().string());
        QCOMPARE(f.desktop.openedUrls[0], QUrl::fromLocalFile(folder).toString());
        QVERIFY(QFileInfo(folder).isDir());
    }

    void providerThatFilesItsOwnCopyUnticksTheBoxAndSaysWhy() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        TForm2& dialog = f.Form().Form2();
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

    void archiveFileNames_data() {
        QTest::addColumn<QByteArray>("subject");
        QTest::addColumn<QString>("name");
        QTest::newRow("czech subject") << QByteArray("Poptávka") << "Poptávka.eml";
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
