#include "net/imap/ImapClient.h"

#include <algorithm>
#include <array>
#include <memory>

#include "core/FirstError.h"
#include "core/TextCase.h"
#include "mail/IdCoder3to4.h"
#include "net/oauth/XOAuth2.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {

namespace {

bool HasAttribute(const std::vector<std::string>& attributes, std::string_view name) {
    return std::any_of(attributes.begin(), attributes.end(),
                       [name](const std::string& attribute) { return SameText(attribute, name); });
}

bool StartsWithWord(std::string_view text, std::string_view word) {
    return StartsText(text, word) && (text.size() == word.size() || text[word.size()] == ' ');
}

// RFC 7888 §4: LITERAL- takes a literal without the wait only up to 4096 bytes.
constexpr std::uint64_t LiteralMinusLimit = 4096;

}  // namespace

bool TImapFolder::IsSent() const { return HasAttribute(attributes, "\\Sent"); }

bool TImapFolder::Selectable() const {
    return !HasAttribute(attributes, "\\Noselect") && !HasAttribute(attributes, "\\NonExistent");
}

ImapClient::ImapClient() {
    Port = 993;
    ReadTimeout = DefaultReadTimeout;
    ReplyTimeLimit = DefaultResponseTimeLimit;
    MaxReplySize = MaxResponseBytes;
    MaxReplyLines = MaxResponseLines;
}

ImapClient::~ImapClient() = default;

bool ImapClient::HasCapability(const std::string& name) const {
    return std::any_of(capabilities_.begin(), capabilities_.end(),
                       [&name](const std::string& capability) { return SameText(capability, name); });
}

void ImapClient::OpenConnection(int timeout) {
    OpenSecured(
        timeout, Security == TImapSecurity::ImplicitTLS,
        [this] {
            loggedIn_ = false;
            capabilities_.clear();
            tagCount_ = 0;
            Greet();
        },
        [this] { CloseConnection(); });
}

void ImapClient::Greet() {
    // The greeting is a response without a command (RFC 9051 §7.1): one untagged status.
    StartExchange();
    TImapResponse greeting;
    {
        const TReplyClock clock(*this);
        greeting = reader_.Read();
    }
    const std::optional<TImapStatus> status = ParseImapStatus(greeting);
    if (greeting.kind != TImapResponse::TKind::Untagged || !status ||
        (status->status != "OK" && status->status != "PREAUTH" && status->status != "BYE")) {
        const std::string line = greeting.kind == TImapResponse::TKind::Untagged ? "* " + greeting.text
                                 : greeting.kind == TImapResponse::TKind::Continuation
                                     ? "+ " + greeting.text
                                     : greeting.tag + " " + greeting.text;
        throw EImapResponseError("The server's greeting is not that of an IMAP server: " +
                                 ImapTextForMessage(line, 120));
    }
    if (status->status == "BYE")
        throw EImapCommandFailed("greeting", "BYE", ImapTextForMessage(status->text), status->code);
    Note(greeting);
    if (status->status == "PREAUTH") {
        if (Security == TImapSecurity::StartTLS && !Encrypted() && !IsThisMachine(Host))
            throw EImapPreauthInClear();
        loggedIn_ = true;
    }
    if (!capabilitiesNoted_) AskCapabilities();
    if (Security == TImapSecurity::StartTLS && !Encrypted() && !loggedIn_ && HasCapability("STARTTLS"))
        StartTLS();
}

void ImapClient::StartTLS() {
    ReadUntilTagged(SendTaggedCommand(ImapCommand("STARTTLS"), "STARTTLS"), "STARTTLS");
    StartTLSOverOpenConnection();
    // What the server said in clear no longer counts (RFC 9051 §6.2.1).
    capabilities_.clear();
    AskCapabilities();
}

void ImapClient::AskCapabilities() {
    capabilities_.clear();
    ReadUntilTagged(SendTaggedCommand(ImapCommand("CAPABILITY"), "CAPABILITY"), "CAPABILITY");
}

void ImapClient::Login(const std::string& user, const std::string& password) {
    if (loggedIn_) return;
    if (!Encrypted() && !IsThisMachine(Host)) throw EImapLoginInClear();
    if (HasCapability("LOGINDISABLED")) {
        if (!HasCapability("AUTH=PLAIN")) throw EImapNoLoginMethod();
        AuthenticatePlain(user, password);
    } else {
        ImapCommand login("LOGIN");
        login.String(user, "IMAP login name").String(password, "IMAP password");
        ReadUntilTagged(SendTaggedCommand(login, "LOGIN"), "LOGIN");
    }
    LoggedInNow();
}

void ImapClient::AuthenticateXOAuth2(const std::string& user, const std::string& accessToken) {
    if (loggedIn_) return;
    if (!Encrypted() && !IsThisMachine(Host)) throw EImapTokenInClear();
    if (!HasCapability("AUTH=XOAUTH2")) throw EImapNoTokenLogin();
    const std::string answer = XOAuth2InitialResponse(user, accessToken);
    try {
        Authenticate("XOAUTH2", answer, true);
    } catch (const EImapCommandFailed& refused) {
        if (refused.Status() != "NO") throw;
        throw EImapTokenRefused(refused.Step(), refused.Status(), refused.Text(), refused.Code());
    }
    LoggedInNow();
}

void ImapClient::LoggedInNow() {
    loggedIn_ = true;
    // The capabilities change with the login; a server that did not say the new ones is asked.
    if (!capabilitiesNoted_) AskCapabilities();
}

void ImapClient::AuthenticatePlain(const std::string& user, const std::string& password) {
    // RFC 4616: no authorization identity, NUL, name, NUL, password. The NULs are the separators,
    // so a name or password holding one (or a line break) is refused before anything is sent.
    ImapCommand("AUTHENTICATE").String(user, "IMAP login name").String(password, "IMAP password");
    Authenticate("PLAIN", EncodeTextWith<TIdEncoderMIME>(std::string(1, '\0') + user + '\0' + password),
                 false);
}

void ImapClient::Authenticate(const std::string& mechanism, const std::string& answer, bool answerChallenge) {
    ImapCommand authenticate("AUTHENTICATE " + mechanism);
    const bool initialResponse = HasCapability("SASL-IR");  // RFC 4959
    if (initialResponse) authenticate.Words(answer);
    const std::string tag = SendTaggedCommand(authenticate, "AUTHENTICATE");
    if (!initialResponse) {
        ReadContinuation(tag, "AUTHENTICATE");
        SendContinuationData(answer.data(), answer.size());
        SendContinuationData("\r\n", 2);
    }
    if (!answerChallenge) {
        ReadUntilTagged(tag, "AUTHENTICATE");
        return;
    }
    bool answered = false;
    ReadUntilTagged(tag, "AUTHENTICATE", [&] {
        if (answered)
            throw EImapResponseError("The server asked for more (a continuation) after the sign-in's answer");
        answered = true;
        SendContinuationData("\r\n", 2);
    });
}

std::vector<TImapFolder> ImapClient::ListFolders() {
    ImapCommand list(HasCapability("SPECIAL-USE") ? "LIST \"\" \"*\" RETURN (SPECIAL-USE)"
                                                  : "LIST \"\" \"*\"");
    const TExchange exchange = ReadUntilTagged(SendTaggedCommand(list, "LIST"), "LIST");
    std::vector<TImapFolder> folders;
    for (const TImapResponse& response : exchange.untagged) {
        if (ImapResponseKeyword(response) != "LIST") continue;
        TImapListEntry entry = ParseImapListResponse(response);
        TImapFolder folder;
        folder.displayName = DecodeImapFolderName(entry.name);
        folder.wireName = std::move(entry.name);
        folder.attributes = std::move(entry.attributes);
        folders.push_back(std::move(folder));
    }
    return folders;
}

std::string ImapClient::FindSentFolder() { return FindSentFolder(ListFolders()); }

std::string ImapClient::FindSentFolder(const std::vector<TImapFolder>& folders) {
    for (const TImapFolder& folder : folders) {
        if (folder.IsSent() && folder.Selectable()) return folder.wireName;
    }
    for (const char* name : {"Sent", "Odeslané", "Sent Items", "Sent Messages", "INBOX.Sent"}) {
        for (const TImapFolder& folder : folders) {
            if (folder.displayName == name && folder.Selectable()) return folder.wireName;
        }
    }
    throw EImapNoSentFolder();
}

void ImapClient::Append(const std::string& wireFolder, const TImapMessageSource& message) {
    ImapCommand append("APPEND");
    append.String(wireFolder, "folder name").Words("(\\Seen)").StreamedLiteral(message.size);
    const std::string tag = SendTaggedCommand(append, "APPEND");
    // The command's own bytes go out before the message's span begins, so the span counts the
    // message alone.
    FlushWriteBuffer();
    StartWork(TWorkMode::wmWrite, static_cast<long long>(message.size));
    RunThenCleanUp(
        [&] {
            try {
                const auto buffer = std::make_unique<std::array<char, AppendChunkBytes>>();
                std::uint64_t sent = 0;
                while (sent < message.size) {
                    const std::size_t want = static_cast<std::size_t>(
                        std::min<std::uint64_t>(buffer->size(), message.size - sent));
                    const std::size_t got =
                        message.read ? std::min(message.read(buffer->data(), want), want) : 0;
                    if (got == 0) throw EImapMessageEndedEarly(sent, message.size);
                    SendContinuationData(buffer->data(), got);
                    sent += got;
                }
                FlushWriteBuffer();  // all of the message counts as sent before the span ends
            } catch (...) {
                DropSocket();
                throw;
            }
        },
        [this] { FinishWork(TWorkMode::wmWrite); });
    SendContinuationData("\r\n", 2);
    ReadUntilTagged(tag, "APPEND");
}

void ImapClient::Logout() {
    TFirstError error;
    error.Run([this] {
        if (IsConnected()) ReadUntilTagged(SendTaggedCommand(ImapCommand("LOGOUT"), "LOGOUT"), "LOGOUT");
    });
    error.Run([this] { CloseConnection(); });
    error.Rethrow();
}

void ImapClient::CloseConnection() {
    TFirstError error;
    error.Run([this] { UnwrapTLS(); });
    error.Run([this] { TIdTCPClient::CloseConnection(); });
    loggedIn_ = false;
    capabilities_.clear();
    error.Rethrow();
}

bool ImapClient::LiteralPlus(std::uint64_t size) const {
    return HasCapability("LITERAL+") || (HasCapability("LITERAL-") && size <= LiteralMinusLimit);
}

void ImapClient::StartExchange() {
    capabilitiesNoted_ = false;
    reader_.StartExchange();
    reader_.MaxLiteralSize = MaxLiteralSize;
    untagged_.clear();
    bye_.reset();
}

std::string ImapClient::SendTaggedCommand(const ImapCommand& command, const std::string& step) {
    StartExchange();
    std::string tag = "A";
    tag += std::to_string(++tagCount_);
    WriteText(tag + " ");
    for (const ImapCommand::TPart& part : command.Parts()) {
        using TKind = ImapCommand::TPart::TKind;
        if (part.kind == TKind::Text) {
            WriteText(part.bytes);
            continue;
        }
        const std::uint64_t size = part.kind == TKind::Literal ? part.bytes.size() : part.size;
        const bool plus = LiteralPlus(size);
        WriteText(" {" + std::to_string(size) + (plus ? "+}\r\n" : "}\r\n"));
        if (!plus) ReadContinuation(tag, step);
        if (part.kind == TKind::StreamedLiteral) return tag;
        SendContinuationData(part.bytes.data(), part.bytes.size());
    }
    WriteText("\r\n");
    return tag;
}

void ImapClient::SendContinuationData(const char* bytes, std::size_t count) { WriteBytes(bytes, count); }

TImapResponse ImapClient::ReadResponse(const std::string& step) {
    try {
        return reader_.Read();
    } catch (const EIdConnClosedGracefully&) {
        if (bye_) throw EImapCommandFailed(step, "BYE", ImapTextForMessage(bye_->text), bye_->code);
        throw;
    } catch (const EIdSocketError&) {
        if (bye_) throw EImapCommandFailed(step, "BYE", ImapTextForMessage(bye_->text), bye_->code);
        throw;
    }
}

void ImapClient::Note(const TImapResponse& response) {
    if (response.kind == TImapResponse::TKind::Continuation) return;
    if (response.kind == TImapResponse::TKind::Untagged && ImapResponseKeyword(response) == "CAPABILITY") {
        capabilities_ = ParseImapCapabilities(std::string_view(response.text).substr(10));
        capabilitiesNoted_ = true;
        return;
    }
    const std::optional<TImapStatus> status = ParseImapStatus(response);
    if (!status) return;
    if (StartsWithWord(status->code, "CAPABILITY")) {
        capabilities_ = ParseImapCapabilities(std::string_view(status->code).substr(10));
        capabilitiesNoted_ = true;
    }
    if (status->status == "BYE") bye_ = status;
}

void ImapClient::RaiseUnexpected(const TImapResponse& response, const std::string& step) {
    if (response.kind == TImapResponse::TKind::Continuation)
        throw EImapResponseError("The server asked for more (a continuation) where it should have answered " +
                                 step + ": " + ImapTextForMessage(response.text, 120));
    throw EImapResponseError("The server answered a command that was not sent (tag " +
                             ImapTextForMessage(response.tag, 40) + ") where it should have answered " +
                             step);
}

void ImapClient::ReadContinuation(const std::string& tag, const std::string& step) {
    const TReplyClock clock(*this);
    for (;;) {
        TImapResponse response = ReadResponse(step);
        if (response.kind == TImapResponse::TKind::Continuation) return;
        if (response.kind == TImapResponse::TKind::Untagged) {
            Note(response);
            untagged_.push_back(std::move(response));
            continue;
        }
        if (response.tag != tag) RaiseUnexpected(response, step);
        // The server ended the command without asking for the rest of it: a refusal.
        const std::optional<TImapStatus> status = ParseImapStatus(response);
        if (status && (status->status == "NO" || status->status == "BAD"))
            throw EImapCommandFailed(step, status->status, ImapTextForMessage(status->text), status->code);
        throw EImapResponseError("The server ended " + step + " before the command was sent whole: " +
                                 ImapTextForMessage(response.text, 120));
    }
}

ImapClient::TExchange ImapClient::ReadUntilTagged(const std::string& tag, const std::string& step,
                                                  const std::function<void()>& onContinuation) {
    const TReplyClock clock(*this);
    for (;;) {
        TImapResponse response;
        try {
            response = ReadResponse(step);
        } catch (const EImapCommandFailed& error) {
            // LOGOUT is answered by a BYE (RFC 9051 §6.1.3); a server that closes right after it is done.
            if (step == "LOGOUT" && error.Status() == "BYE") return {std::move(untagged_), *bye_};
            throw;
        }
        if (response.kind == TImapResponse::TKind::Untagged) {
            Note(response);
            untagged_.push_back(std::move(response));
            continue;
        }
        if (response.kind == TImapResponse::TKind::Continuation && onContinuation) {
            onContinuation();
            continue;
        }
        if (response.kind == TImapResponse::TKind::Continuation || response.tag != tag)
            RaiseUnexpected(response, step);
        const std::optional<TImapStatus> status = ParseImapStatus(response);
        if (!status || (status->status != "OK" && status->status != "NO" && status->status != "BAD"))
            throw EImapResponseError("The server's answer to " + step +
                                     " is neither OK, NO nor BAD: " + ImapTextForMessage(response.text, 120));
        if (status->status != "OK")
            throw EImapCommandFailed(step, status->status, ImapTextForMessage(status->text), status->code);
        Note(response);
        return {std::move(untagged_), *status};
    }
}

}  // namespace quillory
