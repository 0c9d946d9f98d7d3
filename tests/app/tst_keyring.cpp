// The SMTP password at rest, through the real window, with a real Secret Service: ctest runs this
// in a private D-Bus session with a keyring daemon of its own (tests/support/keyring_session.sh).
// Run alone, outside that session, it skips rather than touch the user's keyring.

#include <QLabel>

#include "app/account/MainWindowAccount.h"
#include "app/account/SmtpSettingsDialog.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/desktop/SecretServiceKeyring.h"
#include "storage/IniFile.h"
#include "storage/forms/FormStorage.h"
#include "support/ComposerFixture.h"
#include "support/TempConfigHome.h"

namespace quillory::test {

namespace {

const QString kInKeyring = "(uloženo v systémové klíčence)";
const QString kInIniFile = "(uloženo jen zakódované v souboru nastavení)";

// A keyring that never answers, as in a session whose keyring is locked or gone; it counts the
// writes it refused.
class TUnansweringKeyring final : public TKeyring {
public:
    TEntry Read(const QString&) override { return {}; }
    bool Write(const QString&, const QString&) override {
        ++writes;
        return false;
    }
    int writes = 0;
};

// Passes every call on to another keyring and counts them.
class TCountingKeyring final : public TKeyring {
public:
    explicit TCountingKeyring(TKeyring& inner) : inner_(inner) {}
    TEntry Read(const QString& name) override {
        ++reads;
        return inner_.Read(name);
    }
    bool Write(const QString& name, const QString& secret) override {
        ++writes;
        return inner_.Write(name, secret);
    }
    int reads = 0;
    int writes = 0;

private:
    TKeyring& inner_;
};

}  // namespace

class KeyringTest : public QObject {
    Q_OBJECT

    TSecretServiceKeyring keyring_;

    // The main window over a configuration folder of its own, restarted at will with one keyring
    // or another (none: the INI file keeps the password).
    struct TFixture {
        TTempConfigHome home;
        TComposerFixture composer;

        TFixture() { composer.WriteEmptyBlocks(); }
        void Start(TKeyring* keyring) {
            composer.desktop.keyring = keyring;
            composer.Open();
        }
        void Stop() {
            composer.Close();
            composer.Destroy();
        }
        void Restart(TKeyring* keyring) {
            Stop();
            Start(keyring);
        }
        // Sets the password in the settings dialog, as the user confirms it there.
        void SetPassword(const QString& password) {
            TForm2& dialog = composer.Form().Account().Form2();
            dialog.sCheckBox1->setChecked(true);
            dialog.sEdit2->setText("jan");
            dialog.sEdit3->setText(password);
            dialog.StoreFields();
        }
        QString Password() { return FromWin1250(ReadSmtpAccount(composer.Form().FormStorage()).password); }
        // The line the settings dialog shows beside "Heslo".
        QString PlaceLine() {
            TForm2& dialog = composer.Form().Account().Form2();
            dialog.show();
            const QString line = dialog.sLabel4->text();
            dialog.hide();
            return line;
        }
        // The password's key in the INI file as it stands on disk.
        std::string IniPassword() const {
            return TIniFile(home.IniPath().toStdString()).ReadValue("TForm1", "smtpheslo", "<missing>");
        }
        std::string IniBytes() const { return TComposerFixture::ReadPath(home.IniPath().toStdString()); }
        // What the keyring holds for this configuration folder's INI file.
        TKeyring::TEntry KeyringEntry(TKeyring& keyring) const {
            return keyring.Read("smtpheslo in " + home.IniPath());
        }
    };

private slots:
    void initTestCase() {
        if (!qEnvironmentVariableIsSet("QUILLORY_PRIVATE_KEYRING")) {
            const QString why = qEnvironmentVariable(
                "QUILLORY_KEYRING_SKIP", "run through ctest, which starts a private keyring session");
            QSKIP(qPrintable("no private keyring: " + why));
        }
        if (!keyring_.Write("probe", "probe"))
            QSKIP("the private keyring daemon does not answer on the session bus");
    }

    // The password goes into the keyring and its INI key stays empty; a restart restores it.
    void passwordLivesInTheKeyringAndSurvivesARestart() {
        TFixture f;
        f.Start(&keyring_);
        QCOMPARE(f.PlaceLine(), kInKeyring);
        f.SetPassword("tajné heslo");
        f.Restart(&keyring_);
        QCOMPARE(f.IniPassword(), std::string());
        QVERIFY(f.IniBytes().find("smtpheslo=\r\n") != std::string::npos);
        QCOMPARE(f.KeyringEntry(keyring_).secret, QString("tajné heslo"));
        QCOMPARE(f.Password(), QString("tajné heslo"));
        QCOMPARE(f.PlaceLine(), kInKeyring);

        // An emptied password is emptied in the keyring too, not read back from it.
        f.SetPassword("");
        f.Restart(&keyring_);
        QCOMPARE(f.Password(), QString());
        QCOMPARE(f.IniPassword(), std::string());
    }

    // The start does not wait on the keyring: the window's first show leaves it alone, and so
    // does a run that never needs the password, close included. The first need asks it once:
    // a send's or the settings dialog's reading of the account.
    void keyringIsAskedAtTheFirstNeedOnly() {
        TFixture f;
        f.Start(&keyring_);
        f.SetPassword("heslo");
        f.Stop();

        TCountingKeyring idle(keyring_);
        f.Start(&idle);
        QVERIFY(f.composer.Form().isVisible());
        QCOMPARE(idle.reads, 0);
        f.Stop();
        QCOMPARE(idle.reads, 0);
        QCOMPARE(idle.writes, 0);
        QCOMPARE(f.IniPassword(), std::string());

        // A send reads the account before it finds the server missing.
        TCountingKeyring send(keyring_);
        f.Start(&send);
        f.composer.Click("sBitBtn6");
        QVERIFY(!f.composer.desktop.messages.isEmpty());
        QCOMPARE(f.composer.desktop.messages.last().text,
                 QString("Není vyplněn server odchozí pošty (SMTP)"));
        QCOMPARE(send.reads, 1);
        f.Stop();
        QCOMPARE(send.writes, 0);

        TCountingKeyring dialog(keyring_);
        f.Start(&dialog);
        QCOMPARE(dialog.reads, 0);
        QCOMPARE(f.PlaceLine(), kInKeyring);
        QCOMPARE(dialog.reads, 1);
        QCOMPARE(f.composer.Form().Account().Form2().sEdit3->text(), QString("heslo"));
        QCOMPARE(f.Password(), QString("heslo"));
        QCOMPARE(dialog.reads, 1);
        f.Stop();
        QCOMPARE(dialog.writes, 0);
        QCOMPARE(f.KeyringEntry(keyring_).secret, QString("heslo"));
    }

    // A password stored scrambled in the INI file, by a run without a keyring, moves into the
    // keyring at the first need of a run with one: the INI key is emptied at once, not only at the
    // close. A run that does not need it leaves it in the INI file.
    void scrambledIniPasswordMovesIntoTheKeyringAtItsFirstUse() {
        TFixture f;
        f.Start(nullptr);
        QCOMPARE(f.PlaceLine(), kInIniFile);
        f.SetPassword("staré heslo");
        f.Stop();
        const std::string scrambled = f.IniPassword();
        QVERIFY(!scrambled.empty());
        QVERIFY(f.IniBytes().find("star") == std::string::npos);

        TCountingKeyring idle(keyring_);
        f.Start(&idle);
        f.Stop();
        QCOMPARE(idle.reads + idle.writes, 0);
        QCOMPARE(f.IniPassword(), scrambled);

        f.Start(&keyring_);
        QCOMPARE(f.IniPassword(), scrambled);
        QCOMPARE(f.Password(), QString("staré heslo"));
        QCOMPARE(f.IniPassword(), std::string());
        QVERIFY(f.IniBytes().find(scrambled) == std::string::npos);
        QCOMPARE(f.KeyringEntry(keyring_).secret, QString("staré heslo"));
        QCOMPARE(f.PlaceLine(), kInKeyring);
        f.Restart(&keyring_);
        QCOMPARE(f.Password(), QString("staré heslo"));
    }

    // A start whose keyring does not answer falls back to the INI file: the password it could not
    // read is not overwritten by the empty one of that run, and a password set meanwhile is kept
    // scrambled in the INI file until a keyring takes it.
    void unansweringKeyringNeverLosesThePassword() {
        TFixture f;
        f.Start(&keyring_);
        f.SetPassword("první");
        f.Stop();

        TUnansweringKeyring unanswering;
        f.Start(&unanswering);
        QCOMPARE(f.Password(), QString());
        QCOMPARE(f.PlaceLine(), kInIniFile);
        f.Stop();
        QCOMPARE(unanswering.writes, 0);
        QCOMPARE(f.KeyringEntry(keyring_).secret, QString("první"));
        f.Start(&keyring_);
        QCOMPARE(f.Password(), QString("první"));
        f.Stop();

        f.Start(&unanswering);
        f.SetPassword("druhé");
        f.Stop();
        QCOMPARE(unanswering.writes, 1);
        QVERIFY(!f.IniPassword().empty());
        f.Start(&keyring_);
        QCOMPARE(f.Password(), QString("druhé"));
        QCOMPARE(f.IniPassword(), std::string());
        QCOMPARE(f.KeyringEntry(keyring_).secret, QString("druhé"));
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::KeyringTest)
#include "tst_keyring.moc"
