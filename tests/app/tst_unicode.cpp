// Text Windows-1250 cannot hold, through the real window: typed into a block and the subject, sent
// to a real SMTP server, copied, saved, kept over a restart, and filled in from the address book.

#include <QAction>
#include <QTest>
#include <QTextBlock>

#include "app/contacts/AddressBookWindow.h"
#include "app/contacts/MainWindowContacts.h"
#include "core/ProgramText.h"
#include "storage/IniDocument.h"
#include "support/ComposerFixture.h"
#include "support/SendSetup.h"
#include "support/SendWaiting.h"
#include "support/SmtpServerProcess.h"

using namespace quillory;
using namespace quillory::test;

namespace {

const QString kBlockText = QStringLiteral("Dobrý den, Олена Коваленко → Nguyễn Văn An, € 1 200 ✓");
const QString kSubject = QStringLiteral("Faktura – Коваленко");

QString Local(int port) { return QStringLiteral("127.0.0.1:%1").arg(port); }

std::string MarkedUtf8(const QString& text) { return std::string(kUtf8Mark) + text.toStdString(); }

// The preview's text as shown, its lines ended by LF.
QString PreviewShown(TComposerFixture& f) { return f.Get<QPlainTextEdit>("Memo1")->toPlainText(); }

}  // namespace

class UnicodeTest : public QObject {
    Q_OBJECT

private slots:
    void textOutsideWindows1250GoesOutIsSavedAndComesBackAsTyped() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        QVERIFY(server.Port() > 0);
        TTempConfigHome home;
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        PrepareSend(f, Local(server.Port()), true);
        f.TypeInto(f.Block(1), kBlockText);
        f.TypeInto(f.Block(2), QStringLiteral("Žluťoučký kůň"));  // fits: stays Windows-1250
        f.Tick("sCheckBox1");
        f.Tick("sCheckBox2");
        f.Combo(4)->setEditText(QString());
        f.TypeInto(f.Combo(4), kSubject);
        f.Click("sBitBtn8");  // the subject joins its list
        f.Combo(5)->setEditText(QStringLiteral("Kancelář Київ <obchod@firma.cz>"));
        f.Gate("sCheckBox12")->setChecked(true);
        f.Get<QLineEdit>("sEdit3")->setText(
            QStringLiteral("Nguyễn Văn An <an@firma.cz>; Jan Novák <jan@firma.cz>"));
        QCOMPARE(f.PreviewLines().mid(0, 4),
                 (QStringList{"", kBlockText, "Žluťoučký kůň", QString(89, '-')}));

        QVERIFY(SendAndWait(f));
        QCOMPARE(f.desktop.messages.size(), 0);
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(delivery.recipients, (QStringList{"prijemce@firma.cz", "an@firma.cz", "jan@firma.cz"}));
        const auto fields = DecodeMessage(delivery.data);
        QCOMPARE(DecodedValues(fields, "subject"), QStringList{kSubject});
        QCOMPARE(DecodedValues(fields, "from-name"), QStringList{"Kancelář Київ"});
        QCOMPARE(DecodedValues(fields, "cc"),
                 (QStringList{"Nguyễn Văn An\tan@firma.cz", "Jan Novák\tjan@firma.cz"}));
        QCOMPARE(DecodedValues(fields, "charset"), QStringList{"utf-8"});
        QCOMPARE(DecodedValues(fields, "transfer-encoding"), QStringList{"quoted-printable"});
        QCOMPARE(DecodedValues(fields, "body").join("\n"), PreviewShown(f));
        // The name Windows-1250 holds is written in it, the other one in UTF-8.
        QVERIFY(delivery.data.contains(" =?windows-1250?Q?Nov=E1k?= <jan@firma.cz>"));

        f.Click("sBitBtn4");
        QCOMPARE(f.desktop.clipboard, PreviewShown(f).replace("\n", "\r\n"));
        f.desktop.saveAnswers.append(QString::fromStdString(f.Path("zprava.txt").string()));
        f.Click("sBitBtn5");
        QCOMPARE(f.ReadFile("zprava.txt"), MarkedUtf8(f.desktop.clipboard));

        f.Close();
        QCOMPARE(f.ReadFile("blok1.txt"), MarkedUtf8(kBlockText));
        QCOMPARE(f.ReadFile("blok2.txt"), std::string("\x8elu\x9dou\xe8k\xfd k\xf9\xf2"));
        const std::string ini = TComposerFixture::ReadPath(home.IniPath().toStdString());
        QVERIFY(ini.starts_with(kUtf8Mark));
        QVERIFY(ini.find("Item0=" + kSubject.toStdString() + "\r\n") != std::string::npos);
        QVERIFY(ini.find("sEdit3_Text=Nguyễn Văn An <an@firma.cz>; Jan Novák <jan@firma.cz>\r\n") !=
                std::string::npos);

        f.Destroy();
        f.Open();
        QCOMPARE(f.Block(1)->toPlainText(), kBlockText);
        QCOMPARE(f.Block(2)->toPlainText(), QStringLiteral("Žluťoučký kůň"));
        QCOMPARE(f.Combo(4)->count(), 1);
        QCOMPARE(f.Combo(4)->itemText(0), kSubject);
        QCOMPARE(f.Combo(4)->currentText(), kSubject);
        QCOMPARE(f.Get<QLineEdit>("sEdit3")->text(),
                 QStringLiteral("Nguyễn Văn An <an@firma.cz>; Jan Novák <jan@firma.cz>"));
    }

    void aNameFromTheAddressBookFillsThePlaceholdersAsWritten() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("blok1.txt", "Dobr\xfd den, {jm\xe9no} {p\xf8\xedjmen\xed},\r\n{titul}");
        f.Open();
        PrepareSend(f, Local(server.Port()), true);
        f.WriteFile("olena.vcf",
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Коваленко;Олена;;;\r\nFN:Олена Коваленко\r\n"
                    "EMAIL;TYPE=INTERNET:olena@example.ua\r\nEND:VCARD\r\n");
        f.Form().findChild<QAction*>("Adres1")->trigger();
        f.desktop.openAnswers.append(QStringList{QString::fromStdString(f.Path("olena.vcf").string())});
        QTest::mouseClick(f.Form().Contacts().Window().findChild<QPushButton*>("addressBookImport"),
                          Qt::LeftButton);
        f.Get<QLineEdit>("sEdit1")->setText("olena@example.ua");
        f.Combo(4)->setEditText(QStringLiteral("Faktura – {příjmení}"));
        f.Tick("sCheckBox1");
        QCOMPARE(f.PreviewLines().mid(1, 2), (QStringList{"Dobrý den, Олена Коваленко,", ""}));
        // The empty {titul} is marked where it stands, after the UTF-8 text before it.
        QCOMPARE(f.Form().EmptyPreviewPlaceholders().size(), size_t(1));
        const QList<QTextEdit::ExtraSelection> marks = f.Get<QPlainTextEdit>("Memo1")->extraSelections();
        QCOMPARE(marks.size(), 1);
        QCOMPARE(marks[0].cursor.position(), PreviewShown(f).indexOf(",\n") + 2);
        QCOMPARE(f.Get<QPlainTextEdit>("Memo1")->toolTip(), QString("Prázdné zástupné údaje: {titul}"));

        f.desktop.answers.append(true);  // send with {titul} empty
        QVERIFY(SendAndWait(f));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        const auto fields = DecodeMessage(delivery.data);
        QCOMPARE(DecodedValues(fields, "subject"), QStringList{"Faktura – Коваленко"});
        QCOMPARE(DecodedValues(fields, "body").mid(1, 2), (QStringList{"Dobrý den, Олена Коваленко,", ""}));
        QCOMPARE(DecodedValues(fields, "charset"), QStringList{"utf-8"});
    }
};

QTEST_MAIN(UnicodeTest)
#include "tst_unicode.moc"
