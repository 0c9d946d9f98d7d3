// The outgoing-mail settings dialog opened from the real main window, and the recipient address
// check that the send command applies.
#include <QAction>
#include <QTimer>

#include <functional>

#include "app/account/MainWindowAccount.h"
#include "app/account/SmtpSettingsDialog.h"
#include "mail/AddressCheck.h"
#include "storage/forms/FormStorage.h"
#include "support/SettingsFixture.h"

namespace quillory::test {

class Form2Test : public QObject {
    Q_OBJECT

    std::unique_ptr<TSettingsFixture> fixture_;
    TComposerFixture* f_ = nullptr;

    TFormStorage& Storage() const { return f_->Form().FormStorage(); }
    TForm2& Dialog() const { return f_->Form().Account().Form2(); }

    // Opens the dialog with the settings button (or `menuItem`), runs `act` on it while it is
    // shown and returns its result.
    int OpenDialog(const std::function<void(TForm2&)>& act, const char* menuItem = nullptr) {
        QTimer::singleShot(0, &Dialog(), [this, act] {
            QVERIFY(Dialog().isVisible());
            act(Dialog());
            if (Dialog().isVisible()) Dialog().reject();
        });
        int result = -1;
        QObject::connect(
            &Dialog(), &QDialog::finished, &Dialog(), [&result](int r) { result = r; },
            Qt::SingleShotConnection);
        if (menuItem != nullptr) {
            f_->Form().findChild<QAction*>(menuItem)->trigger();
        } else {
            f_->Click("sBitBtn1");
        }
        return result;
    }
    static void Confirm(TForm2& dialog) { QTest::mouseClick(dialog.sBitBtn1, Qt::LeftButton); }

private slots:
    void init() {
        fixture_ = std::make_unique<TSettingsFixture>();
        f_ = &fixture_->composer;
    }
    void cleanup() { fixture_.reset(); }

    void opensBesideTheMainWindowWithTheStoredValues() {
        f_->Form().move(100, 50);
        Storage().WriteStoredValue("smtpserver", std::string("smtp.example.cz"));
        Storage().WriteStoredValue("smtplogin", std::string("jan"));
        Storage().WriteStoredValue("smtpheslo", std::string("heslo"));
        Storage().WriteStoredValue("smtpovereni", std::string("TRUE"));
        QPoint at;
        OpenDialog([&at](TForm2& dialog) {
            at = dialog.pos();
            QCOMPARE(dialog.sEdit1->text(), QString("smtp.example.cz"));
            QVERIFY(dialog.sCheckBox1->isChecked());
            QVERIFY(dialog.sEdit2->isEnabled());
            QCOMPARE(dialog.sEdit2->text(), QString("jan"));
            QCOMPARE(dialog.sEdit3->text(), QString("heslo"));
            QCOMPARE(dialog.sEdit3->echoMode(), QLineEdit::Password);
        });
        QCOMPARE(at, f_->Form().pos() + QPoint(330, 160));
    }

    void firstStartShowsAnUntickedBoxAndGreyedEmptyFields() {
        OpenDialog([](TForm2& dialog) {
            QVERIFY(!dialog.sCheckBox1->isChecked());
            QVERIFY(!dialog.sEdit2->isEnabled());
            QVERIFY(!dialog.sEdit3->isEnabled());
            QCOMPARE(dialog.sEdit2->text(), QString());
        });
    }

    void authenticationOffWritesOnlyTheFlag() {
        Storage().WriteStoredValue("smtplogin", std::string("jan"));
        Storage().WriteStoredValue("smtpheslo", std::string("heslo"));
        Storage().WriteStoredValue("smtpovereni", true);
        const int result = OpenDialog([](TForm2& dialog) {
            dialog.sEdit1->setText("  typed as is ");
            dialog.sCheckBox1->setChecked(false);
            QVERIFY(!dialog.sEdit2->isEnabled());
            QCOMPARE(dialog.sEdit2->text(), QString("jan"));  // greyed, text kept
            Confirm(dialog);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Storage().ReadStoredValue("smtpserver"), TVariant(std::string("  typed as is ")));
        QCOMPARE(Storage().ReadStoredValue("smtpovereni"), TVariant(false));
        QCOMPARE(Storage().ReadStoredValue("smtplogin"), TVariant(std::string("jan")));
        QCOMPARE(Storage().ReadStoredValue("smtpheslo"), TVariant(std::string("heslo")));
    }

    void tickingAfterARestartWithAuthenticationOffStoresTheEmptyFields() {
        Storage().WriteStoredValue("smtplogin", std::string("jan"));
        Storage().WriteStoredValue("smtpheslo", std::string("heslo"));
        f_->Close();
        f_->Destroy();
        f_->Open();
        QCOMPARE(Storage().ReadStoredValue("smtplogin"), TVariant(std::string("jan")));
        OpenDialog([](TForm2& dialog) {
            dialog.sCheckBox1->setChecked(true);
            QVERIFY(dialog.sEdit2->isEnabled());
            QCOMPARE(dialog.sEdit2->text(), QString());
            QCOMPARE(dialog.sEdit3->text(), QString());
            Confirm(dialog);
        });
        QCOMPARE(Storage().ReadStoredValue("smtpovereni"), TVariant(true));
        QCOMPARE(Storage().ReadStoredValue("smtplogin"), TVariant(std::string()));
        QCOMPARE(Storage().ReadStoredValue("smtpheslo"), TVariant(std::string()));
    }

    void cancelOrCloseStoresNothing_data() {
        QTest::addColumn<bool>("titleBarClose");
        QTest::newRow("Zrušit") << false;
        QTest::newRow("title bar") << true;
    }
    void cancelOrCloseStoresNothing() {
        QFETCH(bool, titleBarClose);
        Storage().WriteStoredValue("smtpserver", std::string("stored"));
        const int result = OpenDialog([titleBarClose](TForm2& dialog) {
            dialog.sEdit1->setText("edited");
            if (titleBarClose) {
                dialog.close();
            } else {
                QTest::mouseClick(dialog.sBitBtn2, Qt::LeftButton);
            }
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(Storage().ReadStoredValue("smtpserver"), TVariant(std::string("stored")));
        OpenDialog([](TForm2& dialog) { QCOMPARE(dialog.sEdit1->text(), QString("stored")); },
                   "Serverodchozpoty1");
    }

    void enterAndEscapeDoNotCloseAndAnEmptyServerCanBeConfirmed() {
        Storage().WriteStoredValue("smtpserver", std::string("old"));
        const int result = OpenDialog([](TForm2& dialog) {
            dialog.sEdit1->clear();
            QTest::keyClick(dialog.sEdit1, Qt::Key_Return);
            QTest::keyClick(dialog.sEdit1, Qt::Key_Enter);
            QTest::keyClick(dialog.sEdit1, Qt::Key_Escape);
            QVERIFY(dialog.isVisible());
            Confirm(dialog);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Storage().ReadStoredValue("smtpserver"), TVariant(std::string()));
    }

    void checkEmailAddress_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("accepted");
        const auto row = [](const char* name, QByteArray text, bool accepted) {
            QTest::newRow(name) << text << accepted;
        };
        row("plain address", "jan.novak@example.cz", true);
        row("single-label domain", "jan@localhost", false);
        row("label beginning with a digit", "jan@1example.cz", false);
        row("digit later in a label", "jan@ex4mple.cz", true);
        row("hyphens inside a label", "jan@my--host.example.cz", true);
        row("label ending with a hyphen", "jan@host-.cz", false);
        row("domain ending with a hyphen", "jan@host.cz-", false);
        row("Czech letter in the local part",
            "\xe8"
            "ern\xfd@example.cz",
            true);
        row("Czech letter in the domain",
            "jan@\xe8"
            "ern\xfd.cz",
            false);
        row("quoted string with a blank", "\"jan novak\"@example.cz", true);
        row("escaped quote and CR inside quotes", "\"a\\\"b\\\rc\"@example.cz", true);
        row("bare CR inside quotes", "\"a\rb\"@example.cz", false);
        row("quoted string after a dot", "jan.\"x y\"@example.cz", true);
        row("quoted string followed by a letter", "\"x\"y@example.cz", false);
        row("trailing blank", "jan@example.cz ", false);
        row("leading blank", " jan@example.cz", false);
        row("two addresses", "jan@example.cz;eva@example.cz", false);
        row("display name with angle brackets", "Jan <jan@example.cz>", false);
        row("lone at sign", "@", false);
        row("empty", "", false);
        row("leading dot", ".jan@example.cz", false);
        row("dot before the at sign", "jan.@example.cz", false);
        row("two dots in a row", "jan..novak@example.cz", false);
        row("trailing dot of the domain", "jan@example.cz.", false);
        row("address literal", "jan@[192.168.0.1]", false);
        row("special atom bytes", "!#$%&'*+-=?^_`{|}~@example.cz", true);
    }
    void checkEmailAddress() {
        QFETCH(QByteArray, text);
        QFETCH(bool, accepted);
        QCOMPARE(CheckEmailAddress(std::string_view(text.constData(), text.size())), accepted);
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::Form2Test)
#include "tst_form2.moc"
