// "Výchozí nastavení" through the real main window: backups first, then everything emptied.
#include <QAction>
#include <QDir>
#include <QSignalSpy>

#include "app/account/MainWindowAccount.h"
#include "app/account/SmtpSettingsDialog.h"
#include "app/send/AttachedFiles.h"
#include "app/send/MainWindowAttach.h"
#include "storage/forms/FormStorage.h"
#include "support/SettingsFixture.h"

namespace quillory::test {

class ResetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TSettingsFixture> fixture_;
    TComposerFixture* f_ = nullptr;

    void Reset() const { f_->Form().findChild<QAction*>("Vchoznastaven1")->trigger(); }
    void AddEntry(int list, const char* addButton, const QString& text) const {
        f_->Combo(list)->clearEditText();
        f_->TypeInto(f_->Combo(list), text);
        f_->Click(addButton);
    }
    // An entry added from a shown text the user did not type, so no selected index is remembered.
    void AddEntryQuietly(int list, const char* addButton, const QString& text) const {
        f_->Combo(list)->setEditText(text);
        f_->Click(addButton);
    }
    // Every gate ticked, blocks 1 and 8 written, entries in lists 1 and 5, both fields, SMTP set, a
    // file attached.
    void FillEverything() const {
        f_->WriteFile("cenik.pdf", "%PDF-1.4");
        f_->Form().Attachments().Attach({QString::fromStdString(f_->Path("cenik.pdf").string())});
        for (int n = 1; n <= 11; ++n) f_->Tick(qPrintable(QString("sCheckBox%1").arg(n)));
        f_->TypeInto(f_->Block(1), QString::fromUtf8("První blok"));
        f_->TypeInto(f_->Block(8), "Last");
        AddEntry(1, "sBitBtn9", QString::fromUtf8("Dobrý den,"));
        AddEntry(1, "sBitBtn9", "Ahoj");
        AddEntry(5, "sBitBtn3", "ja@example.cz");
        f_->Get<QLineEdit>("sEdit1")->setText("jan@example.cz");
        f_->Get<QLineEdit>("sEdit3")->setText("eva@example.cz");
        TForm2& dialog = f_->Form().Account().Form2();
        dialog.sEdit1->setText("smtp.example.cz");
        dialog.sCheckBox1->setChecked(true);
        dialog.sEdit2->setText("jan");
        dialog.sEdit3->setText("heslo");
        dialog.StoreFields();
    }
    QString BackupsPath() const { return QString::fromStdString(f_->Path("Backups").string()); }

private slots:
    void init() {
        fixture_ = std::make_unique<TSettingsFixture>();
        f_ = &fixture_->composer;
    }
    void cleanup() { fixture_.reset(); }

    void withoutBackupsFolderNothingIsReset() {
        FillEverything();
        const QString preview = QString::fromStdString(f_->Form().PreviewText());
        Reset();
        QCOMPARE(f_->desktop.messages.size(), 1);
        QVERIFY2(f_->desktop.messages[0].text.contains("Backups/blok1.txt"),
                 qPrintable(f_->desktop.messages[0].text));
        QVERIFY(f_->Gate("sCheckBox1")->isChecked());
        QCOMPARE(f_->Combo(1)->count(), 2);
        QCOMPARE(f_->Get<QLineEdit>("sEdit1")->text(), QString("jan@example.cz"));
        QCOMPARE(QString::fromStdString(f_->Form().PreviewText()), preview);
        QCOMPARE(f_->Form().FormStorage().ReadStoredValue("smtpserver"),
                 TVariant(std::string("smtp.example.cz")));
        QVERIFY(f_->Form().Account().Form2().sCheckBox1->isChecked());
        QCOMPARE(f_->Form().Attachments().Files().Files().size(), 1);
    }

    void backsUpThenEmptiesEverything() {
        QVERIFY(QDir().mkpath(BackupsPath()));
        FillEverything();
        f_->Tick("sCheckBox12");
        f_->Combo(1)->setCurrentIndex(1);
        f_->Form().SetSelectedIndex(1, 1);
        const std::string block1 = ToWin1250(QString::fromUtf8("První blok"));
        QSignalSpy rebuilds(&f_->Form(), &TForm1::previewRebuilt);
        Reset();

        QVERIFY(f_->desktop.messages.isEmpty());
        QCOMPARE(rebuilds.count(), 11);  // one per ticked gate, none after
        QCOMPARE(f_->Form().PreviewText(), std::string());
        QCOMPARE(f_->ReadFile("Backups/blok1.txt"), block1);
        QCOMPARE(f_->ReadFile("Backups/blok8.txt"), std::string("Last"));
        QCOMPARE(f_->ReadFile("Backups/blok2.txt"), std::string());
        QCOMPARE(f_->ReadFile("Backups/seznam1.txt"), std::string("Dobr\xfd den,\r\nAhoj\r\n"));
        QCOMPARE(f_->ReadFile("Backups/seznam5.txt"), std::string("ja@example.cz\r\n"));
        QVERIFY(QFile::exists(BackupsPath() + "/seznam3.txt"));

        for (int n = 1; n <= 11; ++n)
            QVERIFY(!f_->Gate(qPrintable(QString("sCheckBox%1").arg(n)))->isChecked());
        QVERIFY2(f_->Gate("sCheckBox12")->isChecked(), "the copy box is not the reset's");
        for (int list = 1; list <= 5; ++list) {
            QCOMPARE(f_->Combo(list)->count(), 0);
            QCOMPARE(f_->Combo(list)->currentText(), QString());
            QCOMPARE(f_->Form().SelectedIndex(list), 0);
        }
        for (int block = 1; block <= 8; ++block) QCOMPARE(f_->Block(block)->toPlainText(), QString());
        QCOMPARE(f_->Get<QLineEdit>("sEdit1")->text(), QString());
        QCOMPARE(f_->Get<QLineEdit>("sEdit3")->text(), QString());
        const TFormStorage& storage = f_->Form().FormStorage();
        for (const char* name : {"smtpserver", "smtplogin", "smtpheslo"})
            QCOMPARE(storage.ReadStoredValue(name), TVariant(std::string()));
        QCOMPARE(storage.ReadStoredValue("smtpovereni"), TVariant(false));
        const TForm2& dialog = f_->Form().Account().Form2();
        QCOMPARE(dialog.sEdit1->text() + dialog.sEdit2->text() + dialog.sEdit3->text(), QString());
        QVERIFY(!dialog.sCheckBox1->isChecked());
        QVERIFY(!dialog.sEdit2->isEnabled());
        QVERIFY(f_->Form().Attachments().Files().Files().isEmpty());
        QVERIFY2(QFile::exists(QString::fromStdString(f_->Path("cenik.pdf").string())),
                 "the file itself stays");
    }

    void aSecondResetLeavesEmptyBackupsAndARestartStaysEmpty() {
        QVERIFY(QDir().mkpath(BackupsPath()));
        FillEverything();
        Reset();
        Reset();
        QCOMPARE(f_->ReadFile("Backups/blok1.txt"), std::string());
        QCOMPARE(f_->ReadFile("Backups/seznam1.txt"), std::string());
        f_->Close();
        f_->Destroy();
        f_->Open();
        for (int list = 1; list <= 5; ++list) QCOMPARE(f_->Combo(list)->count(), 0);
        for (int block = 1; block <= 8; ++block) QCOMPARE(f_->Block(block)->toPlainText(), QString());
        QCOMPARE(f_->Form().FormStorage().ReadStoredValue("smtpserver"), TVariant(std::string()));
        QVERIFY(!VarToBool(f_->Form().FormStorage().ReadStoredValue("smtpovereni")));
        QVERIFY(f_->Form().Attachments().Files().Files().isEmpty());
    }

    void deleteAfterAResetRemovesNothingThenTheFirstEntry() {
        QVERIFY(QDir().mkpath(BackupsPath()));
        AddEntryQuietly(4, "sBitBtn8", "one");
        f_->Form().SetSelectedIndex(4, 0);
        Reset();
        f_->Click("sBitBtn2");
        QCOMPARE(f_->Combo(4)->count(), 0);
        AddEntryQuietly(4, "sBitBtn8", "first");
        AddEntryQuietly(4, "sBitBtn8", "second");
        f_->Click("sBitBtn2");
        QCOMPARE(f_->Combo(4)->count(), 1);
        QCOMPARE(f_->Combo(4)->itemText(0), QString("second"));
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::ResetTest)
#include "tst_reset.moc"
