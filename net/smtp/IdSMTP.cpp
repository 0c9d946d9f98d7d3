#include "net/smtp/IdSMTP.h"

#include <algorithm>
#include <sstream>

#include "core/FirstError.h"
#include "core/TextCase.h"
#include "core/TextTrim.h"
#include "mail/IdCoder3to4.h"
#include "mail/IdMessageClient.h"
#include "net/oauth/XOAuth2.h"
#include "net/smtp/IdSMTPDataWriter.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {

namespace {

bool HoldsLineBreakOrNul(const std::string& text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
}

void RefuseUnsafeAddress(const TIdEMailAddressItem& item) {
    if (HoldsLineBreakOrNul(item.Address())) throw EIdInvalidCommandText("e-mail address");
}

// RFC 4954 §4: an AUTH command with its initial response may be up to 12,288 octets long.
constexpr std::size_t kMaxAuthCommandLine = 12288;

}  // namespace

TIdSMTP::TIdSMTP() {
    Port = 25;
    ReadTimeout = DefaultReadTimeout;
    ReplyTimeLimit = DefaultReplyTimeLimit;
}

TIdSMTP::~TIdSMTP() = default;

void TIdSMTP::SetAuthenticationType(TAuthenticationType type) {
    authenticationType_ = type;
    if (type != TAuthenticationType::atNone) useEhlo_ = true;
}

void TIdSMTP::SetUseEhlo(bool use) {
    useEhlo_ = use;
    if (!use) authenticationType_ = TAuthenticationType::atNone;
}

void TIdSMTP::OpenConnection(int timeout) {
    resetNeeded_ = true;
    finalDotWritten_ = false;
    loggedIn_ = false;  // also after a connection that ended without CloseConnection
    OpenSecured(
        timeout, Security == TSmtpSecurity::ImplicitTLS, [this] { Greet(); }, [this] { CloseConnection(); });
}

void TIdSMTP::Greet() {
    ReadReply({220});
    const std::string name = HeloName.empty() ? SharedStack().LocalHostName() : HeloName;
    Introduce(name);
    if (Security == TSmtpSecurity::StartTLSWhenOffered && startTLSOffered_ && !Encrypted()) {
        StartTLS();
        Introduce(name);  // RFC 3207 §4.2: what the server said in clear no longer counts
    }
}

void TIdSMTP::Introduce(const std::string& name) {
    offeredMechanisms_.clear();
    startTLSOffered_ = false;
    sizeOffered_ = false;
    sizeLimit_ = 0;
    pipeliningOffered_ = false;
    if (useEhlo_ && SendCommand("EHLO " + name) == 250) {
        CollectMechanisms();
        return;
    }
    SendCommand("HELO " + name, 250);
}

void TIdSMTP::StartTLS() {
    SendCommand("STARTTLS", 220);
    StartTLSOverOpenConnection();
}

void TIdSMTP::CollectMechanisms() {
    for (const auto& text : LastReply().Text()) {
        const std::string line = UpperCase(text);
        if (line == "STARTTLS" || line.rfind("STARTTLS ", 0) == 0) startTLSOffered_ = true;
        if (line == "PIPELINING") pipeliningOffered_ = true;
        if (line == "SIZE" || line.rfind("SIZE ", 0) == 0) CollectSizeLimit(line.substr(4));
        if (line.rfind("AUTH ", 0) != 0 && line.rfind("AUTH=", 0) != 0) continue;
        std::string rest = line.substr(5);
        std::replace(rest.begin(), rest.end(), '=', ' ');
        std::istringstream words(rest);
        std::string word;
        while (words >> word) {
            if (std::find(offeredMechanisms_.begin(), offeredMechanisms_.end(), word) ==
                offeredMechanisms_.end()) {
                offeredMechanisms_.push_back(word);
            }
        }
    }
}

void TIdSMTP::CollectSizeLimit(const std::string& parameter) {
    // RFC 1870 §4: "SIZE" and an optional decimal number of bytes; a number that does not read as
    // one leaves no fixed limit.
    sizeOffered_ = true;
    sizeLimit_ = 0;
    const std::string number(Trim(parameter));
    if (number.empty() || number.size() > 18 || number.find_first_not_of("0123456789") != std::string::npos)
        return;
    sizeLimit_ = std::stoll(number);
}

bool TIdSMTP::Offers(const char* mechanism) const {
    return std::find(offeredMechanisms_.begin(), offeredMechanisms_.end(), mechanism) !=
           offeredMechanisms_.end();
}

bool TIdSMTP::MechanismOffered(TAuthenticationType type) const {
    switch (type) {
    case TAuthenticationType::atLogin:
        return Offers("LOGIN") || Offers("PLAIN");
    case TAuthenticationType::atXOAuth2:
        return Offers("XOAUTH2");
    case TAuthenticationType::atNone:
        break;
    }
    return false;
}

bool TIdSMTP::LoginNeeded() const {
    if (authenticationType_ == TAuthenticationType::atNone || loggedIn_) return false;
    // An account that signs in with a token has no password to fall back on, and mail without a
    // login would only be refused later: a server that does not offer XOAUTH2 is told at once.
    return authenticationType_ == TAuthenticationType::atXOAuth2 || MechanismOffered(authenticationType_);
}

bool TIdSMTP::RunLogin() {
    bool exchanged = false;
    if (authenticationType_ == TAuthenticationType::atLogin) {
        LogInWithPassword();
        exchanged = true;
    } else if (authenticationType_ == TAuthenticationType::atXOAuth2) {
        LogInWithToken();
        exchanged = true;
    }
    loggedIn_ = true;
    return exchanged;
}

void TIdSMTP::LogInWithPassword() {
    if (!Encrypted() && !IsThisMachine(Host)) throw EIdSMTPLoginInClear();
    const bool plain = Offers("PLAIN") && !Offers("LOGIN");
    try {
        if (plain) {
            // RFC 4616: no authorization identity, NUL, name, NUL, password, in one command.
            const std::string credentials = std::string(1, '\0') + Username + '\0' + Password;
            SendCommand("AUTH PLAIN " + EncodeTextWith<TIdEncoderMIME>(credentials), 235);
        } else {
            SendCommand("AUTH LOGIN", 334);
            SendCommand(EncodeTextWith<TIdEncoderMIME>(Username), 334);
            SendCommand(EncodeTextWith<TIdEncoderMIME>(Password), 235);
        }
    } catch (const EIdProtocolReplyError& refused) {
        throw EIdSMTPLoginRefused(refused, plain ? "PLAIN" : "LOGIN", Host);
    }
}

void TIdSMTP::LogInWithToken() {
    if (!Encrypted() && !IsThisMachine(Host)) throw EIdSMTPTokenInClear();
    if (!Offers("XOAUTH2")) throw EIdSMTPMechanismNotOffered("XOAUTH2");
    const std::string response = XOAuth2InitialResponse(Username, AccessToken);
    try {
        const std::string command = "AUTH XOAUTH2 " + response;
        int code = 0;
        if (command.size() + 2 <= kMaxAuthCommandLine) {
            code = SendCommand(command, TAllowedCodes{235, 334});
        } else {
            SendCommand("AUTH XOAUTH2", 334);
            code = SendCommand(response, TAllowedCodes{235, 334});
        }
        // A 334 now is the error challenge (a base64 JSON status): the client answers it with an
        // empty response, and the server's next reply ends the exchange with its verdict.
        if (code == 334) SendCommand("", 235);
    } catch (const EIdProtocolReplyError& refused) {
        throw EIdSMTPLoginRefused(refused, "XOAUTH2", Host);
    }
}

void TIdSMTP::SendMail(TIdMessage& message) {
    const TIdEMailAddressList* recipientLists[] = {&message.Recipients(), &message.CCList(),
                                                   &message.BccList()};
    RefuseUnsafeAddress(message.From());
    for (const auto* list : recipientLists) {
        for (std::size_t i = 0; i < list->Count(); ++i) RefuseUnsafeAddress(list->Items(i));
    }

    message.ExtraHeaders().SetHeaderValue("X-Mailer", MailAgent);
    const std::int64_t size = TIdMessageClient::MessageSize(message);
    if (sizeOffered_ && sizeLimit_ > 0 && size > sizeLimit_) throw EIdSMTPMessageTooLarge(size, sizeLimit_);

    finalDotWritten_ = false;
    const bool pipelined = UsePipelining && pipeliningOffered_;
    // Once logged in, the RSET goes out with the envelope; before a login it has a reply of its own.
    if (resetNeeded_ && (!pipelined || LoginNeeded())) {
        SendCommand("RSET");
        resetNeeded_ = false;
    }
    if (LoginNeeded()) RunLogin();
    const std::string sizeParameter = sizeOffered_ ? " SIZE=" + std::to_string(size) : "";
    std::vector<std::string> recipients;
    for (const auto* list : recipientLists) {
        for (std::size_t i = 0; i < list->Count(); ++i) recipients.push_back(list->Items(i).Address());
    }
    const bool resetWithEnvelope = resetNeeded_;
    // Until the server's 250 to the final ".", the next transaction starts with RSET.
    resetNeeded_ = true;
    const std::string mailFrom = "MAIL FROM:<" + message.From().Address() + ">" + sizeParameter;
    if (pipelined) {
        SendEnvelopePipelined(resetWithEnvelope, mailFrom, recipients);
    } else {
        SendEnvelope(mailFrom, recipients);
    }
    SendMessageText(message, size);
    if (OnBeforeFinalDot) {
        try {
            OnBeforeFinalDot();
        } catch (...) {
            DropSocket();
            throw;
        }
    }
    finalDotWritten_ = true;
    SendCommand(".", 250);
    resetNeeded_ = false;
}

void TIdSMTP::SendEnvelope(const std::string& mailFrom, const std::vector<std::string>& recipients) {
    SendCommand(mailFrom, 250);
    for (const auto& recipient : recipients)
        SendCommand("RCPT TO:<" + recipient + ">", TAllowedCodes{250, 251});
    SendCommand("DATA", 354);
}

void TIdSMTP::SendEnvelopePipelined(bool reset, const std::string& mailFrom,
                                    const std::vector<std::string>& recipients) {
    // RFC 2920 §3.1: the commands up to DATA go out in one write, the replies come in their order.
    if (reset) WriteLine("RSET");
    WriteLine(mailFrom);
    for (const auto& recipient : recipients) WriteLine("RCPT TO:<" + recipient + ">");
    WriteLine("DATA");
    std::exception_ptr refused;  // the first refusal, raised once every reply is read
    const auto reply = [&](const TAllowedCodes& allowed) {
        ReadReplyLines();
        const int code = LastReply().NumericCode();
        if (allowed.empty() || std::find(allowed.begin(), allowed.end(), code) != allowed.end()) return code;
        if (!refused) {
            try {
                RaiseReplyError();
            } catch (...) {
                refused = std::current_exception();
            }
        }
        // RFC 5321 §3.8: the server closes the connection after a 421; no further reply comes.
        if (code == 421) std::rethrow_exception(refused);
        return code;
    };
    if (reset) reply({});
    reply({250});
    for (std::size_t i = 0; i < recipients.size(); ++i) reply({250, 251});
    const int data = reply({354});
    if (!refused) return;
    // The server may take DATA when some recipients were refused; any text, even an empty one,
    // would then go to the others. A connection ended now makes it drop the transaction.
    if (data == 354) DropSocket();
    std::rethrow_exception(refused);
}

void TIdSMTP::SendMessageText(TIdMessage& message, std::int64_t size) {
    StartWork(TWorkMode::wmWrite, size);
    RunThenCleanUp(
        [&] {
            try {
                TIdSMTPDataWriter text(*this, OnMessageText);
                TIdMessageClient(text).TransmitMessage(message, false);
                text.Finish();
                FlushWriteBuffer();  // all of the text counts as sent before the span ends
            } catch (...) {
                DropSocket();
                throw;
            }
        },
        [this] { FinishWork(TWorkMode::wmWrite); });
}

void TIdSMTP::CloseConnection() {
    // The socket closes even when the goodbye or a status handler fails; the first error is raised
    // once everything has run.
    TFirstError error;
    error.Run([this] {
        if (IsConnected()) {
            WriteLine("QUIT");
            FlushWriteBuffer();
        }
    });
    error.Run([this] { UnwrapTLS(); });
    error.Run([this] { TIdTCPClient::CloseConnection(); });
    loggedIn_ = false;
    error.Rethrow();
}

void TIdSMTP::ExpandList(const std::string& name) { SendCommand("EXPN " + name, TAllowedCodes{250, 251}); }

std::string TIdSMTP::VerifyMailbox(const std::string& name) {
    SendCommand("VRFY " + name, TAllowedCodes{250, 251});
    const auto& text = LastReply().Text();
    return text.empty() ? std::string() : text.front();
}

}  // namespace quillory
