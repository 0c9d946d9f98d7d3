// What a failed send and a failed sent copy tell the user, for every error class the send path can
// raise (the socket layer, the SMTP and IMAP clients, the message writer, the files, the Microsoft
// sign-in): the messages the program's description words stay exactly as they are; every other one
// is told in Czech first, with the library's or the server's own words after it.

#include <QRegularExpression>
#include <QTest>

#include <functional>

#include "app/ErrorTexts.h"
#include "app/account/SignInErrors.h"
#include "mail/IdException.h"
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
#include "storage/SpoolFile.h"

using namespace quillory;

using Raise = std::function<void()>;
Q_DECLARE_METATYPE(Raise)

namespace {

template <class Error, class... Args>
Raise Raising(Args... args) {
    return [=] { throw Error(args...); };
}

// The text `textOf` gives while the error `raise` throws is handled, and the error's own message.
std::pair<QString, QString> Caught(const Raise& raise, QString (*textOf)()) {
    try {
        raise();
    } catch (const Exception& error) {
        return {textOf(), QString::fromStdString(error.Message()).trimmed()};
    }
    return {};
}

// Czech: holds a letter with a Czech diacritic, which no English library message has.
bool IsCzech(const QString& text) {
    return text.contains(QRegularExpression("[áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ]"));
}

}  // namespace

class ErrorTextsTest : public QObject {
    Q_OBJECT

private slots:
    void everySendErrorIsCzechUnlessWorded_data() {
        QTest::addColumn<Raise>("raise");
        QTest::addColumn<bool>("worded");
        // Worded by the description: shown exactly.
        QTest::newRow("socket error")
            << Raising<EIdSocketError>(10061, "Socket Error # 10061\r\nConnection refused.") << true;
        QTest::newRow("connect failed")
            << Raising<EIdConnectException>("Socket Error # 11001\r\nHost not found.") << true;
        QTest::newRow("connect timeout") << Raising<EIdConnectTimeout>() << true;
        QTest::newRow("server refuses")
            << Raising<EIdProtocolReplyError>(550, "5.1.1 No such user\r\n") << true;
        QTest::newRow("login refused, nothing to add")
            << Raising<EIdSMTPLoginRefused>(EIdProtocolReplyError(535, "5.7.8 Bad credentials\r\n"), "LOGIN",
                                            "mail.example")
            << true;
        QTest::newRow("create file") << Raising<EFCreateError>("Cannot create file \"/x\". Permission denied")
                                     << true;
        QTest::newRow("invalid operation") << Raising<EInvalidOperation>("Invalid operation") << true;
        QTest::newRow("no data") << Raising<EIdNoDataToRead>() << true;
        QTest::newRow("port range") << Raising<EIdInvalidPortRange>(2000, 1000) << true;
        QTest::newRow("closed gracefully") << Raising<EIdConnClosedGracefully>() << true;
        QTest::newRow("line too long") << Raising<EIdReadLnMaxLineLengthExceeded>() << true;
        QTest::newRow("read timeout") << Raising<EIdReadTimeout>() << true;
        QTest::newRow("not connected") << Raising<EIdNotConnected>() << true;
        QTest::newRow("closed socket") << Raising<EIdClosedSocket>() << true;
        QTest::newRow("already connected") << Raising<EIdAlreadyConnected>() << true;
        QTest::newRow("invalid socket") << Raising<EIdInvalidSocket>() << true;
        QTest::newRow("stack") << Raising<EIdStackInitializationFailed>() << true;
        QTest::newRow("service name") << Raising<EIdInvalidServiceName>("smtpx") << true;
        QTest::newRow("bind") << Raising<EIdCouldNotBindSocket>() << true;
        QTest::newRow("socks") << Raising<EIdSocksError>("Socks server did not respond.") << true;
        QTest::newRow("message part") << Raising<EIdCanNotCreateMessagePart>() << true;
        QTest::newRow("address parse") << Raising<EIdEmailParseError>("Invalid email address") << true;
        QTest::newRow("time zone") << Raising<EIdFailedToRetreiveTimeZoneInfo>() << true;
        QTest::newRow("file open") << Raising<EFOpenError>("Cannot open file \"/x\". No such file") << true;
        QTest::newRow("write") << Raising<EWriteError>() << true;
        QTest::newRow("ini") << Raising<EIniFileException>("quillory.INI") << true;
        // Not worded: Czech first.
        QTest::newRow("login refused with advice")
            << Raising<EIdSMTPLoginRefused>(
                   EIdProtocolReplyError(
                       535, "5.7.139 Authentication unsuccessful, basic authentication is disabled."),
                   "LOGIN", "smtp.office365.com")
            << false;
        QTest::newRow("certificate untrusted")
            << Raising<EIdTLSCertificateUntrusted>("self-signed certificate") << false;
        QTest::newRow("certificate name") << Raising<EIdTLSNameMismatch>("localhost") << false;
        QTest::newRow("handshake") << Raising<EIdTLSHandshakeFailed>("wrong version number") << false;
        QTest::newRow("login in clear") << Raising<EIdSMTPLoginInClear>() << false;
        QTest::newRow("token in clear") << Raising<EIdSMTPTokenInClear>() << false;
        QTest::newRow("no XOAUTH2") << Raising<EIdSMTPMechanismNotOffered>("XOAUTH2") << false;
        QTest::newRow("reply too long") << Raising<EIdReplyTooLong>("1000 lines") << false;
        QTest::newRow("reply timeout") << Raising<EIdReplyTimeout>(300000) << false;
        QTest::newRow("command text") << Raising<EIdInvalidCommandText>("recipient") << false;
        QTest::newRow("server address")
            << Raising<EServerAddressError>("Invalid port in the server address \"x:0\"") << false;
        QTest::newRow("spool file") << Raising<ESpoolFileError>("Cannot write the spool file") << false;
        QTest::newRow("XOAUTH2 user") << Raising<EXOAuth2InvalidCredentials>("The address") << false;
        QTest::newRow("json") << Raising<EJsonError>("unexpected end") << false;
        QTest::newRow("token reply") << Raising<EOAuthReplyError>("no access_token") << false;
        QTest::newRow("loopback") << Raising<ELoopbackRequestError>("no code") << false;
        QTest::newRow("random") << Raising<ERandomSourceFailed>() << false;
        QTest::newRow("sign in again") << Raising<ESignInRequired>("AADSTS700082: expired") << false;
        QTest::newRow("sign-in server refuses")
            << Raising<ESignInServerError>("invalid_client", "AADSTS7000215") << false;
        QTest::newRow("sign-in server away") << Raising<ESignInServerUnreachable>("Host not found") << false;
        QTest::newRow("too large") << Raising<EIdSMTPMessageTooLarge>(2000000, 1000000) << false;
        QTest::newRow("attachment gone") << Raising<EIdAttachmentError>(EIdAttachmentError::TKind::Vanished,
                                                                        std::string("/tmp/cenik.pdf"), 10, 10)
                                         << false;
        QTest::newRow("some other library error") << Raising<EIdException>("Something unforeseen") << false;
        QTest::newRow("plain error") << Raising<Exception>("Unforeseen") << false;
    }
    void everySendErrorIsCzechUnlessWorded() {
        QFETCH(Raise, raise);
        QFETCH(bool, worded);
        const auto [text, message] = Caught(raise, &SendErrorText);
        if (worded) {
            QCOMPARE(text.trimmed(), message);
            return;
        }
        QVERIFY2(IsCzech(text), qPrintable(text));
        // A sentence of the program's own comes first.
        QVERIFY2(!text.startsWith(message.left(12)), qPrintable(text));
    }

    void libraryWordsFollowTheCzechText() {
        const auto [text, message] = Caught(Raising<EIdSMTPTokenInClear>(), &SendErrorText);
        QVERIFY2(
            text.startsWith(QString("Server nenabízí šifrované spojení (STARTTLS), proto přihlášení účtem "
                                    "Microsoft nebylo odesláno.\n\nPodrobnosti: ")),
            qPrintable(text));
        QVERIFY(text.endsWith(message));
        const auto [refused, words] = Caught(Raising<EIdTLSNameMismatch>("localhost"), &SendErrorText);
        QVERIFY2(refused.endsWith(words) && words.contains("localhost"), qPrintable(refused));
    }

    void everySentCopyErrorIsCzech_data() {
        QTest::addColumn<Raise>("raise");
        QTest::addColumn<QString>("serverWords");
        QTest::newRow("login refused")
            << Raising<EImapCommandFailed>("LOGIN", "NO", "Authentication failed") << "Authentication failed";
        QTest::newRow("token refused")
            << Raising<EImapTokenRefused>("AUTHENTICATE", "NO", "AUTHENTICATE failed")
            << "AUTHENTICATE failed";
        QTest::newRow("login in clear") << Raising<EImapLoginInClear>() << "";
        QTest::newRow("token in clear") << Raising<EImapTokenInClear>() << "";
        QTest::newRow("preauth in clear") << Raising<EImapPreauthInClear>() << "";
        QTest::newRow("no login method") << Raising<EImapNoLoginMethod>() << "";
        QTest::newRow("no token login") << Raising<EImapNoTokenLogin>() << "";
        QTest::newRow("no sent folder") << Raising<EImapNoSentFolder>() << "";
        QTest::newRow("garbled response") << Raising<EImapResponseError>("A literal past its limit") << "";
        QTest::newRow("message ended") << Raising<EImapMessageEndedEarly>(10, 20) << "";
        QTest::newRow("socket") << Raising<EIdSocketError>(
                                       10054, "Socket Error # 10054\r\nConnection reset by peer.")
                                << "Connection reset by peer.";
        QTest::newRow("certificate") << Raising<EIdTLSCertificateUntrusted>("self-signed certificate")
                                     << "self-signed certificate";
        QTest::newRow("sign in again") << Raising<ESignInRequired>() << "";
    }
    void everySentCopyErrorIsCzech() {
        QFETCH(Raise, raise);
        QFETCH(QString, serverWords);
        const auto [text, message] = Caught(raise, &SentCopyErrorText);
        QVERIFY2(IsCzech(text) || message.startsWith("Socket Error"), qPrintable(text));
        QVERIFY2(text.contains(serverWords), qPrintable(text));
    }
};

QTEST_MAIN(ErrorTextsTest)
#include "tst_errortexts.moc"
