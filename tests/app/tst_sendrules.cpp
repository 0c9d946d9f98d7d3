// The pure rules of the send command: the copy field and the body's labelling.

#include <QTest>

#include "mail/IdEMailAddress.h"
#include "mail/IdMessage.h"
#include "mail/MailFilling.h"

using namespace quillory;

class SendRulesTest : public QObject {
    Q_OBJECT

private slots:
    // Pieces are trimmed, empty ones skipped, and a display name lands in the name, not the address.
    void copyField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("blank after semicolon is trimmed")
            << "a@firma.cz; b@firma.cz" << QStringList{"a@firma.cz", "b@firma.cz"} << QStringList{"", ""};
        QTest::newRow("trailing semicolon adds nothing")
            << "a@firma.cz;" << QStringList{"a@firma.cz"} << QStringList{""};
        QTest::newRow("empty field adds nothing") << "" << QStringList{} << QStringList{};
        QTest::newRow("name with address in brackets")
            << " Jan Novak <jan@firma.cz> ;;" << QStringList{"jan@firma.cz"} << QStringList{"Jan Novak"};
    }
    void copyField() {
        QFETCH(QString, field);
        QFETCH(QStringList, addresses);
        QFETCH(QStringList, names);
        TIdEMailAddressList list;
        AddCopyRecipients(list, field.toStdString());
        QStringList gotAddresses, gotNames;
        for (std::size_t i = 0; i < list.Count(); ++i) {
            gotAddresses << QString::fromStdString(list[i].Address());
            gotNames << QString::fromStdString(list[i].Name());
        }
        QCOMPARE(gotAddresses, addresses);
        QCOMPARE(gotNames, names);
    }

    void bodyIsLabelledByWhatIsOnTheWire() {
        TIdMessage message;
        SetPlainTextBody(message, {"Hello", ".", "world"});
        QCOMPARE(QString::fromStdString(message.ContentTransferEncoding), QString("7bit"));
        QCOMPARE(message.Body(), (TIdStrings{"Hello", ".", "world"}));

        SetPlainTextBody(message, {"Plze\xf2", ""});
        QCOMPARE(QString::fromStdString(message.ContentTransferEncoding), QString("quoted-printable"));
        QCOMPARE(message.Body(), (TIdStrings{"Plze=F2", ""}));

        SetPlainTextBody(message, {std::string(1200, 'a')});  // longer than a mail line may be
        QCOMPARE(QString::fromStdString(message.ContentTransferEncoding), QString("quoted-printable"));
        QVERIFY(message.Body().size() > 1);
        for (const auto& line : message.Body()) QVERIFY(line.size() <= 76);

        const TIdHeaderList headers = message.ComposeHeaders();
        QCOMPARE(QString::fromStdString(headers.GetHeaderValue("Content-Type")),
                 QString("text/plain; charset=windows-1250"));
        QCOMPARE(QString::fromStdString(headers.GetHeaderValue("MIME-Version")), QString("1.0"));
    }
};

QTEST_MAIN(SendRulesTest)
#include "tst_sendrules.moc"
