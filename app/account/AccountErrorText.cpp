#include "app/account/AccountErrorText.h"

#include "app/Win1250Text.h"
#include "app/account/SignInErrors.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {

namespace {

bool HostIn(const QString& host, std::initializer_list<const char*> domains) {
    for (const char* domain : domains) {
        const QString name = QString::fromLatin1(domain);
        if (host == name || host.endsWith("." + name)) return true;
    }
    return false;
}

// The Czech text of a sign-in error being handled, `consequence` ("Zpráva nebyla odeslána.")
// after the reason when given; empty for the other errors.
QString SignInErrorText(const QString& consequence) {
    const QString tail = consequence.isEmpty() ? QString() : " " + consequence;
    try {
        throw;
    } catch (const ESignInRequired& error) {
        QString text = QStringLiteral(
                           "Přihlášení účtem Microsoft vypršelo nebo bylo zrušeno. Přihlaste se znovu v "
                           "Nastavení → Odchozí pošta (tlačítko „Přihlásit se účtem Microsoft“).") +
                       tail;
        if (!error.Description().empty())
            text += QStringLiteral("\n\nOdpověď přihlašovacího serveru: %1")
                        .arg(QString::fromUtf8(error.Description().c_str()));
        return text;
    } catch (const ESignInServerError& error) {
        return QStringLiteral("Přihlašovací server Microsoft odmítl obnovit přihlášení (%1%2).")
                   .arg(QString::fromUtf8(error.Error().c_str()),
                        error.Description().empty() ? QString()
                                                    : ": " + QString::fromUtf8(error.Description().c_str())) +
               tail;
    } catch (const ESignInServerUnreachable& error) {
        return QStringLiteral("Přihlašovací server Microsoft není dostupný (%1).")
                   .arg(QString::fromUtf8(error.NetworkError().c_str())) +
               tail;
    } catch (...) {
        return {};
    }
}

}  // namespace

QString RefusedLoginAdvice(const std::string& mechanism, const std::string& host, int code,
                           const std::string& serverText) {
    const QString text = FromWin1250(serverText);
    QString server = QString::fromStdString(host).toLower();
    while (server.endsWith('.')) server.chop(1);
    if (mechanism == "XOAUTH2") {
        return QStringLiteral(
            "Server odmítl přihlášení účtem Microsoft i po jeho obnovení. Správce Microsoft 365 musí "
            "pro tuto schránku povolit odesílání přes SMTP (SMTP AUTH); jinak se zkuste odhlásit a "
            "přihlásit znovu.");
    }
    const bool basicDisabled =
        text.contains("5.7.139") ||
        (text.contains("5.7.3") && text.contains("basic authentication is disabled", Qt::CaseInsensitive));
    if (code == 535 && basicDisabled) {
        return QStringLiteral(
            "Microsoft u tohoto účtu nepřijímá přihlášení heslem. V Nastavení → Odchozí pošta zvolte "
            "poskytovatele „Microsoft 365 / Outlook.com“ a přihlaste se účtem Microsoft.");
    }
    if (code != 534 && code != 535) return {};
    // Gmail's replies end with "gsmtp"; its servers are Google's.
    if (HostIn(server, {"gmail.com", "googlemail.com", "google.com"}) || text.contains("gsmtp")) {
        return QStringLiteral(
            "Gmail přijímá od poštovních programů jen heslo pro aplikace. V účtu Google zapněte "
            "dvoufázové ověření, vytvořte heslo pro aplikace a zadejte je v Nastavení → Odchozí pošta "
            "místo hesla k účtu.");
    }
    if (HostIn(server, {"seznam.cz", "email.cz", "post.cz"})) {
        return QStringLiteral(
            "Seznam odmítl heslo. Máte-li zapnuté dvoufázové přihlášení, přijímá Seznam od poštovních "
            "programů jen heslo pro aplikace: vytvořte je v nastavení účtu Seznam a zadejte je v "
            "Nastavení → Odchozí pošta místo hesla k účtu.");
    }
    return {};
}

QString SentCopyErrorText() {
    try {
        throw;
    } catch (const EImapTokenRefused& refused) {
        return QStringLiteral(
                   "Server odmítl přihlášení účtem Microsoft i po jeho obnovení. Pokud jste kopii "
                   "odeslané pošty zapnuli až po přihlášení, odhlaste se a přihlaste znovu, aby program "
                   "dostal i oprávnění k IMAP; jinak musí správce Microsoft 365 pro tuto schránku povolit "
                   "IMAP. Odpověď serveru: %1")
            .arg(FromWin1250(refused.Message()).trimmed());
    } catch (...) {
        return SignInErrorText({});
    }
}

QString AccountErrorText() {
    try {
        throw;
    } catch (const EIdSMTPLoginRefused& refused) {
        const QString advice =
            RefusedLoginAdvice(refused.Mechanism(), refused.Host(), refused.ReplyCode(), refused.Message());
        if (advice.isEmpty()) return {};
        return QStringLiteral("Server odmítl přihlášení. %1\n\nOdpověď serveru: %2 %3")
            .arg(advice)
            .arg(refused.ReplyCode())
            .arg(FromWin1250(refused.Message()).trimmed());
    } catch (...) {
        return SignInErrorText(QStringLiteral("Zpráva nebyla odeslána."));
    }
}

}  // namespace quillory
