// Attachments through the real window: attaching by the menu and by dropping, the list and its
// keeping between runs, the message a recipient's mail program reads, and the refusals that keep
// everything from the server.

#include <QCryptographicHash>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include "app/send/AttachedFiles.h"
#include "app/send/AttachmentsButton.h"
#include "app/send/MainWindowAttach.h"
#include "app/send/MainWindowSend.h"
#include "app/send/SendProgress.h"
#include "app/send/SendWorker.h"
#include "support/ComposerFixture.h"
#include "support/SendSetup.h"
#include "support/SendWaiting.h"
#include "support/SmtpServerProcess.h"

using namespace quillory;
using namespace quillory::test;

namespace {

QString Local(int port) { return QStringLiteral("127.0.0.1:%1").arg(port); }

QString MakeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

// 10 MB that no compression or pattern could fake: every 32 bytes a hash of the block's number.
QByteArray TenMegabytes() {
    QByteArray bytes;
    bytes.reserve(10'000'000);
    for (int block = 0; bytes.size() < 10'000'000; ++block)
        bytes += QCryptographicHash::hash(QByteArray::number(block), QCryptographicHash::Sha256);
    bytes.truncate(10'000'000);
    return bytes;
}

QString Sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// Drops files from a file manager on the window. The application delivers drop events only while
// a platform drag runs, which the offscreen platform has none of, so they go to the window itself.
bool Drop(TForm1& form, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    QObject& window = form;
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    window.event(&enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    window.event(&drop);
    return drop.isAccepted();
}

QStringList ListRows(TComposerFixture& f) {
    QStringList rows;
    auto* list = f.Form().findChild<QTreeWidget*>("AttachmentList");
    for (int i = 0; list && i < list->topLevelItemCount(); ++i)
        rows.append(list->topLevelItem(i)->text(0) + " | " + list->topLevelItem(i)->text(1));
    return rows;
}

}  // namespace

class AttachTest : public QObject {
    Q_OBJECT

private slots:
    void threeFilesReachTheRecipientByteForByteWithTheirNames() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        QVERIFY(server.Port() > 0);
        QTemporaryDir dir;
        QByteArray everyByte;
        for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
        const QByteArray big = TenMegabytes();
        const QString bigName = "Ceník 2027 – Žďár.pdf";
        const QStringList paths = {MakeFile(dir, "bajty.bin", everyByte), MakeFile(dir, "prázdný.txt", {}),
                                   MakeFile(dir, bigName, big)};
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.desktop.openAnswers = {paths.mid(0, 2), paths.mid(2)};
        f.Form().findChild<QAction*>("Piloitsoubory1")->trigger();
        f.Form().findChild<QAction*>("Piloitsoubory1")->trigger();
        QCOMPARE(f.desktop.openDialogs, 2);
        QCOMPARE(ListRows(f),
                 (QStringList{"bajty.bin | 256 B", "prázdný.txt | 0 B", bigName + " | 10,0 MB"}));
        QCOMPARE(f.Get<TAttachmentsButton>("sAttachments")->text(), QString("Přílohy: 3 soubory, 10,0 MB"));
        PrepareSend(f, Local(server.Port()), true);
        f.Tick("sCheckBox1");
        f.TypeInto(f.Block(1), "Dobrý den, posílám ceník.");
        QVERIFY(SendAndWait(f, 120000));
        QCOMPARE(f.desktop.messages.size(), 0);

        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery, 120000));
        const auto fields = ReadMessageWith("app_read_attachments.py", delivery.data);
        QCOMPARE(DecodedValues(fields, "type"), QStringList{"multipart/mixed"});
        const QStringList body = DecodedValues(fields, "body");
        QVERIFY2(body.size() > 2, qPrintable(body.join('|')));
        QCOMPARE(body[1], QString("Dobrý den, posílám ceník."));
        QVERIFY(body.contains("Tento email byl vytvořen pomocí programu Quillory"));
        // Name, type, size, digest and the longest base64 line of each file, in the order attached.
        QCOMPARE(DecodedValues(fields, "attachment"),
                 (QStringList{"bajty.bin\tapplication/octet-stream\t256\t" + Sha256(everyByte) + "\t76",
                              "prázdný.txt\ttext/plain\t0\t" + Sha256({}) + "\t0",
                              bigName + "\tapplication/pdf\t10000000\t" + Sha256(big) + "\t76"}));
        // The files stay attached for the next message.
        QCOMPARE(f.Form().Attachments().Files().Files().size(), 3);
    }

    void filesThatAreNotAsAttachedStopTheSendBeforeTheServer() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword, {"--size-limit", "5000"});
        QVERIFY(server.Port() > 0);
        QTemporaryDir dir;
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()), true);
        struct TCase {
            const char* label;
            std::function<void(const QString& path)> change;
            QString message;
        };
        const QList<TCase> cases = {
            {"vanished", [](const QString& path) { QFile::remove(path); },
             "Přiložený soubor „cenik.pdf“ už neexistuje (%1). Zpráva nebyla odeslána."},
            {"cannot be read (a folder now stands there)",
             [](const QString& path) {
                 QFile::remove(path);
                 QDir().mkdir(path);
             },
             "Přiložený soubor „cenik.pdf“ nelze přečíst (%1). Zpráva nebyla odeslána."},
            {"changed size",
             [](const QString& path) {
                 QFile file(path);
                 if (file.open(QIODevice::Append)) file.write("navíc");
             },
             "Přiložený soubor „cenik.pdf“ se od přiložení změnil: měl 3\u00a0000 bajtů, nyní má 3\u00a0006 "
             "bajtů. "
             "Odeberte ho a přiložte znovu. Zpráva nebyla odeslána."},
        };
        for (const TCase& c : cases) {
            const QString path = MakeFile(dir, "cenik.pdf", QByteArray(3000, 'x'));
            f.Form().Attachments().Attach({path});
            c.change(path);
            f.desktop.messages.clear();
            f.Click("sBitBtn6");
            QVERIFY2(!f.Form().Send().Worker().Running(), c.label);
            QCOMPARE(f.desktop.messages.size(), 1);
            QCOMPARE(f.desktop.messages[0].text, c.message.contains("%1")
                                                     ? c.message.arg(QFileInfo(path).absoluteFilePath())
                                                     : c.message);
            f.Form().Attachments().Files().Clear();
            QDir(path).removeRecursively();
            QFile::remove(path);
        }

        // Larger than the server's SIZE: refused before MAIL FROM, both sizes given.
        f.Form().Attachments().Attach({MakeFile(dir, "velky.bin", QByteArray(6000, 'v'))});
        f.desktop.messages.clear();
        QVERIFY(SendAndWait(f));
        QCOMPARE(f.desktop.messages.size(), 1);
        const QString text = f.desktop.messages[0].text;
        QVERIFY2(text.startsWith("Chyba: Zpráva je pro server příliš velká: má "), qPrintable(text));
        QVERIFY2(text.contains("server přijme nejvýše 5,0 kB (5\u00a0000 bajtů)"), qPrintable(text));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(!server.NextDelivery(delivery, 1000));
    }

    void theListIsKeptBetweenRunsAndAFileGoneMeanwhileShowsAsMissing() {
        QTemporaryDir dir;
        const QString kept = MakeFile(dir, "ponechany.txt", "abc");
        const QString gone = MakeFile(dir, "smazany.txt", "abcdef");
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        // A file dropped twice is attached once; a folder is refused with a message.
        QVERIFY(Drop(f.Form(), {kept, gone, kept}));
        QVERIFY(Drop(f.Form(), {dir.path()}));
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].text, QStringLiteral("„%1“ je složka. Přiložit lze jen soubory.")
                                                 .arg(QFileInfo(dir.path()).fileName()));
        QCOMPARE(ListRows(f), (QStringList{"ponechany.txt | 3 B", "smazany.txt | 6 B"}));
        f.Close();
        f.Destroy();
        QFile::remove(gone);

        f.Open();
        QCOMPARE(ListRows(f), (QStringList{"ponechany.txt | 3 B", "smazany.txt | chybí"}));
        QCOMPARE(f.Get<TAttachmentsButton>("sAttachments")->text(),
                 QString("Přílohy: 2 soubory, 3 B (1 chybí)"));
        const auto toSend = f.Form().Attachments().Files().FilesToSend();
        QCOMPARE(toSend.size(), 1);
        QCOMPARE(toSend[0].Name(), QString("ponechany.txt"));

        // Removing one, then all.
        auto* list = f.Form().findChild<QTreeWidget*>("AttachmentList");
        list->setCurrentItem(list->topLevelItem(1));
        QTest::mouseClick(f.Get<QPushButton>("AttachmentRemove"), Qt::LeftButton);
        QCOMPARE(ListRows(f), QStringList{"ponechany.txt | 3 B"});
        QTest::mouseClick(f.Get<QPushButton>("AttachmentRemoveAll"), Qt::LeftButton);
        QCOMPARE(ListRows(f), QStringList{});
        QCOMPARE(f.Get<TAttachmentsButton>("sAttachments")->text(), QString("Přílohy: žádné"));
    }

    // The list is made at its first use; an empty one drops down all the same, showing nothing.
    void anEmptyListDropsDownFromItsButton() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QTest::mouseClick(f.Get<TAttachmentsButton>("sAttachments"), Qt::LeftButton);
        auto* popup = f.Get<TAttachmentsPopup>("AttachmentsPopup");
        QVERIFY(popup->isVisible());
        QCOMPARE(ListRows(f), QStringList{});
        QCOMPARE(f.Get<QLabel>("AttachmentTotal")->text(), QString("Celkem: 0 B"));
        popup->hide();
    }

    void theListCoversNoOtherWidget() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QWidget* face = f.Get<TAttachmentsButton>("sAttachments");
        const QRect place(face->mapTo(&f.Form(), QPoint(0, 0)), face->size());
        QVERIFY(f.Form().centralWidget()->rect().contains(face->geometry()));
        for (QWidget* widget : f.Form().centralWidget()->findChildren<QWidget*>()) {
            if (widget == face || face->isAncestorOf(widget) || widget->isAncestorOf(face) ||
                !widget->isVisible() || widget->isWindow())
                continue;
            const QRect other(widget->mapTo(&f.Form(), QPoint(0, 0)), widget->size());
            // A panel may hold the list's face only when the face is wholly outside it.
            QVERIFY2(!other.intersects(place), qPrintable(widget->objectName()));
        }
    }

    void zrusitEndsTheSendInTheMiddleOfTheUpload() {
        // A server that takes the message up to DATA and then reads nothing more.
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        QTcpSocket* peer = nullptr;
        QByteArray received;
        bool stalled = false;
        connect(&listener, &QTcpServer::newConnection, this, [&] {
            peer = listener.nextPendingConnection();
            peer->write("220 stall.example\r\n");
            connect(peer, &QTcpSocket::readyRead, this, [&] {
                if (stalled) return;
                received += peer->readAll();
                while (received.contains("\r\n")) {
                    const QByteArray line = received.left(received.indexOf("\r\n"));
                    received.remove(0, line.size() + 2);
                    if (line.startsWith("DATA")) {
                        peer->write("354 go\r\n");
                        stalled = true;
                        return;
                    }
                    peer->write(line.startsWith("EHLO") ? "250 stall.example\r\n" : "250 ok\r\n");
                }
            });
        });
        QTemporaryDir dir;
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.Form().Attachments().Attach({MakeFile(dir, "velky.bin", TenMegabytes() + TenMegabytes())});
        PrepareSend(f, Local(listener.serverPort()), false);
        f.Click("sBitBtn6");
        // Wait until part of the text is out and the send is stuck on the full socket.
        QProgressBar* bar = nullptr;
        int lastValue = -1;
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 200);
            if (!bar) bar = f.Form().findChild<QProgressBar*>("SendBar");
            if (bar && bar->maximum() == 1000 && bar->value() > 0 && bar->value() == lastValue) break;
            if (bar) lastValue = bar->value();
        }
        QVERIFY(bar);
        QVERIFY2(bar->value() > 0 && bar->value() < 1000, qPrintable(QString::number(bar->value())));
        QVERIFY(f.Form().Send().Worker().Running());
        QTest::mouseClick(f.Get<QPushButton>("SendCancel"), Qt::LeftButton);
        QVERIFY(WaitForSendEnd(f, 5000));
        QCOMPARE(f.desktop.messages.size(), 0);
    }
};

QTEST_MAIN(AttachTest)
#include "tst_attach.moc"
