// The SMTP reply reader against a server that sends the input and closes: first reply after reply
// straight off the connection, then whole SMTP sessions. Every reply read has at least one text
// line and stays within the bounds of a reply, its numeric code agrees with its text code, and its
// rejection message is made of its lines; reading ends only with one of the system's own errors. A session to
// a server that is not this machine never sends the login over the unencrypted connection, whatever the
// server answers.
//
// Input: byte 0 sizes the receives in its low half (0: as large as asked) and, in its high half,
// bounds the lines and bytes of a reply in the first part (0: the program's bounds); the rest is
// what the server sends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/Exception.h"
#include "mail/IdCoder3to4.h"
#include "mail/IdMessage.h"
#include "net/smtp/IdSMTP.h"
#include "net/transport/IdTCPConnection.h"
#include "support/FuzzCheck.h"
#include "support/MemoryTransport.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

constexpr const char* kUsername = "fuzz-user";
constexpr const char* kPassword = "fuzz-secret";

bool AllDigits(const std::string& text) {
    if (text.empty() || text.size() > 9) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

void CheckReply(TIdTCPConnection& connection) {
    const TIdRFCReply& reply = connection.LastReply();
    Check(!reply.Text().empty() && reply.Text().size() <= connection.MaxReplyLines);
    std::size_t size = 0;
    for (const auto& line : reply.Text()) size += line.size();
    Check(size <= connection.MaxReplySize);
    if (AllDigits(reply.TextCode())) Check(reply.NumericCode() == std::stoi(reply.TextCode()));
    Check(connection.CheckReplyCode(reply.NumericCode(), {}) == reply.NumericCode());
    std::string message;
    for (const auto& line : reply.Text()) message += line + "\r\n";
    try {
        connection.RaiseReplyError();
    } catch (const EIdProtocolReplyError& error) {
        // The message is a C string on its way to the user: a NUL from the server shows as "?".
        std::replace(message.begin(), message.end(), '\0', '?');
        Check(error.Message() == message);
        Check(error.ReplyCode() == reply.NumericCode());
    }
}

// `bound` 0 keeps the program's limits of a reply; others make them small enough to reach.
void ReadReplies(std::string_view stream, std::size_t chunk, std::size_t bound) {
    TIdTCPConnection connection;
    connection.SetIOHandler(std::make_unique<fuzz::TMemoryTransport>(stream, chunk));
    if (bound != 0) {
        connection.MaxReplyLines = bound;
        connection.MaxReplySize = 16 * bound;
    }
    // A reply takes at least one byte, so the stream is used up within this many.
    for (std::size_t i = 0; i <= stream.size(); ++i) {
        try {
            connection.ReadReplyLines();
        } catch (const Exception&) {
            return;
        }
        CheckReply(connection);
    }
    Check(false);
}

void Session(std::string_view stream, std::size_t chunk, const std::string& host) {
    TIdSMTP smtp;
    auto transport = std::make_unique<fuzz::TMemoryTransport>(stream, chunk);
    const fuzz::TMemoryTransport& sent = *transport;
    smtp.SetIOHandler(std::move(transport));
    smtp.Host = host;
    smtp.HeloName = "client.example";
    smtp.SetAuthenticationType(TAuthenticationType::atLogin);
    smtp.Username = kUsername;
    smtp.Password = kPassword;
    TIdMessage message;
    message.From().SetText("Shop <shop@example.cz>");
    message.Recipients().SetAddressesText("buyer@example.cz, other@example.cz");
    message.Subject = "Offer";
    message.Body() = {"Good day,", ".", "Regards"};
    try {
        smtp.OpenConnection(1000);
        smtp.SendMail(message);
    } catch (const Exception&) {}
    if (!TIdSMTP::IsThisMachine(host)) {
        for (const std::string& secret : {std::string(kPassword), EncodeTextWith<TIdEncoderMIME>(kPassword),
                                          EncodeTextWith<TIdEncoderMIME>(kUsername)})
            Check(sent.Sent().find(secret) == std::string::npos);
        Check(sent.Sent().find("AUTH") == std::string::npos);
    }
    try {
        if (smtp.Connected()) smtp.Disconnect();
    } catch (const Exception&) {}
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t chunk = data[0] & 0x0F;
    const std::size_t bound = data[0] >> 4;
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    ReadReplies(stream, chunk, bound);
    Session(stream, chunk, "mail.example");
    Session(stream, chunk, "localhost");
    return 0;
}
