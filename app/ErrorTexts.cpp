#include "app/ErrorTexts.h"

#include <QFile>
#include <QLocale>

#include <cctype>
#include <cstring>
#include <exception>

#include "app/Win1250Text.h"
#include "app/account/SignInErrors.h"
#include "app/send/AttachedFiles.h"
#include "core/Exception.h"
#include "mail/IdException.h"
#include "merge/PlanFile.h"
#include "merge/RunJournal.h"
#include "net/imap/ImapClient.h"
#include "net/imap/ImapResponse.h"
#include "net/oauth/Json.h"
#include "net/oauth/LoopbackRequest.h"
#include "net/oauth/OAuthTokenReply.h"
#include "net/oauth/Pkce.h"
#include "net/oauth/XOAuth2.h"
#include "net/smtp/IdSMTP.h"
#include "net/transport/IdRFCReply.h"
#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdSocksExceptions.h"
#include "net/transport/IdTLSExceptions.h"
#include "net/transport/ServerAddress.h"
#include "storage/FileErrors.h"
#include "storage/IniFile.h"
#include "storage/RegularFile.h"
#include "storage/SpoolFile.h"

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

QString Detail(const std::string& error, const std::string& description) {
    QString detail = QString::fromStdString(error);
    if (!description.empty()) detail += QStringLiteral(": ") + QString::fromUtf8(description.c_str());
    return QStringLiteral("\n\nOdpověď přihlašovacího serveru: %1").arg(detail);
}

QString FormatBytes(std::int64_t bytes) {
    return QLocale(QLocale::Czech, QLocale::CzechRepublic).toString(static_cast<qint64>(bytes));
}

QString Quoted(const std::string& fileName) {
    return QStringLiteral("„%1“").arg(QFile::decodeName(QByteArray::fromStdString(fileName)));
}

QString AccountErrorText();

// The Czech sentence for an error whose message the program's description does not word; empty
// for one it words (shown exactly as it is) and for an error that is not the program's own.
QString CzechLead() {
    try {
        throw;
    } catch (const EIdTLSCertificateUntrusted&) {
        return QStringLiteral("Certifikát serveru není důvěryhodný, spojení bylo ukončeno.");
    } catch (const EIdTLSNameMismatch&) {
        return QStringLiteral(
            "Certifikát serveru není vystaven na jméno zadaného serveru, spojení bylo ukončeno.");
    } catch (const EIdTLSError&) {
        return QStringLiteral("Zabezpečené spojení (TLS) se serverem se nepodařilo navázat.");
    } catch (const EIdSMTPLoginInClear&) {
        return QStringLiteral(
            "Server nenabízí šifrované spojení (STARTTLS), proto přihlašovací jméno a heslo nebyly "
            "odeslány.");
    } catch (const EImapLoginInClear&) {
        return QStringLiteral(
            "Server IMAP nenabízí šifrované spojení (STARTTLS), proto přihlašovací jméno a heslo nebyly "
            "odeslány.");
    } catch (const EIdSMTPTokenInClear&) {
        return QStringLiteral(
            "Server nenabízí šifrované spojení (STARTTLS), proto přihlášení účtem Microsoft nebylo "
            "odesláno.");
    } catch (const EImapTokenInClear&) {
        return QStringLiteral(
            "Server IMAP nenabízí šifrované spojení (STARTTLS), proto přihlášení účtem Microsoft nebylo "
            "odesláno.");
    } catch (const EImapPreauthInClear&) {
        return QStringLiteral(
            "Server IMAP pustil nešifrované spojení dál bez přihlášení, proto bylo ukončeno.");
    } catch (const EIdSMTPMechanismNotOffered&) {
        return QStringLiteral("Server nenabízí přihlášení účtem Microsoft (XOAUTH2).");
    } catch (const EImapNoTokenLogin&) {
        return QStringLiteral("Server IMAP nenabízí přihlášení účtem Microsoft (XOAUTH2).");
    } catch (const EImapNoLoginMethod&) {
        return QStringLiteral("Server IMAP nenabízí žádné přihlášení heslem, které program umí.");
    } catch (const EImapNoSentFolder&) {
        return QStringLiteral("Ve schránce na serveru není složka Odeslané.");
    } catch (const EImapCommandFailed&) {
        return QStringLiteral("Server IMAP odmítl požadavek.");
    } catch (const EImapResponseError&) {
        return QStringLiteral("Server IMAP odpověděl nesrozumitelně.");
    } catch (const EImapMessageEndedEarly&) {
        return QStringLiteral("Zprávu nebylo možné celou předat k uložení.");
    } catch (const EIdReplyTooLong&) {
        return QStringLiteral("Odpověď serveru je příliš dlouhá, spojení bylo ukončeno.");
    } catch (const EIdReplyTimeout&) {
        return QStringLiteral("Server neodpověděl v časovém limitu, spojení bylo ukončeno.");
    } catch (const EIdInvalidCommandText&) {
        return QStringLiteral("Text pro server obsahuje konec řádku nebo znak NUL, proto nebyl odeslán.");
    } catch (const EServerAddressError&) {
        return QStringLiteral("Adresa serveru není zadána správně.");
    } catch (const EXOAuth2InvalidCredentials&) {
        return QStringLiteral("Adresu nebo přístupový klíč účtu Microsoft nelze serveru předat.");
    } catch (const EJsonError&) {
        return QStringLiteral("Přihlašovací server Microsoft odpověděl nesrozumitelně.");
    } catch (const EOAuthReplyError&) {
        return QStringLiteral("Přihlašovací server Microsoft odpověděl nesrozumitelně.");
    } catch (const ELoopbackRequestError&) {
        return QStringLiteral("Návrat z prohlížeče po přihlášení je nesrozumitelný.");
    } catch (const ERandomSourceFailed&) {
        return QStringLiteral("Systém neposkytl náhodná čísla, která přihlášení potřebuje.");
    } catch (const ESpoolFileError&) {
        return QStringLiteral("Dočasný soubor se zprávou nelze zapsat ani přečíst.");
    } catch (const ESignInRequired&) {
        return QStringLiteral("Účet Microsoft je třeba znovu přihlásit.");
    } catch (const ESignInServerError&) {
        return QStringLiteral("Přihlašovací server Microsoft odmítl obnovit přihlášení.");
    } catch (const ESignInServerUnreachable&) {
        return QStringLiteral("Přihlašovací server Microsoft není dostupný.");
    } catch (const EIdProtocolReplyError&) {
        // A server's refusing reply: its own text.
    } catch (const EIdSocketError&) {
    } catch (const EIdConnectException&) {
    } catch (const EIdConnectTimeout&) {
    } catch (const EIdStackError&) {
    } catch (const EIdInvalidSocket&) {
    } catch (const EIdInvalidServiceName&) {
    } catch (const EIdSocketHandleError&) {
    } catch (const EIdClosedSocket&) {
    } catch (const EIdSilentException&) {
        // "Connection Closed Gracefully."; a cancel is told by the send itself.
    } catch (const EIdTCPConnectionError&) {
    } catch (const EIdReadTimeout&) {
    } catch (const EIdReadLnMaxLineLengthExceeded&) {
    } catch (const EIdAlreadyConnected&) {
    } catch (const EIdSocksError&) {
    } catch (const EIdMessageException&) {
    } catch (const EIdEmailParseError&) {
    } catch (const EIdFailedToRetreiveTimeZoneInfo&) {
    } catch (const EFOpenError&) {
    } catch (const EFCreateError&) {
    } catch (const EWriteError&) {
    } catch (const EInvalidOperation&) {
    } catch (const EIniFileException&) {
    } catch (const EAbort&) {
    } catch (const Exception&) {
        return QStringLiteral("Při odesílání došlo k chybě.");
    } catch (...) {}
    return {};
}

// The text of the exception being handled: the Czech sentence of CzechLead, then after
// `separator` the library's or the server's own words; the message itself when the description
// words it; empty for an error that is not the program's own (the default handler tells that).
QString LibraryErrorText(const QString& separator) {
    std::string words;
    try {
        throw;
    } catch (const Exception& error) {
        words = error.Message();
    } catch (...) {
        return {};
    }
    const QString lead = CzechLead();
    if (lead.isEmpty()) return FromWin1250(words);
    const QString detail = FromWin1250(words).trimmed();
    return detail.isEmpty() ? lead : lead + separator + detail;
}

// The Czech text of a send error the program can tell more about; empty for the others.
QString SendDetailText() {
    try {
        throw;
    } catch (const EIdSMTPMessageTooLarge& error) {
        return QStringLiteral(
                   "Zpráva je pro server příliš velká: má %1 (%2 bajtů), server přijme nejvýše %3 (%4 "
                   "bajtů). Zmenšete nebo odeberte přílohy.")
            .arg(FormatSize(error.Size()), FormatBytes(error.Size()), FormatSize(error.Limit()),
                 FormatBytes(error.Limit()));
    } catch (const EIdAttachmentError& error) {
        const QString name = Quoted(error.FileName());
        switch (error.Kind()) {
        case EIdAttachmentError::TKind::Vanished:
            return QStringLiteral("Přiložený soubor %1 během odesílání zmizel. Zpráva nebyla odeslána.")
                .arg(name);
        case EIdAttachmentError::TKind::Unreadable:
            return QStringLiteral("Přiložený soubor %1 nelze přečíst. Zpráva nebyla odeslána.").arg(name);
        case EIdAttachmentError::TKind::SizeChanged:
            break;
        }
        return QStringLiteral(
                   "Přiložený soubor %1 se během odesílání změnil (při přiložení %2 bajtů, při "
                   "odesílání %3 bajtů). Zpráva nebyla odeslána.")
            .arg(name, FormatBytes(error.ExpectedSize()), FormatBytes(error.FoundSize()));
    } catch (...) {
        return AccountErrorText();
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
        const QString signIn = SignInErrorText({});
        return signIn.isEmpty() ? LibraryErrorText(QStringLiteral(" Podrobnosti: ")) : signIn;
    }
}

QString SendErrorText() {
    const QString special = SendDetailText();
    return special.isEmpty() ? LibraryErrorText(QStringLiteral("\n\nPodrobnosti: ")) : special;
}

QString MergeErrorText() {
    try {
        throw;
    } catch (const EJournalError& error) {
        return FromProgramText(error.Message());
    } catch (const EJournalDamaged& error) {
        return FromProgramText(error.Message());
    } catch (const EPlanDamaged& error) {
        return FromProgramText(error.Message());
    } catch (const EPlanError& error) {
        return FromProgramText(error.Message());
    } catch (...) {
        return SendErrorText();
    }
}

QString MergeStopText(const std::string& reason) {
    const bool reply = reason.size() >= 3 && std::isdigit(static_cast<unsigned char>(reason[0])) &&
                       std::isdigit(static_cast<unsigned char>(reason[1])) &&
                       std::isdigit(static_cast<unsigned char>(reason[2]));
    QString text = reply ? QStringLiteral("Server hromadné odeslání odmítl.")
                         : QStringLiteral("Spojení se serverem se nezdařilo.");
    text +=
        QStringLiteral(" Odesílání se zastavilo; rozeslání zůstává uloženo a lze v něm pokračovat později.");
    const QString words = FromProgramText(reason).trimmed();
    if (!words.isEmpty())
        text +=
            (reply ? QStringLiteral("\n\nOdpověď serveru: ") : QStringLiteral("\n\nPodrobnosti: ")) + words;
    return text;
}

namespace {

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

}  // namespace

QString SignInErrorMessage(const std::string& error, const std::string& description) {
    const QString text = QString::fromUtf8(description.c_str());
    QString message;
    // AADSTS90094 and its kin: the organisation lets only an administrator consent.
    if (text.contains("AADSTS90094") || text.contains("AADSTS90095") ||
        text.contains("admin approval", Qt::CaseInsensitive) ||
        text.contains("admin consent", Qt::CaseInsensitive) ||
        text.contains("admin permission", Qt::CaseInsensitive)) {
        message = QStringLiteral(
            "Přihlášení vyžaduje schválení správcem. Správce Microsoft 365 vaší organizace musí programu "
            "Quillory nejdřív udělit souhlas (souhlas správce) a povolit odesílání přes SMTP; pak se "
            "přihlaste znovu.");
    } else if (error == "access_denied") {
        message =
            QStringLiteral("Přihlášení bylo v prohlížeči odmítnuto nebo zrušeno. Účet nebyl přihlášen.");
    } else if (error == "consent_required" || error == "interaction_required" ||
               text.contains("AADSTS65001")) {
        message = QStringLiteral(
            "Účet Microsoft nedal programu Quillory souhlas s odesíláním pošty. Přihlaste se znovu a "
            "souhlas v prohlížeči potvrďte.");
    } else if (error == "invalid_grant") {
        message = QStringLiteral("Přihlašovací kód už neplatí. Přihlaste se znovu.");
    } else if (error == "invalid_client" || error == "unauthorized_client") {
        message = QStringLiteral(
            "Přihlašovací server Microsoft nezná registraci tohoto programu, přihlásit se nelze.");
    } else {
        message = QStringLiteral("Přihlášení účtem Microsoft se nezdařilo.");
    }
    return message + Detail(error, description);
}

QString ReadFailureText(const TReadResult& read) {
    switch (read.failure) {
    case TReadResult::TFailure::NotRegular:
        return QStringLiteral("není obyčejný soubor");
    case TReadResult::TFailure::TooLarge:
        return QStringLiteral("soubor je příliš velký");
    default:
        return QString::fromLocal8Bit(std::strerror(read.error));
    }
}

}  // namespace quillory
