// Signing in to a Microsoft account and sending with its token, through the real window: the
// settings dialog's provider choice and sign-in panel, a test identity provider on 127.0.0.1
// (oauth_provider.py), an SMTP server that takes XOAUTH2 only and asks the provider about every
// token, and a "browser" that follows the authorization address as a URL handler of the desktop.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QUrlQuery>

#include "DovecotServer.h"
#include "app/ErrorTexts.h"
#include "app/account/MainWindowAccount.h"
#include "app/account/MicrosoftRegistrationFields.h"
#include "app/account/MicrosoftSettings.h"
#include "app/account/MicrosoftSignInPanel.h"
#include "app/account/MicrosoftTokens.h"
#include "app/account/ProviderSection.h"
#include "app/account/SentCopySection.h"
#include "app/account/SmtpSettingsDialog.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/send/MainWindowSend.h"
#include "support/ComposerFixture.h"
#include "support/SendWaiting.h"
#include "support/SignInPeers.h"
#include "support/TempConfigHome.h"

using namespace quillory;
using namespace quillory::test;

namespace {

const QString kClientId = "quillory-test-client";
const QString kUser = "jana@firma.cz";

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything the program logs through Qt while a test runs.
QStringList logged;
void Record(QtMsgType, const QMessageLogContext&, const QString& message) { logged.append(message); }

// The main window with the shipped provider presets and, unless told otherwise, the sign-in
// pointed at the test provider through the INI file's [Microsoft] section.
class SignInSetup {
public:
    // Without `withClientId` the INI file names the test provider's endpoints only: the client id
    // is the one typed into the sign-in panel.
    explicit SignInSetup(bool useTestProvider = true, bool withClientId = true) {
        f.WriteEmptyBlocks();
        f.WriteFile("providers.ini", ReadAll(QUILLORY_PROVIDERS_FILE).toStdString());
        if (useTestProvider) {
            QFile ini(home.IniPath());
            if (!ini.open(QIODevice::WriteOnly)) qFatal("cannot write the INI file");
            const QString clientId =
                withClientId ? QStringLiteral("ClientId=%1\r\n").arg(kClientId) : QString();
            ini.write(QStringLiteral("[Microsoft]\r\n%1AuthorizeUrl=%2\r\nTokenUrl=%3\r\n")
                          .arg(clientId, provider.Url("/authorize"), provider.Url("/token"))
                          .toUtf8());
        }
        f.Open();
    }

    TForm2& Dialog() {
        TForm2& dialog = f.Form().Account().Form2();
        if (!dialog.isVisible()) dialog.show();
        return dialog;
    }
    ProviderSection& Section() { return *Dialog().provider; }
    MicrosoftSignInPanel& Panel() { return *Section().microsoftPanel; }

    void Choose(const QString& id) {
        QComboBox* choice = Section().provider;
        const int index = choice->findData(id);
        if (index < 0) qFatal("no provider %s", qPrintable(id));
        choice->setCurrentIndex(index);
        emit choice->activated(index);
    }

    // Clicks "Přihlásit se účtem Microsoft" and waits for the sign-in's end.
    bool SignIn() {
        QSignalSpy ended(&Panel().SignIn(), &MicrosoftSignIn::finished);
        QTest::mouseClick(Panel().signInButton, Qt::LeftButton);
        return !ended.isEmpty() || ended.wait(20000);
    }

    // Microsoft chosen, the server set to the XOAUTH2 server, signed in, and the dialog confirmed.
    bool SetUpSignedIn(const TXOAuth2SmtpServer& smtp) {
        Choose("microsoft");
        Dialog().sEdit1->setText(QStringLiteral("127.0.0.1:%1").arg(smtp.Port()));
        Dialog().sEdit2->setText(kUser);
        if (!SignIn()) return false;
        Confirm();
        return f.Form().Account().Microsoft().SignedIn();
    }

    // As SetUpSignedIn, with the copy of sent messages going to `dovecot` (ticked before the
    // sign-in, so that the sign-in asks for the IMAP scope too).
    bool SetUpSignedInWithCopy(const TXOAuth2SmtpServer& smtp, const DovecotServer& dovecot) {
        Choose("microsoft");
        Dialog().sEdit1->setText(QStringLiteral("127.0.0.1:%1").arg(smtp.Port()));
        Dialog().sEdit2->setText(kUser);
        SentCopySection& copy = *Dialog().sentCopy;
        copy.toServer->setChecked(true);
        copy.server->setText(QStringLiteral("127.0.0.1:%1").arg(dovecot.ImapPort()));
        if (!SignIn()) return false;
        Confirm();
        return f.Form().Account().Microsoft().SignedIn();
    }

    void Confirm() {
        Dialog().StoreFields();
        Dialog().hide();
    }

    void PrepareMessage() {
        f.Get<QLineEdit>("sEdit1")->setText("prijemce@firma.cz");
        f.Combo(5)->setEditText("Jana Nováková <jana@firma.cz>");
        f.Combo(4)->setEditText("Nabídka");
    }

    QStringList Messages() const {
        QStringList texts;
        for (const auto& message : f.desktop.messages) texts.append(message.text);
        return texts;
    }

    TTempConfigHome home;
    TOAuthProvider provider{kClientId, kUser};
    TComposerFixture f;
};

}  // namespace

class SignInTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qInstallMessageHandler(Record); }

    void signsInInTheBrowserAndSendsWithXOAuth2() {
        SignInSetup s;
        TXOAuth2SmtpServer smtp(s.provider);
        QVERIFY(s.provider.Port() > 0 && smtp.Port() > 0);
        TTestBrowser browser;
        QVERIFY(s.SetUpSignedIn(smtp));

        // The browser was sent to the authorization page with PKCE S256, a state and the loopback.
        QCOMPARE(browser.opened.size(), 1);
        const QUrlQuery query(browser.opened[0]);
        QCOMPARE(browser.opened[0].path(), QString("/authorize"));
        QCOMPARE(query.queryItemValue("client_id"), kClientId);
        QCOMPARE(query.queryItemValue("code_challenge_method"), QString("S256"));
        QVERIFY(query.queryItemValue("redirect_uri", QUrl::FullyDecoded).startsWith("http://127.0.0.1:"));
        QCOMPARE(query.queryItemValue("scope", QUrl::FullyDecoded).split(' ').mid(0, 2),
                 (QStringList{"https://outlook.office.com/SMTP.Send", "offline_access"}));
        QCOMPARE(query.queryItemValue("login_hint", QUrl::FullyDecoded), kUser);
        QVERIFY(!s.provider.Next("issued authorization_code").isEmpty());
        // The redirect's page tells the user in Czech to return to the program.
        QTRY_VERIFY_WITH_TIMEOUT(browser.page.contains("vrátit se do programu Quillory"), 10000);
        QCOMPARE(browser.status, 200);
        // The loopback listener is open only during the sign-in.
        const QUrl redirect(query.queryItemValue("redirect_uri", QUrl::FullyDecoded));
        QTcpSocket late;
        late.connectToHost("127.0.0.1", quint16(redirect.port()));
        QVERIFY(!late.waitForConnected(5000));

        s.Dialog();
        QCOMPARE(s.Panel().signInStatus->text(), "Přihlášen účet Microsoft: " + kUser);
        QVERIFY(s.Panel().signOutButton->isVisible());
        QVERIFY(!s.Dialog().sEdit3->isEnabled());  // no password with Microsoft
        s.Dialog().hide();

        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        QCOMPARE(s.Messages(), QStringList());
        const QString delivery = smtp.Next("message ");
        QVERIFY2(delivery.startsWith("message XOAUTH2 " + kUser + " jana@firma.cz prijemce@firma.cz "),
                 qPrintable(delivery));
        QVERIFY(smtp.Pending().filter("refused").isEmpty());
    }

    void aTokenTheServerRefusesIsRenewedOnceAndTheNextSendDelivered() {
        SignInSetup s;
        TXOAuth2SmtpServer smtp(s.provider);
        TTestBrowser browser;
        QVERIFY(s.SetUpSignedIn(smtp));
        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        QVERIFY(!smtp.Next("message ").isEmpty());

        // The provider ends the access token before the program thinks it expires: the server
        // refuses it, the program renews it with the refresh token and sends once more.
        QVERIFY(s.provider.Command("expire"));
        QVERIFY(SendAndWait(s.f, 30000));
        QVERIFY2(s.Messages().isEmpty(), qPrintable(s.Messages().join('|')));
        QCOMPARE(smtp.Next("refused"), "refused " + kUser);
        QVERIFY(!s.provider.Next("issued refresh_token").isEmpty());
        QVERIFY(smtp.Next("message ").startsWith("message XOAUTH2 " + kUser));
    }

    void aTokenAboutToExpireIsRenewedBeforeTheSend() {
        SignInSetup s;
        TXOAuth2SmtpServer smtp(s.provider);
        TTestBrowser browser;
        // Tokens that last a minute have less than the five minutes the program wants left.
        QVERIFY(s.provider.Command("lifetime 60"));
        QVERIFY(s.SetUpSignedIn(smtp));
        s.PrepareMessage();
        for (int send = 0; send < 2; ++send) {
            QVERIFY(SendAndWait(s.f, 30000));
            QVERIFY2(s.Messages().isEmpty(), qPrintable(s.Messages().join('|')));
            QVERIFY(!s.provider.Next("issued refresh_token").isEmpty());
            QVERIFY(smtp.Next("message ").startsWith("message XOAUTH2 " + kUser));
        }
        QVERIFY(smtp.Pending().filter("refused").isEmpty());
    }

    void theCopyGoesToTheMailboxWithTheTokenRenewedOnceWhenRefused() {
        SignInSetup s;
        TXOAuth2SmtpServer smtp(s.provider);
        DovecotServer::TOptions options;
        options.oauth2IntrospectionUrl = s.provider.Url("/introspect/imap").toStdString();
        DovecotServer dovecot(kUser.toStdString(), "heslo se nepouzije", options);
        QVERIFY2(dovecot.Started(), dovecot.StartError().c_str());
        TTestBrowser browser;
        QVERIFY(s.SetUpSignedInWithCopy(smtp, dovecot));
        QVERIFY(QUrlQuery(browser.opened.value(0))
                    .queryItemValue("scope", QUrl::FullyDecoded)
                    .split(' ')
                    .contains("https://outlook.office.com/IMAP.AccessAsUser.All"));

        // "Načíst složky" signs in with the token too.
        s.Dialog();
        SentCopySection& section = *s.Dialog().sentCopy;
        QTest::mouseClick(section.fetch, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(section.note->text().startsWith("Složka Odeslané na serveru"), 20000);
        QCOMPARE(section.folder->currentText(), QString("Odeslané"));
        s.Confirm();
        QCOMPARE(s.provider.Next("introspect-imap"), QString("introspect-imap active"));

        // The copy is the delivered message, stored with AUTHENTICATE XOAUTH2.
        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        QVERIFY2(s.Messages().isEmpty(), qPrintable(s.Messages().join('|')));
        const QStringList delivery = smtp.Next("message ").split(' ');
        QCOMPARE(delivery.value(1), QString("XOAUTH2"));
        QCOMPARE(s.provider.Next("introspect-imap"), QString("introspect-imap active"));
        auto stored = dovecot.Messages("Odeslané");
        QCOMPARE(stored.size(), std::size_t(1));
        QCOMPARE(QByteArray::fromStdString(stored[0].bytes),
                 QByteArray::fromHex(delivery.value(5).toLatin1()));
        QVERIFY(dovecot.LogHas("method=XOAUTH2"));

        // The mailbox refuses the token the SMTP server still takes: it is renewed once, and the
        // copy stored with the new one.
        QVERIFY(s.provider.Command("expire-imap"));
        QVERIFY(SendAndWait(s.f, 30000));
        QVERIFY2(s.Messages().isEmpty(), qPrintable(s.Messages().join('|')));
        QVERIFY(!smtp.Next("message ").isEmpty());
        QCOMPARE(s.provider.Next("introspect-imap"), QString("introspect-imap inactive"));
        QVERIFY(!s.provider.Next("issued refresh_token").isEmpty());
        QCOMPARE(s.provider.Next("introspect-imap"), QString("introspect-imap active"));
        QCOMPARE(dovecot.Messages("Odeslané").size(), std::size_t(2));

        // A mailbox that refuses every token: one warning with the advice and the server's text,
        // the message delivered once.
        QVERIFY(s.provider.Command("refuse-imap"));
        QVERIFY(SendAndWait(s.f, 30000));
        QVERIFY(!smtp.Next("message ").isEmpty());
        const QStringList renewed = s.provider.Next("issued refresh_token").split(' ').mid(2);
        QCOMPARE(renewed.size(), 2);
        QCOMPARE(s.f.desktop.messages.size(), 1);
        const QString warning = s.f.desktop.messages[0].text;
        QVERIFY2(warning.startsWith("Zpráva byla odeslána, ale její kopii se nepodařilo uložit.") &&
                     warning.contains("Server odmítl přihlášení účtem Microsoft i po jeho obnovení.") &&
                     warning.contains("AUTHENTICATE: NO"),
                 qPrintable(warning));
        for (const QString& token : renewed) QVERIFY(!warning.contains(token));
        QCOMPARE(dovecot.Messages("Odeslané").size(), std::size_t(2));
        QVERIFY(smtp.Pending().filter("message").isEmpty());
    }

    void aCopyTurnedOnAfterTheSignInAsksForANewOne() {
        SignInSetup s;
        TXOAuth2SmtpServer smtp(s.provider);
        TTestBrowser browser;
        QVERIFY(s.SetUpSignedIn(smtp));  // the copy off: the sign-in asked for SMTP alone
        const QString hint = "Pro kopii odeslané pošty na serveru se přihlaste znovu";
        s.Dialog();
        QVERIFY(!s.Panel().signInStatus->text().contains(hint));
        s.Dialog().sentCopy->toServer->setChecked(true);
        QVERIFY2(s.Panel().signInStatus->text().contains(hint), qPrintable(s.Panel().signInStatus->text()));

        // A new sign-in asks for IMAP too, and the hint goes; a renewal keeps what was granted.
        QVERIFY(s.SignIn());
        QCOMPARE(browser.opened.size(), 2);
        QVERIFY(QUrlQuery(browser.opened[1])
                    .queryItemValue("scope", QUrl::FullyDecoded)
                    .contains("https://outlook.office.com/IMAP.AccessAsUser.All"));
        QVERIFY(!s.Panel().signInStatus->text().contains(hint));
        s.Confirm();
        QVERIFY(s.f.Form().Account().Microsoft().GrantsImap());
        QVERIFY(s.provider.Command("expire"));
        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        QVERIFY(!s.provider.Next("issued refresh_token").isEmpty());
        QVERIFY(s.f.Form().Account().Microsoft().GrantsImap());
        s.Dialog();
        QVERIFY(!s.Panel().signInStatus->text().contains(hint));
        s.Dialog().hide();
    }

    void aRevokedSignInAsksToSignInAgainWithNothingSent() {
        SignInSetup s;
        TXOAuth2SmtpServer smtp(s.provider);
        TTestBrowser browser;
        QVERIFY(s.SetUpSignedIn(smtp));
        QVERIFY(s.provider.Command("revoke"));
        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        QCOMPARE(s.f.desktop.messages.size(), 1);
        const QString text = s.f.desktop.messages[0].text;
        QVERIFY2(text.startsWith("Chyba: Přihlášení účtem Microsoft vypršelo nebo bylo zrušeno. Přihlaste se "
                                 "znovu"),
                 qPrintable(text));
        QVERIFY(text.contains("Zpráva nebyla odeslána."));
        QVERIFY(text.contains("AADSTS70000"));
        QCOMPARE(s.provider.Next("refused refresh_token"), QString("refused refresh_token invalid_grant"));
        // The server refused the revoked access token, and no message reached it.
        QCOMPARE(smtp.Next("refused"), "refused " + kUser);
        QVERIFY(smtp.Pending().filter("message").isEmpty());
        // The dead refresh token is forgotten: the panel asks for a sign-in.
        QVERIFY(!s.f.Form().Account().Microsoft().SignedIn());
        s.Dialog();
        QVERIFY(s.Panel().signInStatus->text().contains("není přihlášen"));
        s.Dialog().hide();
        // A second send says the same without asking any server.
        QVERIFY(SendAndWait(s.f, 30000));
        QCOMPARE(s.f.desktop.messages.size(), 2);
        QVERIFY(s.f.desktop.messages[1].text.startsWith("Chyba: Přihlášení účtem Microsoft vypršelo"));
        QVERIFY(smtp.Pending().isEmpty());
    }

    void aSignInThatDoesNotCompleteSaysWhy_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("access denied")
            << "refuse access_denied The user has denied access to the scope requested."
            << "Přihlášení bylo v prohlížeči odmítnuto nebo zrušeno.";
        QTest::newRow("consent required")
            << "refuse consent_required AADSTS65001: The user or administrator has not consented"
            << "Účet Microsoft nedal programu Quillory souhlas s odesíláním pošty.";
        QTest::newRow("administrator's approval")
            << "refuse access_denied AADSTS90094: The grant requires admin permission."
            << "Přihlášení vyžaduje schválení správcem.";
        QTest::newRow("wrong state")
            << "wrong-state"
            << "Odpověď z prohlížeče nepatří k tomuto přihlášení (nesouhlasí kontrolní "
               "údaj „state“)";
    }

    void aSignInThatDoesNotCompleteSaysWhy() {
        QFETCH(QString, command);
        QFETCH(QString, message);
        SignInSetup s;
        TTestBrowser browser;
        QVERIFY(s.provider.Command(command));
        s.Choose("microsoft");
        QVERIFY(s.SignIn());
        QVERIFY2(s.Panel().signInStatus->text().startsWith(message),
                 qPrintable(s.Panel().signInStatus->text()));
        QVERIFY(s.Panel().signInStatus->text().contains("Účet Microsoft není přihlášen."));
        QVERIFY(!s.f.Form().Account().Microsoft().SignedIn());
        QTRY_VERIFY_WITH_TIMEOUT(browser.page.contains("Přihlášení se nezdařilo"), 10000);
        // No code was exchanged: the provider issued nothing.
        QVERIFY(s.provider.Pending().filter("issued").isEmpty());
    }

    void aSignInEndsAfterItsTimeLimitOrWhenCancelled() {
        SignInSetup s;
        TTestBrowser browser(false);  // the user never finishes in the browser
        s.f.Form().Account().Microsoft().SetTimeLimitMs(300);
        s.Choose("microsoft");
        QVERIFY(s.SignIn());
        QVERIFY2(s.Panel().signInStatus->text().startsWith(
                     "Přihlášení v prohlížeči nebylo dokončeno do 5 minut, proto bylo ukončeno."),
                 qPrintable(s.Panel().signInStatus->text()));
        QCOMPARE(browser.opened.size(), 1);

        s.f.Form().Account().Microsoft().SetTimeLimitMs(60000);
        QSignalSpy ended(&s.Panel().SignIn(), &MicrosoftSignIn::finished);
        QTest::mouseClick(s.Panel().signInButton, Qt::LeftButton);
        QVERIFY(s.Panel().cancelButton->isVisible());
        QVERIFY(s.Panel().signInStatus->text().startsWith("Dokončete přihlášení v prohlížeči"));
        QTest::mouseClick(s.Panel().cancelButton, Qt::LeftButton);
        QCOMPARE(ended.size(), 1);
        QVERIFY(s.Panel().signInStatus->text().startsWith("Přihlášení bylo zrušeno."));
        QVERIFY(!s.Panel().cancelButton->isVisible());
        QVERIFY(!s.f.Form().Account().Microsoft().SignedIn());
    }

    void theSignInIsKeptAcrossARunAndNoTokenIsEverShown() {
        SignInSetup s;
        TXOAuth2SmtpServer smtp(s.provider);
        TTestBrowser browser;
        logged.clear();
        QVERIFY(s.SetUpSignedIn(smtp));
        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        QVERIFY(!smtp.Next("message ").isEmpty());
        QStringList tokens = s.provider.Next("issued authorization_code").split(' ').mid(2);
        QCOMPARE(tokens.size(), 2);
        s.f.Close();
        s.f.Destroy();

        // A new run has no access token: the kept refresh token gets one, and the message goes.
        s.f.Open();
        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        const QStringList renewed = s.provider.Next("issued refresh_token").split(' ').mid(2);
        QCOMPARE(renewed.size(), 2);
        tokens += renewed;
        QVERIFY(smtp.Next("message ").startsWith("message XOAUTH2 " + kUser));
        // The failures a test can provoke show no token either.
        QVERIFY(s.provider.Command("revoke"));
        QVERIFY(SendAndWait(s.f, 30000));
        s.Dialog();
        const QString status = s.Panel().signInStatus->text();
        s.Dialog().hide();
        s.f.Close();

        const QByteArray ini = ReadAll(s.home.IniPath());
        QVERIFY(ini.contains("oauthobnova="));
        QStringList shown = s.Messages() + logged;
        shown << status << QString::fromUtf8(ini);
        for (const QString& token : tokens) {
            QVERIFY(token.size() > 20);
            for (const QString& text : shown) QVERIFY2(!text.contains(token), qPrintable(text));
        }
    }

    void signingOutForgetsTheAccount() {
        SignInSetup s;
        TXOAuth2SmtpServer smtp(s.provider);
        TTestBrowser browser;
        QVERIFY(s.SetUpSignedIn(smtp));
        s.Dialog();
        QTest::mouseClick(s.Panel().signOutButton, Qt::LeftButton);
        QCOMPARE(s.Panel().signInStatus->text(), QString("Účet Microsoft není přihlášen."));
        QVERIFY(!s.Panel().signOutButton->isVisible());
        s.Confirm();
        QVERIFY(!s.f.Form().Account().Microsoft().SignedIn());
        QVERIFY(s.f.Form().Account().Microsoft().Address().isEmpty());
        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        QCOMPARE(s.f.desktop.messages.size(), 1);
        QVERIFY(s.f.desktop.messages[0].text.startsWith("Chyba: Přihlášení účtem Microsoft vypršelo"));
    }

    void aBuildWithoutARegistrationAsksForOne() {
        if (!MicrosoftSettings::BuiltInClientId().isEmpty()) QSKIP("this build has a Microsoft registration");
        SignInSetup s(false);
        s.Choose("microsoft");
        QVERIFY(s.Section().microsoftPanel->isVisible());
        QVERIFY(s.Panel().registration && s.Panel().registration->isVisible());
        QVERIFY(s.Panel().signInStatus->text().startsWith(
            "Tato verze programu nemá registraci pro přihlášení účtem Microsoft. Zadejte ID aplikace"));
        QVERIFY(!s.Panel().signInButton->isEnabled());
        // A tenant that names no directory is told, and the sign-in stays off.
        s.Panel().registration->clientId->setText(kClientId);
        s.Panel().registration->tenant->setText("firma cz");
        emit s.Panel().registration->tenant->editingFinished();
        QVERIFY(s.Panel().signInStatus->text().contains("„firma cz“ není ID adresáře ani doména"));
        QVERIFY(!s.Panel().signInButton->isEnabled());
    }

    // A build without a registration: the client id typed into the panel is kept in [Microsoft]
    // and the sign-in runs with it against the test provider, which knows only that client.
    void aClientIdTypedIntoThePanelSignsIn() {
        if (!MicrosoftSettings::BuiltInClientId().isEmpty()) QSKIP("this build has a Microsoft registration");
        SignInSetup s(true, false);
        TXOAuth2SmtpServer smtp(s.provider);
        TTestBrowser browser;
        s.Choose("microsoft");
        QVERIFY(!s.Panel().signInButton->isEnabled());
        QTest::keyClicks(s.Panel().registration->clientId, kClientId);
        emit s.Panel().registration->clientId->editingFinished();
        QVERIFY(s.Panel().signInButton->isEnabled());
        s.Dialog().sEdit1->setText(QStringLiteral("127.0.0.1:%1").arg(smtp.Port()));
        s.Dialog().sEdit2->setText(kUser);
        QVERIFY(s.SignIn());
        QCOMPARE(s.Panel().signInStatus->text(), QString("Přihlášen účet Microsoft: %1").arg(kUser));
        QCOMPARE(QUrlQuery(browser.opened.value(0)).queryItemValue("client_id"), kClientId);
        s.Confirm();
        QVERIFY(ReadAll(s.home.IniPath()).contains(("ClientId=" + kClientId).toUtf8()));
        // The send logs in with the token of this registration.
        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        QCOMPARE(s.Messages(), QStringList());
        QVERIFY(smtp.Next("message ").startsWith("message XOAUTH2 " + kUser + " "));
        // Shown again at the next opening of the dialog.
        QCOMPARE(s.Dialog().provider->microsoftPanel->registration->clientId->text(), kClientId);
    }

    void aTenantChoosesItsDirectory_data() {
        QTest::addColumn<QString>("tenant");
        QTest::addColumn<QString>("authorize");
        QTest::addColumn<bool>("valid");
        QTest::newRow("none: every account")
            << ""
            << "https://login.microsoftonline.com/common/oauth2/v2.0/authorize" << true;
        QTest::newRow("domain") << "firma.cz"
                                << "https://login.microsoftonline.com/firma.cz/oauth2/v2.0/authorize" << true;
        QTest::newRow("directory ID")
            << "72f988bf-86f1-41af-91ab-2d7cd011db47"
            << "https://login.microsoftonline.com/72f988bf-86f1-41af-91ab-2d7cd011db47/oauth2/v2.0/authorize"
            << true;
        QTest::newRow("organizations")
            << "organizations"
            << "https://login.microsoftonline.com/organizations/oauth2/v2.0/authorize" << true;
        QTest::newRow("a path in disguise") << "firma.cz/../evil"
                                            << "" << false;
        QTest::newRow("a space") << "firma cz"
                                 << "" << false;
        QTest::newRow("a bare word") << "firma"
                                     << "" << false;
    }

    void aTenantChoosesItsDirectory() {
        QFETCH(QString, tenant);
        QFETCH(QString, authorize);
        QFETCH(bool, valid);
        TTempConfigHome home;
        WriteMicrosoftRegistration(home.IniPath().toStdString(), {kClientId, tenant});
        const MicrosoftSettings settings = ReadMicrosoftSettings(home.IniPath().toStdString());
        QCOMPARE(ReadMicrosoftRegistration(home.IniPath().toStdString()).tenant, tenant);
        QCOMPARE(settings.clientId, kClientId);
        QCOMPARE(!settings.Problem().has_value(), valid);
        if (valid) {
            QCOMPARE(settings.authorizeEndpoint.toString(), authorize);
            QCOMPARE(settings.tokenEndpoint.toString(), QString(authorize).replace("authorize", "token"));
        }
    }

    void eachPresetFillsItsServers_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("smtp");
        QTest::addColumn<QString>("imap");
        QTest::addColumn<bool>("microsoft");
        QTest::addColumn<QString>("link");
        QTest::newRow("Seznam") << "seznam"
                                << "smtp.seznam.cz:465"
                                << "imap.seznam.cz:993" << false << "https://napoveda.seznam.cz/";
        QTest::newRow("Centrum") << "centrum"
                                 << "smtp.centrum.cz:465"
                                 << "imap.centrum.cz:993" << false << "";
        QTest::newRow("Gmail") << "gmail"
                               << "smtp.gmail.com:465"
                               << "imap.gmail.com:993" << false << "https://support.google.com/";
        QTest::newRow("Microsoft") << "microsoft"
                                   << "smtp.office365.com:587"
                                   << "outlook.office365.com:993" << true << "";
    }

    void eachPresetFillsItsServers() {
        QFETCH(QString, id);
        QFETCH(QString, smtp);
        QFETCH(QString, imap);
        QFETCH(bool, microsoft);
        QFETCH(QString, link);
        SignInSetup s;
        TForm2& dialog = s.Dialog();
        QCOMPARE(s.Section().provider->currentText(), QString("Jiný"));
        QCOMPARE(s.Section().provider->count(), 5);
        s.Choose(id);
        QCOMPARE(dialog.sEdit1->text(), smtp);
        QCOMPARE(dialog.sentCopy->server->text(), imap);
        QVERIFY(dialog.sCheckBox1->isChecked());
        QCOMPARE(s.Section().microsoftPanel->isVisible(), microsoft);
        QCOMPARE(dialog.sEdit3->isEnabled(), !microsoft);
        QCOMPARE(s.Section().hint->text().contains("<a href=\"" + link), !link.isEmpty());
        if (!link.isEmpty()) QVERIFY(s.Section().hint->text().contains("heslo pro aplikace"));
        // The fields stay the user's to change; the choice and the method are kept with the account.
        dialog.sEdit1->setText(smtp + "0");
        s.Confirm();
        const TSmtpAccount account = ReadSmtpAccount(s.f.Form().FormStorage());
        QCOMPARE(QString::fromStdString(account.server), smtp + "0");
        QCOMPARE(QString::fromStdString(account.sentCopy.server), imap);
        QCOMPARE(QString::fromStdString(account.oauth.provider), id);
        QCOMPARE(account.oauth.method == TLoginMethod::Microsoft, microsoft);
        s.Dialog();
        QCOMPARE(s.Section().provider->currentData().toString(), id);

        // "Jiný" keeps today's fields as they are.
        s.Choose("");
        QCOMPARE(dialog.sEdit1->text(), smtp + "0");
        QVERIFY(dialog.sEdit3->isEnabled());
        QVERIFY(!s.Section().microsoftPanel->isVisible());
    }

    void anAddressTypedAsTheLoginOffersItsProvider_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("smtp");
        for (const char* domain : {"seznam.cz", "email.cz", "post.cz"})
            QTest::newRow(domain) << QString("jana@%1").arg(domain) << "Seznam.cz / Email.cz"
                                  << "smtp.seznam.cz:465";
        for (const char* domain : {"centrum.cz", "atlas.cz"})
            QTest::newRow(domain) << QString("jana@%1").arg(domain) << "Centrum.cz / Atlas.cz"
                                  << "smtp.centrum.cz:465";
        QTest::newRow("gmail.com") << "jana@Gmail.com"
                                   << "Gmail"
                                   << "smtp.gmail.com:465";
        for (const char* domain : {"outlook.com", "hotmail.com", "live.com"})
            QTest::newRow(domain) << QString("jana@%1").arg(domain) << "Microsoft 365 / Outlook.com"
                                  << "smtp.office365.com:587";
        QTest::newRow("unknown domain") << "jana@firma.cz"
                                        << ""
                                        << "";
    }

    void anAddressTypedAsTheLoginOffersItsProvider() {
        QFETCH(QString, address);
        QFETCH(QString, name);
        QFETCH(QString, smtp);
        SignInSetup s;
        TForm2& dialog = s.Dialog();
        dialog.sCheckBox1->setChecked(true);
        dialog.sEdit1->setText("smtp.firma.cz");
        TComposerFixture::Type(dialog.sEdit2, address);
        QCOMPARE(s.Section().offer->isVisible(), !name.isEmpty());
        if (name.isEmpty()) return;
        QCOMPARE(s.Section().offer->text(), QString("Použít nastavení: %1").arg(name));
        QCOMPARE(dialog.sEdit1->text(), QString("smtp.firma.cz"));  // only offered
        QTest::mouseClick(s.Section().offer, Qt::LeftButton);
        QCOMPARE(s.Section().provider->currentText(), name);
        QCOMPARE(dialog.sEdit1->text(), smtp);
        QVERIFY(!s.Section().offer->isVisible());
    }

    void aRefusedPasswordIsExplained_data() {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("advice");
        QTest::newRow("basic authentication disabled (5.7.139)")
            << "535 5.7.139 Authentication unsuccessful, basic authentication is disabled. [VI1PR0101CA0001]"
            << "Microsoft u tohoto účtu nepřijímá přihlášení heslem. V Nastavení → Odchozí pošta zvolte "
               "poskytovatele „Microsoft 365 / Outlook.com“ a přihlaste se účtem Microsoft.";
        QTest::newRow("basic authentication disabled (5.7.3)")
            << "535 5.7.3 Authentication unsuccessful, basic authentication is disabled."
            << "Microsoft u tohoto účtu nepřijímá přihlášení heslem.";
        QTest::newRow("Gmail wants an application password")
            << "534-5.7.9 Application-specific password required. Learn more at\r\n534 5.7.9  "
               "https://support.google.com/mail/?p=InvalidSecondFactor a640c23a62f3a-aa - gsmtp"
            << "Gmail přijímá od poštovních programů jen heslo pro aplikace.";
        QTest::newRow("Gmail refuses the password")
            << "535-5.7.8 Username and Password not accepted. For more information, go to\r\n535 5.7.8  "
               "https://support.google.com/mail/?p=BadCredentials 5b1f17b1804b1-43 - gsmtp"
            << "Gmail přijímá od poštovních programů jen heslo pro aplikace.";
    }

    void aRefusedPasswordIsExplained() {
        QFETCH(QString, refusal);
        QFETCH(QString, advice);
        TScriptedSmtp server({"220 mail.example ESMTP", "250-mail.example\r\n250 AUTH LOGIN", "250 reset",
                              "334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6", refusal});
        SignInSetup s(false);
        TSmtpAccount account;
        account.server = QStringLiteral("127.0.0.1:%1").arg(server.Port()).toStdString();
        account.authenticate = true;
        account.login = "jana";
        account.password = "heslo";
        WriteSmtpAccount(s.f.Form().FormStorage(), account);
        s.PrepareMessage();
        QVERIFY(SendAndWait(s.f, 30000));
        QCOMPARE(s.f.desktop.messages.size(), 1);
        const QString text = s.f.desktop.messages[0].text;
        QVERIFY2(text.startsWith("Chyba: Server odmítl přihlášení. " + advice), qPrintable(text));
        // The server's own words stay in the message, with its code.
        const QString lastLine = refusal.section("\r\n", -1).mid(4);
        QVERIFY2(text.contains("Odpověď serveru: " + refusal.left(3)), qPrintable(text));
        QVERIFY2(text.contains(lastLine), qPrintable(text));
        QVERIFY(!server.lines.contains("MAIL FROM:<jana@firma.cz>"));
    }

    void adviceDependsOnTheServerAndItsWords_data() {
        QTest::addColumn<QString>("mechanism");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("adviceStart");
        QTest::newRow("Seznam refuses") << "LOGIN"
                                        << "smtp.seznam.cz" << 535 << "5.7.8 Authentication failed"
                                        << "Seznam odmítl heslo.";
        QTest::newRow("Email.cz refuses") << "PLAIN"
                                          << "SMTP.Email.cz." << 535 << "auth failed"
                                          << "Seznam odmítl heslo.";
        QTest::newRow("Gmail by host") << "LOGIN"
                                       << "smtp.gmail.com" << 535 << "bad"
                                       << "Gmail přijímá";
        QTest::newRow("another provider refuses") << "LOGIN"
                                                  << "smtp.firma.cz" << 535 << "5.7.8 bad"
                                                  << "";
        QTest::newRow("Seznam, not a refusal") << "LOGIN"
                                               << "smtp.seznam.cz" << 454 << "try later"
                                               << "";
        QTest::newRow("5.7.3 alone is a wrong password")
            << "LOGIN"
            << "smtp.office365.com" << 535 << "5.7.3 Authentication unsuccessful"
            << "";
        QTest::newRow("a refused token")
            << "XOAUTH2"
            << "smtp.office365.com" << 535
            << "5.7.139 Authentication unsuccessful, SmtpClientAuthentication is "
               "disabled for the Mailbox."
            << "Server odmítl přihlášení účtem Microsoft i po jeho obnovení. Správce";
    }

    void adviceDependsOnTheServerAndItsWords() {
        QFETCH(QString, mechanism);
        QFETCH(QString, host);
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(QString, adviceStart);
        const QString advice =
            RefusedLoginAdvice(mechanism.toStdString(), host.toStdString(), code, text.toStdString());
        QCOMPARE(advice.isEmpty(), adviceStart.isEmpty());
        if (!adviceStart.isEmpty()) QVERIFY2(advice.startsWith(adviceStart), qPrintable(advice));
    }
};

QTEST_MAIN(SignInTest)
#include "tst_signin.moc"
