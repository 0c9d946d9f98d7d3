// The default error handler: one message box with the application title and an error icon.

#include <QTest>

#include "app/ErrorHandler.h"
#include "core/Exception.h"
#include "support/FakeDesktop.h"

using namespace quillory;
using namespace quillory::test;

class ErrorsTest : public QObject {
    Q_OBJECT

private slots:
    void fullStopIsAppendedAfterCharactersSortingAfterIt_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << QByteArray("Stream write error") << "Stream write error.";
        QTest::newRow("full stop already") << QByteArray("Done.") << "Done.";
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("closing parenthesis sorts before") << QByteArray("(x)") << "(x)";
        QTest::newRow("exclamation sorts before") << QByteArray("Stop!") << "Stop!";
        QTest::newRow("slash sorts after") << QByteArray("a/") << "a/.";
        QTest::newRow("Czech letter") << QByteArray("Plze\xf2") << "Plzeň.";
        // A message naming what Windows-1250 cannot hold (a file "Олена.csv") is in the UTF-8 form.
        QTest::newRow("UTF-8 form") << QByteArray("\xef\xbb\xbf\xd0\x9e\xd0\xbb\xd0\xb5\xd0\xbd\xd0\xb0.csv")
                                    << QString::fromUtf8("Олена.csv.");
    }
    void fullStopIsAppendedAfterCharactersSortingAfterIt() {
        QFETCH(QByteArray, message);
        QFETCH(QString, shown);
        QCOMPARE(DefaultErrorText(message.toStdString()), shown);
    }

    void guardedHandlerReportsErrorsAndDropsSilentAbort() {
        TFakeDesktop desktop;
        Guarded(desktop, nullptr, [] { throw Exception("Unable to write to quillory.INI"); });
        Guarded(desktop, nullptr, [] { throw EAbort(); });
        Guarded(desktop, nullptr, [] { throw 42; });
        bool ran = false;
        Guarded(desktop, nullptr, [&] { ran = true; });
        QVERIFY(ran);
        QCOMPARE(desktop.messages.size(), 2);
        QCOMPARE(desktop.messages[0].kind, TDesktop::TMessageKind::Error);
        QCOMPARE(desktop.messages[0].caption, QString("Quillory"));
        QCOMPARE(desktop.messages[0].text, QString("Unable to write to quillory.INI."));
        QCOMPARE(desktop.messages[1].text, QString("Unknown error."));
    }
};

QTEST_MAIN(ErrorsTest)
#include "tst_errors.moc"
