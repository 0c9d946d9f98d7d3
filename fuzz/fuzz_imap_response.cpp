// The IMAP response reader against a server that sends the input and closes: response after
// response straight off the connection, with the reading of status, CAPABILITY and LIST responses
// and the decoding of folder names; then whole sessions of the IMAP client (greeting, CAPABILITY,
// STARTTLS, login, LIST, APPEND, LOGOUT) against the same bytes. Every response read stays within
// the bounds of an exchange, its text holds no line end and its literals stand in order where
// their announcements end; a folder name that decodes encodes back to itself; reading ends only
// with one of the system's own errors. A session to a server that is not this machine never sends
// the password over the unencrypted connection, whatever the server answers.
//
// Receives take at most 1 KB (the program asks for 32 KB): each one's buffer is cleared first, and
// the fuzzer runs several times faster when that is not 32 KB a receive.
//
// Input: byte 0 sizes the receives in its low half (0: as large as asked) and, in its high half,
// bounds the lines, bytes and literals of an exchange (0: the program's bounds); the rest is what
// the server sends.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/Exception.h"
#include "core/Utf8.h"
#include "mail/IdCoder3to4.h"
#include "net/imap/ImapClient.h"
#include "net/imap/ImapFolderName.h"
#include "net/imap/ImapResponse.h"
#include "net/imap/ImapResponseReader.h"
#include "net/transport/IdTCPConnection.h"
#include "support/FuzzCheck.h"
#include "support/MemoryTransport.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

constexpr const char* kUsername = "fuzz-user";
constexpr const char* kPassword = "fuzz-secret-heslo";
constexpr int kReceiveSize = 1024;

// A name decodes only from its canonical modified UTF-7, so it encodes back to the same bytes;
// one left as it is was no modified UTF-7 or had nothing to decode. Any UTF-8 comes back whole.
void CheckFolderName(const std::string& name) {
    const std::string decoded = DecodeImapFolderName(name);
    if (decoded != name) {
        Check(IsValidUtf8(decoded));
        Check(EncodeImapFolderName(decoded) == name);
    }
    if (IsValidUtf8(name)) Check(DecodeImapFolderName(EncodeImapFolderName(name)) == name);
    const std::string encoded = EncodeImapFolderName(name);
    for (const char c : encoded) Check(c >= 0x20 && c <= 0x7E);
}

// `bytes` counts what the exchange has brought so far.
void CheckResponse(const TImapResponse& response, const ImapResponseReader& reader, std::size_t& bytes,
                   std::size_t maxBytes) {
    Check(response.text.find('\n') == std::string::npos);
    if (response.kind == TImapResponse::TKind::Tagged)
        Check(!response.tag.empty() && response.tag.find(' ') == std::string::npos);
    bytes += response.text.size();
    std::size_t position = 0;
    for (const auto& literal : response.literals) {
        Check(literal.position >= position && literal.position <= response.text.size());
        Check(literal.position > 0 && response.text[literal.position - 1] == '}');
        Check(literal.bytes.size() <= reader.MaxLiteralSize);
        position = literal.position;
        bytes += literal.bytes.size();
    }
    if (maxBytes != 0) Check(bytes <= maxBytes);
    if (response.kind != TImapResponse::TKind::Untagged || IsImapStatusWord(ImapResponseKeyword(response)))
        Check(response.literals.empty());

    if (const auto status = ParseImapStatus(response)) {
        Check(IsImapStatusWord(status->status));
        Check(status->code.find(']') == std::string::npos);
    }
    const std::string keyword = ImapResponseKeyword(response);
    if (keyword == "CAPABILITY") {
        for (const std::string& name : ParseImapCapabilities(std::string_view(response.text).substr(10))) {
            Check(!name.empty() && name.find(' ') == std::string::npos);
            for (const char c : name) Check(!(c >= 'a' && c <= 'z'));
        }
    }
    if (keyword == "LIST") {
        try {
            const TImapListEntry entry = ParseImapListResponse(response);
            Check(entry.delimiter.size() <= 1);
            CheckFolderName(entry.name);
        } catch (const EImapResponseError&) {}
    }
}

// `bound` 0 keeps the program's limits of an exchange; others make them small enough to reach.
void ReadResponses(std::string_view stream, std::size_t chunk, std::size_t bound) {
    TIdTCPConnection connection;
    connection.SetIOHandler(std::make_unique<fuzz::TMemoryTransport>(stream, chunk));
    connection.RecvBufferSize = kReceiveSize;
    connection.MaxReplyLines = bound != 0 ? bound : ImapClient::MaxResponseLines;
    connection.MaxReplySize = bound != 0 ? 64 * bound : ImapClient::MaxResponseBytes;
    ImapResponseReader reader(connection);
    reader.MaxLiteralSize = bound != 0 ? 16 * bound : ImapClient::MaxLiteralBytes;
    reader.StartExchange();
    std::size_t lines = 0;
    std::size_t bytes = 0;
    // A response takes at least one byte, so the stream is used up within this many.
    for (std::size_t i = 0; i <= stream.size(); ++i) {
        try {
            const TImapResponse response = reader.Read();
            lines += 1 + response.literals.size();
            Check(lines <= connection.MaxReplyLines);
            CheckResponse(response, reader, bytes, connection.MaxReplySize);
        } catch (const Exception&) {
            return;
        }
    }
    Check(false);
}

void Session(std::string_view stream, std::size_t chunk, std::size_t bound, const std::string& host) {
    ImapClient imap;
    auto transport = std::make_unique<fuzz::TMemoryTransport>(stream, chunk);
    const fuzz::TMemoryTransport& sent = *transport;
    imap.SetIOHandler(std::move(transport));
    imap.RecvBufferSize = kReceiveSize;
    imap.Host = host;
    imap.Security = TImapSecurity::StartTLS;
    if (bound != 0) {
        imap.MaxReplyLines = bound;
        imap.MaxReplySize = 64 * bound;
        imap.MaxLiteralSize = 16 * bound;
    }
    const std::string message = "Subject: Cen\xEDk\r\n\r\nDobr\xFD den\r\n";
    std::size_t offered = 0;
    try {
        imap.OpenConnection(1000);
        imap.Login(kUsername, kPassword);
        const std::string folder = imap.FindSentFolder();
        CheckFolderName(folder);
        imap.Append(folder, {message.size(), [&](char* buffer, std::size_t capacity) {
                                 const std::size_t count = std::min(capacity, message.size() - offered);
                                 message.copy(buffer, count, offered);
                                 offered += count;
                                 return count;
                             }});
        // A stored copy went out whole.
        Check(offered == message.size() && sent.Sent().find(message) != std::string::npos);
        imap.Logout();
    } catch (const Exception&) {}
    if (!ImapClient::IsThisMachine(host)) {
        const std::string plain = std::string(1, '\0') + kUsername + '\0' + kPassword;
        for (const std::string& secret : {std::string(kPassword), EncodeTextWith<TIdEncoderMIME>(plain)})
            Check(sent.Sent().find(secret) == std::string::npos);
    }
    try {
        if (imap.IsConnected()) imap.CloseConnection();
    } catch (const Exception&) {}
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t chunk = data[0] & 0x0F;
    const std::size_t bound = data[0] >> 4;
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    ReadResponses(stream, chunk, bound);
    CheckFolderName(std::string(stream));
    Session(stream, chunk, bound, "imap.example");
    Session(stream, chunk, bound, "localhost");
    return 0;
}
