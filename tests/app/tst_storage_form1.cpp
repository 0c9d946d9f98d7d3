// The main window's settings across a restart, through the real window: gates, fields, lists with
// their shown texts, placement and SMTP values; the file it writes; a missing or broken INI file.
#include <QDir>

#include "app/account/MainWindowAccount.h"
#include "app/account/SmtpSettingsDialog.h"
#include "storage/IniDocument.h"
#include "storage/IniFile.h"
#include "storage/Scramble.h"
#include "storage/forms/FormStorage.h"
#include "support/ComposerFixture.h"
#include "support/HostileFile.h"
#include "support/TempConfigHome.h"

namespace quillory::test {

class StorageForm1Test : public QObject {
    Q_OBJECT

    static void Restart(TComposerFixture& f) {
        f.Close();
        f.Destroy();
        f.Open();
    }
    static QStringList Entries(QComboBox* combo) {
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i) entries.append(combo->itemText(i));
        return entries;
    }
    static void AddEntry(TComposerFixture& f, int list, const char* addButton, const QString& text) {
        f.Combo(list)->clearEditText();
        f.TypeInto(f.Combo(list), text);
        f.Click(addButton);
    }

private slots:
    void restartRestoresGatesFieldsListsPlacementAndSmtpSettings() {
        TTempConfigHome home;
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.Tick("sCheckBox2");
        f.Tick("sCheckBox9");
        AddEntry(f, 1, "sBitBtn9", QString::fromUtf8("Dobrý den,"));
        AddEntry(f, 1, "sBitBtn9", "Ahoj");
        AddEntry(f, 5, "sBitBtn3", "ja@example.cz");
        f.Combo(1)->setEditText("Ahoj");
        f.Get<QLineEdit>("sEdit1")->setText("  jan@example.cz");
        f.Get<QLineEdit>("sEdit3")->setText("a@b.cz;c@d.cz");
        f.Form().setGeometry(30, 40, 1100, 760);
        const QRect placed = f.Form().geometry();
        QCOMPARE(placed.topLeft(), QPoint(30, 40));
        TForm2& settings = f.Form().Account().Form2();
        settings.sEdit1->setText("smtp.example.cz");
        settings.sCheckBox1->setChecked(true);
        settings.sEdit2->setText(QString::fromUtf8("účet"));
        settings.sEdit3->setText("tajne heslo");
        settings.StoreFields();

        Restart(f);
        QVERIFY(f.desktop.messages.isEmpty());
        QVERIFY(f.Gate("sCheckBox2")->isChecked());
        QVERIFY(f.Gate("sCheckBox9")->isChecked());
        QVERIFY(!f.Gate("sCheckBox1")->isChecked());
        QCOMPARE(Entries(f.Combo(1)), QStringList({QString::fromUtf8("Dobrý den,"), "Ahoj"}));
        QCOMPARE(f.Combo(1)->currentText(), QString("Ahoj"));
        QCOMPARE(Entries(f.Combo(5)), QStringList{"ja@example.cz"});
        QCOMPARE(f.Combo(5)->currentText(), QString("ja@example.cz"));
        QCOMPARE(Entries(f.Combo(2)), QStringList());
        QCOMPARE(f.Get<QLineEdit>("sEdit1")->text(), QString("jan@example.cz"));
        QCOMPARE(f.Get<QLineEdit>("sEdit3")->text(), QString("a@b.cz;c@d.cz"));
        QCOMPARE(f.Form().geometry(), placed);
        // The preview is built from the restored state.
        QCOMPARE(f.PreviewLines().first(), QString("Ahoj"));
        for (int list = 1; list <= 5; ++list) QCOMPARE(f.Form().SelectedIndex(list), 0);

        const TFormStorage& storage = f.Form().FormStorage();
        QCOMPARE(VarToStr(storage.ReadStoredValue("smtpserver")), std::string("smtp.example.cz"));
        QCOMPARE(VarToStr(storage.ReadStoredValue("smtplogin")), ToWin1250(QString::fromUtf8("účet")));
        QCOMPARE(VarToStr(storage.ReadStoredValue("smtpheslo")), std::string("tajne heslo"));
        QCOMPARE(storage.ReadStoredValue("smtpovereni"), TVariant(std::string("True")));
        QVERIFY(VarToBool(storage.ReadStoredValue("smtpovereni")));
    }

    // Blocks 1 and 2 and the salutation gate ticked, one salutation and one subject entered, no
    // SMTP settings: the file holds the window's section and the two filled lists' item sections,
    // and the window's keys in save order: placement, stored properties, stored values.
    void firstCloseWritesPlacementPropertiesAndValuesInSaveOrder() {
        TTempConfigHome home;
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.Tick("sCheckBox1");
        f.Tick("sCheckBox2");
        f.Tick("sCheckBox9");
        AddEntry(f, 1, "sBitBtn9", QString::fromUtf8("Dobrý den,"));
        AddEntry(f, 4, "sBitBtn8", QString::fromUtf8("Nabídka"));
        f.Close();

        const TIniFile written(home.IniPath().toStdString());
        const std::vector<std::string> sections = {"TForm1", "TForm1.sComboBox1_Items",
                                                   "TForm1.sComboBox4_Items"};
        QCOMPARE(written.ReadSections(), sections);
        const std::vector<std::string> keys = {
            "FormVersion", "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos(%)", "MinMaxPos", "NormPos(%)",
            "NormPos", "Visible", "sCheckBox1_Checked", "sCheckBox10_Checked", "sCheckBox11_Checked",
            "sCheckBox2_Checked", "sCheckBox3_Checked", "sCheckBox4_Checked", "sCheckBox5_Checked",
            "sCheckBox6_Checked", "sCheckBox7_Checked", "sCheckBox8_Checked", "sCheckBox9_Checked",
            "sEdit1_Text", "sEdit3_Text", "sComboBox1_Text", "sComboBox2_Text", "sComboBox3_Text",
            "sComboBox4_Text", "sComboBox5_Text", "smtpserver", "smtplogin", "smtpheslo", "smtpovereni",
            // the copy of sent messages
            "imapkopie", "imapserver", "imapvlastni", "imaplogin", "imapheslo", "imapslozka", "archiv",
            // the sign-in: login method, who signed in, provider, refresh token, scopes granted
            "prihlasovani", "oauthadresa", "poskytovatel", "oauthobnova", "oauthrozsah",
            // spelling
            "kontrolapravopisu", "jazykpravopisu"};
        const auto writtenKeys = written.ReadSectionKeys("TForm1");
        QCOMPARE(writtenKeys.size(), keys.size());
        const QScreen* screen = QGuiApplication::primaryScreen();
        const std::string suffix =
            QString("(%1x%2)").arg(screen->size().width()).arg(screen->size().height()).toStdString();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            std::string key = keys[i];
            if (const auto at = key.find("(%)"); at != std::string::npos) key.replace(at, 3, suffix);
            QCOMPARE(writtenKeys[i], key);
        }

        const auto value = [&written](const char* key) {
            return written.ReadValue("TForm1", key, "<missing>");
        };
        QCOMPARE(value("FormVersion"), std::string("0"));
        QCOMPARE(value("Flags"), std::string("0"));
        QCOMPARE(value("ShowCmd"), std::string("1"));
        QCOMPARE(value("Visible"), std::string("0"));
        for (const char* ticked : {"sCheckBox1_Checked", "sCheckBox2_Checked", "sCheckBox9_Checked"})
            QCOMPARE(value(ticked), std::string("True"));
        QCOMPARE(value("sCheckBox10_Checked"), std::string("False"));
        QCOMPARE(value("sComboBox1_Text"), std::string("Dobr\xfd den,"));
        QCOMPARE(value("sComboBox4_Text"), std::string("Nab\xed"
                                                       "dka"));
        for (const char* empty : {"sEdit1_Text", "sComboBox2_Text", "smtpserver", "smtplogin", "smtpheslo"})
            QCOMPARE(value(empty), std::string());
        QCOMPARE(UnscrambleHex("pripojovani", value("smtpovereni")), std::string("False"));
        // Spell checking: on, in Czech, kept in plain.
        QCOMPARE(value("kontrolapravopisu"), std::string("True"));
        QCOMPARE(value("jazykpravopisu"), std::string("cs_CZ"));
        QCOMPARE(written.ReadSectionKeys("TForm1.sComboBox4_Items"),
                 (std::vector<std::string>{"Count", "Item0"}));
        QCOMPARE(written.ReadValue("TForm1.sComboBox4_Items", "Item0", ""), std::string("Nab\xed"
                                                                                        "dka"));
    }

    void missingIniRestoresNothingAndRaisesNothing() {
        TTempConfigHome home;
        TComposerFixture f;
        f.WriteEmptyBlocks();
        TForm1& form = f.Open();
        QVERIFY(f.desktop.messages.isEmpty());
        for (int n = 1; n <= 11; ++n)
            QVERIFY(!f.Gate(qPrintable(QString("sCheckBox%1").arg(n)))->isChecked());
        for (int list = 1; list <= 5; ++list) QCOMPARE(f.Combo(list)->count(), 0);
        QCOMPARE(form.pos(), QPoint(16, 11));
        QVERIFY(!form.isMaximized());
        const TFormStorage& storage = form.FormStorage();
        QCOMPARE(storage.ReadStoredValue("smtpserver"), TVariant(std::string()));
        QCOMPARE(storage.ReadStoredValue("smtpovereni"), TVariant(std::string("False")));
    }

    // An INI file that is a FIFO or far too large never holds up the start: the window starts with
    // the defaults, and the close refuses to write over the file, which stays as it was.
    void hostileIniNeitherBlocksTheStartNorIsOverwritten_data() {
        QTest::addColumn<THostileFile>("kind");
        QTest::newRow("FIFO without a writer") << THostileFile::Fifo;
        QTest::newRow("200 MB") << THostileFile::Huge;
    }
    void hostileIniNeitherBlocksTheStartNorIsOverwritten() {
        QFETCH(THostileFile, kind);
        TTempConfigHome home;
        const std::filesystem::path ini = home.IniPath().toStdString();
        QVERIFY(MakeHostileFile(ini, kind));
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QVERIFY(f.desktop.messages.isEmpty());
        QVERIFY(!f.Gate("sCheckBox9")->isChecked());
        f.Close();
        QVERIFY(!f.Form().isVisible());
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].text,
                 QString("Unable to write to %1.").arg(QFileInfo(home.IniPath()).fileName()));
        QVERIFY(IsUntouchedHostileFile(ini, kind));
    }

    // Binary garbage around sound lines: what reads as INI lines is restored, the rest is kept as
    // it stands when the file is written again.
    void binaryGarbageInIniIsReadAsFarAsItMakesSense() {
        TTempConfigHome home;
        const std::string garbage(
            "\xff\xfe\x00\x01\x80\r\n[TForm1]\r\nsCheckBox2_Checked=True\r\n\x81\x00=\x9f\r\n"
            "sEdit3_Text=a@b.cz\r\n\xc0\xc1\xf5\xff",
            72);
        {
            QFile file(home.IniPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(garbage.data(), qint64(garbage.size()));
        }
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QVERIFY(f.desktop.messages.isEmpty());
        QVERIFY(f.Gate("sCheckBox2")->isChecked());
        QCOMPARE(f.Get<QLineEdit>("sEdit3")->text(), QString("a@b.cz"));
        Restart(f);
        QVERIFY(f.desktop.messages.isEmpty());
        QVERIFY(f.Gate("sCheckBox2")->isChecked());
        const std::string written = TComposerFixture::ReadPath(home.IniPath().toStdString());
        QVERIFY(written.find(std::string("\xff\xfe\x00\x01\x80\r\n", 7)) == 0);
    }

    void unusableIniIsShownAtCloseAndAtTheEndButTheWindowCloses() {
        TTempConfigHome home;
        QVERIFY(QDir().mkpath(home.IniPath()));  // a folder where the file should be
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QVERIFY(f.desktop.messages.isEmpty());
        f.Close();
        QVERIFY(!f.Form().isVisible());
        const QString expected = QString("Unable to write to %1.").arg(QFileInfo(home.IniPath()).fileName());
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].text, expected);
        QCOMPARE(f.desktop.messages[0].kind, TDesktop::TMessageKind::Error);
        f.Destroy();
        QCOMPARE(f.desktop.messages.size(), 2);
        QCOMPARE(f.desktop.messages[1].text, expected);
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::StorageForm1Test)
#include "tst_storage_form1.moc"
