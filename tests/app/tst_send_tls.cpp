// The send command through the real window over TLS: STARTTLS on a submission port, TLS from the
// first byte on 465, a certificate for another name, a login refused in clear, and cancelling.
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "app/send/MainWindowSend.h"
#include "app/send/SendWorker.h"
#include "storage/forms/FormStorage.h"
#include "support/ComposerFixture.h"
#include "support/SendSetup.h"
#include "support/SendWaiting.h"
#include "support/SmtpServerProcess.h"

using namespace quillory;
using namespace quillory::test;

class SendTlsTest : public QObject {
    Q_OBJECT

    QTemporaryDir certificates_;

    QString Certificate(const QString& stem, const char* suffix) const {
        return certificates_.filePath(stem + suffix);
    }
    QStringList ServerCertificate(const char* mode, const QString& stem = "server") const {
        return {mode, Certificate(stem, ".pem"), Certificate(stem, ".key")};
    }

private slots:
    void initTestCase() {
        QVERIFY(certificates_.isValid());
        QProcess maker;
        maker.start("/usr/bin/python3",
                    {QUILLORY_TEST_SUPPORT_DIR "/tls_make_certificates.py", certificates_.path()});
        QVERIFY(maker.waitForFinished(20000) && maker.exitCode() == 0);
        // Only the test's authority is trusted.
        qputenv("SSL_CERT_FILE", Certificate("trusted-ca", ".pem").toUtf8());
        qputenv("SSL_CERT_DIR", certificates_.path().toUtf8());
    }

    void startTlsOnASubmissionPortLogsInInsideTls() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword, ServerCertificate("--starttls"));
        QVERIFY(server.Port() > 0);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, QStringLiteral("localhost:%1").arg(server.Port()));
        QSignalSpy statuses(&f.Form().Send().Worker(), &TSendWorker::statusChanged);
        QVERIFY(SendAndWait(f));
        QCOMPARE(f.desktop.messages.size(), 0);
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(delivery.login, kSmtpUser);
        QVERIFY(delivery.encrypted);
        QStringList shown;
        for (const auto& status : statuses) shown.append(status.at(0).toString());
        QCOMPARE(shown.mid(0, 4), (QStringList{"Resolving hostname localhost.", "Connecting to 127.0.0.1.",
                                               "Connected.", "Securing the connection (TLS)."}));
    }

    void port465SpeaksTlsFromTheFirstByte() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword,
                                  ServerCertificate("--tls") + QStringList{"--port", "465"});
        if (server.Port() != 465) QSKIP("port 465 of 127.0.0.1 cannot be had here");
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, "localhost:465");
        QVERIFY(SendAndWait(f));
        QCOMPARE(f.desktop.messages.size(), 0);
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QVERIFY(delivery.encrypted);
    }

    void refusalsAreShownAfterChyba() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        {
            TSmtpServerProcess server(kSmtpUser, kSmtpPassword, ServerCertificate("--starttls", "other"));
            PrepareSend(f, QStringLiteral("localhost:%1").arg(server.Port()));
            QVERIFY(SendAndWait(f));
        }
        {
            // Another machine (as far as the address goes) that offers no STARTTLS.
            TSmtpServerProcess server(kSmtpUser, kSmtpPassword, {"--host", "127.0.0.2"});
            PrepareSend(f, QStringLiteral("127.0.0.2:%1").arg(server.Port()));
            QVERIFY(SendAndWait(f));
        }
        QCOMPARE(f.desktop.messages.size(), 2);
        QCOMPARE(f.desktop.messages[0].kind, TDesktop::TMessageKind::Plain);
        QCOMPARE(
            f.desktop.messages[0].text,
            QString(
                "Chyba: Certifikát serveru není vystaven na jméno zadaného serveru, spojení bylo "
                "ukončeno.\n\nPodrobnosti: The server's certificate is not made out for the name localhost"));
        QCOMPARE(
            f.desktop.messages[1].text,
            QString(
                "Chyba: Server nenabízí šifrované spojení (STARTTLS), proto přihlašovací jméno a heslo "
                "nebyly odeslány.\n\nPodrobnosti: The server offers no encrypted connection (STARTTLS), so "
                "the login was not sent: the name and password would cross the network readable by "
                "anyone"));
    }

    void cancelEndsTheSendAtOnce() {
        QTcpServer silent;  // the connection completes in its backlog; nobody ever answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()));
        f.Click("sBitBtn6");
        auto* progress = f.Form().findChild<TSendProgress*>("SendProgress");
        QVERIFY(progress != nullptr);
        QTRY_VERIFY(progress->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), progress);
        QTRY_COMPARE(progress->Status(), QString("Connected."));
        f.Click("sBitBtn6");  // a second send does not start while one runs
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(progress->findChild<QPushButton*>("SendCancel"), Qt::LeftButton);
        QVERIFY(WaitForSendEnd(f, 1000));
        QVERIFY(clock.elapsed() < 1000);
        QTRY_VERIFY(f.Form().findChild<TSendProgress*>("SendProgress") == nullptr);
        QCOMPARE(f.desktop.messages.size(), 0);
    }
};

QTEST_MAIN(SendTlsTest)
#include "tst_send_tls.moc"
