// The send command through the real window, against a real SMTP server on 127.0.0.1.

#include <QApplication>
#include <QClipboard>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include "storage/forms/FormStorage.h"
#include "support/ComposerFixture.h"
#include "support/SendSetup.h"
#include "support/SendWaiting.h"
#include "support/SmtpServerProcess.h"

using namespace quillory;
using namespace quillory::test;

namespace {

QString Local(int port) { return QStringLiteral("127.0.0.1:%1").arg(port); }

}  // namespace

class SendTest : public QObject {
    Q_OBJECT

private slots:
    void refusalsComeBeforeAnythingIsSent() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.Get<QLineEdit>("sEdit1")->setText("a@firma.cz; b@firma.cz");  // refused as well
        f.Click("sBitBtn6");
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].kind, TDesktop::TMessageKind::Information);
        QCOMPARE(f.desktop.messages[0].caption, QString("Information"));
        QCOMPARE(f.desktop.messages[0].text, QString("Není vyplněn server odchozí pošty (SMTP)"));

        f.Form().FormStorage().WriteStoredValue("smtpserver", std::string("127.0.0.1"));
        f.Form().findChild<QAction*>("Odeslatemail1")->trigger();
        QCOMPARE(f.desktop.messages.size(), 2);
        QCOMPARE(f.desktop.messages[1].kind, TDesktop::TMessageKind::Information);
        QCOMPARE(f.desktop.messages[1].text, QString("Emailová adresa příjemce není vyplněna správně"));
    }

    void deliversThePreviewReadableByTheRecipient() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        QVERIFY(server.Port() > 0);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("blok1.txt", "Dobr\xfd den,\r\n.\r\n\x8elu\x9dou\xe8k\xfd k\xf9\xf2");
        f.Open();
        PrepareSend(f, Local(server.Port()), true);
        f.Tick("sCheckBox1");
        QVERIFY(SendAndWait(f));
        QCOMPARE(f.desktop.messages.size(), 0);

        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(delivery.mechanism, QString("LOGIN"));
        QCOMPARE(delivery.login, kSmtpUser);
        QCOMPARE(delivery.mailFrom, QString("obchod@firma.cz"));
        QCOMPARE(delivery.recipients, QStringList{"prijemce@firma.cz"});
        // Every line on the wire ends in CR LF and nothing else.
        QVERIFY(!delivery.data.contains("\r\r"));
        QCOMPARE(delivery.data.count('\n'), delivery.data.count("\r\n"));

        const auto fields = DecodeMessage(delivery.data);
        QCOMPARE(DecodedValues(fields, "from-name"), QStringList{"Obchod Plzeň"});
        QCOMPARE(DecodedValues(fields, "subject"), QStringList{"Poptávka"});
        QCOMPARE(DecodedValues(fields, "to"), QStringList{"\tprijemce@firma.cz"});
        QCOMPARE(DecodedValues(fields, "mime-version"), QStringList{"1.0"});
        QCOMPARE(DecodedValues(fields, "content-type"), QStringList{"text/plain"});
        QCOMPARE(DecodedValues(fields, "charset"), QStringList{"windows-1250"});
        QCOMPARE(DecodedValues(fields, "transfer-encoding"), QStringList{"quoted-printable"});
        const QStringList body = DecodedValues(fields, "body");
        QCOMPARE(body.mid(0, 5), (QStringList{"", "Dobrý den,", ".", "Žluťoučký kůň", QString(89, '-')}));
        QVERIFY(body.contains("Tento email byl vytvořen pomocí programu Quillory"));
    }

    // One paste into a block ticked just before: the preview and the message hold it at once.
    void aPasteIntoAJustTickedBlockIsInThePreviewAndTheMessage() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()), true);
        f.Tick("sCheckBox1");
        QApplication::clipboard()->setText("Vložený odstavec s cenou");
        QTest::keyClick(f.Block(1), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.Block(1)->toPlainText(), QString("Vložený odstavec s cenou"));
        QVERIFY2(f.PreviewLines().contains("Vložený odstavec s cenou"),
                 qPrintable(f.PreviewLines().join('|')));
        QVERIFY(SendAndWait(f));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QVERIFY(DecodedValues(DecodeMessage(delivery.data), "body").contains("Vložený odstavec s cenou"));
    }

    void plainAsciiGoesOutAs7bitAndHandEditsAreSent() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()), true);
        f.Combo(4)->setEditText("Hello");
        auto* preview = f.Get<QPlainTextEdit>("Memo1");
        preview->setPlainText("Only this\nand .this\n");
        QVERIFY(SendAndWait(f));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QVERIFY(delivery.data.contains("Content-Transfer-Encoding: 7bit\r\n"));
        QVERIFY(delivery.data.endsWith("\r\n\r\nOnly this\r\nand .this\r\n"));
        QCOMPARE(DecodedValues(DecodeMessage(delivery.data), "body").mid(0, 2),
                 (QStringList{"Only this", "and .this"}));
    }

    void copiesAreTrimmedParsedAndNotRepeated() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()), true);
        f.Gate("sCheckBox12")->setChecked(true);
        f.Get<QLineEdit>("sEdit3")->setText("a@firma.cz; Jan Novák <jan@firma.cz> ;;");
        for (int send = 0; send < 2; ++send) {
            QVERIFY(SendAndWait(f));
            TSmtpServerProcess::TDelivery delivery;
            QVERIFY(server.NextDelivery(delivery));
            QCOMPARE(delivery.recipients, (QStringList{"prijemce@firma.cz", "a@firma.cz", "jan@firma.cz"}));
            QCOMPARE(DecodedValues(DecodeMessage(delivery.data), "cc"),
                     (QStringList{"\ta@firma.cz", "Jan Novák\tjan@firma.cz"}));
        }
        f.Gate("sCheckBox12")->setChecked(false);
        QVERIFY(SendAndWait(f));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(delivery.recipients, QStringList{"prijemce@firma.cz"});
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void longPreviewLineGoesOutAsTheLinesThePreviewShows() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        QString sentence;
        for (int i = 0; i < 40; ++i) sentence += QStringLiteral("slovo%1 ").arg(i);
        f.WriteFile("blok2.txt", sentence.toStdString());
        f.Open();
        PrepareSend(f, Local(server.Port()), true);
        f.Tick("sCheckBox2");
        QVERIFY(SendAndWait(f));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        const QStringList body = DecodedValues(DecodeMessage(delivery.data), "body");
        // The paragraph reaches the recipient as several lines that together hold the sentence.
        const int first = static_cast<int>(body.indexOf(QRegularExpression("^slovo0 .*")));
        QVERIFY(first >= 0);
        QVERIFY(!body[first].contains("slovo39"));
        QString joined;
        for (int i = first; i < body.size() && !body[i].startsWith("---"); ++i) joined += body[i];
        QCOMPARE(joined, sentence);
    }

    // The server answers the final "." with 250 and resets the connection at once, so the QUIT
    // fails: the message was delivered all the same, and nothing may tell the user otherwise.
    void aMessageTheServerTookIsNotReportedAsFailedWhenTheGoodbyeFails() {
        constexpr int sends = 3;
        QProcess server;
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start("/usr/bin/python3", {QUILLORY_TEST_SUPPORT_DIR "/app_reset_after_delivery_server.py",
                                          QString::number(sends)});
        while (!server.canReadLine()) QVERIFY(server.waitForReadyRead(20000));
        const QByteArray ready = server.readLine().trimmed();
        QVERIFY2(ready.startsWith("ready "), ready.constData());
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(ready.mid(6).toInt()), false);
        for (int send = 0; send < sends; ++send) {
            QVERIFY(SendAndWait(f, 5000));
            while (!server.canReadLine()) QVERIFY(server.waitForReadyRead(10000));
            QVERIFY(server.readLine().startsWith("delivered "));
        }
        QCOMPARE(f.desktop.messages.size(), 0);  // neither "Chyba: " nor an error box
        server.waitForFinished(10000);
    }

    void failuresAreShownAfterChyba() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        // A port nobody listens on: the connection is refused.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const int closedPort = probe.serverPort();
        probe.close();
        PrepareSend(f, Local(closedPort), false);
        QVERIFY(SendAndWait(f));
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].kind, TDesktop::TMessageKind::Plain);
        QCOMPARE(f.desktop.messages[0].caption, QString("Quillory"));
        QCOMPARE(f.desktop.messages[0].text, QString("Chyba: Socket Error # 10061\r\nConnection refused."));

        // A server that requires a login, with authentication off: no login is tried, the server refuses.
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        PrepareSend(f, Local(server.Port()), false);
        QVERIFY(SendAndWait(f));
        QCOMPARE(f.desktop.messages.size(), 2);
        QVERIFY2(f.desktop.messages[1].text.startsWith("Chyba: "), qPrintable(f.desktop.messages[1].text));
        QVERIFY2(f.desktop.messages[1].text.contains("uthentication required"),
                 qPrintable(f.desktop.messages[1].text));

        PrepareSend(f, "127.0.0.1:99999", true);
        f.Click("sBitBtn6");
        QCOMPARE(f.desktop.messages.size(), 3);
        QCOMPARE(f.desktop.messages[2].text,
                 QString("Chyba: Invalid port in the server address \"127.0.0.1:99999\""));
    }
};

QTEST_MAIN(SendTest)
#include "tst_send.moc"
