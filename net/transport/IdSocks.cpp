#include "net/transport/IdSocks.h"

#include <algorithm>
#include <cstdint>

#include "net/transport/IdIOHandler.h"
#include "net/transport/IdSocksExceptions.h"
#include "net/transport/IdStack.h"

namespace quillory {

namespace {

constexpr std::size_t MaxSocks4UserId = 255;
constexpr std::size_t MaxSocks5Field = 255;

void AppendPort(std::string& request, int port) {
    request += static_cast<char>((port >> 8) & 0xFF);
    request += static_cast<char>(port & 0xFF);
}

// Sends the whole request; a socket failure raises EIdSocketError.
void SendAll(TIdIOHandler& transport, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const long count = transport.SendBytes(bytes.data() + sent, bytes.size() - sent);
        SharedStack().CheckResult(count);
        sent += static_cast<std::size_t>(count);
    }
}

// Reads exactly `count` bytes; a closed connection, a failure or silence raises
// EIdSocksServerRespondError.
std::string ReceiveExactly(TIdIOHandler& transport, std::size_t count, int timeoutMs) {
    std::string reply(count, '\0');
    std::size_t received = 0;
    while (received < count) {
        if (!transport.WaitReadable(timeoutMs)) throw EIdSocksServerRespondError();
        const long n = transport.ReceiveBytes(reply.data() + received, count - received);
        if (n <= 0) throw EIdSocksServerRespondError();
        received += static_cast<std::size_t>(n);
    }
    return reply;
}

void CheckSocks5Reply(std::uint8_t code) {
    switch (code) {
    case 0:
        return;
    case 1:
        throw EIdSocksServerGeneralError();
    case 2:
        throw EIdSocksServerPermissionError();
    case 3:
        throw EIdSocksServerNetUnreachableError();
    case 4:
        throw EIdSocksServerHostUnreachableError();
    case 5:
        throw EIdSocksServerConnectionRefusedError();
    case 6:
        throw EIdSocksServerTTLExpiredError();
    case 7:
        throw EIdSocksServerCommandError();
    case 8:
        throw EIdSocksServerAddressError();
    default:
        throw EIdSocksUnknownError();
    }
}

void AppendSocks5Field(std::string& request, const std::string& field) {
    if (field.size() > MaxSocks5Field) throw EIdSocksError("Value too long for a socks request.");
    request += static_cast<char>(field.size());
    request += field;
}

}  // namespace

void TIdSocksInfo::NegotiateProxy(TIdIOHandler& transport, const std::string& host, int port,
                                  int timeoutMs) const {
    switch (Version) {
    case TSocksVersion::svNoSocks:
        return;
    case TSocksVersion::svSocks4:
    case TSocksVersion::svSocks4A:
        MakeSocks4Connection(transport, host, port, timeoutMs);
        return;
    case TSocksVersion::svSocks5:
        MakeSocks5Connection(transport, host, port, timeoutMs);
        return;
    }
}

void TIdSocksInfo::MakeSocks4Connection(TIdIOHandler& transport, const std::string& host, int port,
                                        int timeoutMs) const {
    const bool socks4A = Version == TSocksVersion::svSocks4A;
    // SOCKS 4A: the address 0.0.0.1 tells the proxy to resolve the name that follows the user ID.
    const TIdIPv4Bytes address =
        socks4A ? TIdIPv4Bytes{0, 0, 0, 1} : TIdStack::TextToAddress(SharedStack().ResolveToAddress(host));
    std::string request{4, 1};
    AppendPort(request, port);
    request.append(address.begin(), address.end());
    request += Username.substr(0, MaxSocks4UserId);
    request += '\0';
    if (socks4A) {
        request += host;
        request += '\0';
    }
    SendAll(transport, request);

    const std::string reply = ReceiveExactly(transport, 8, timeoutMs);
    switch (static_cast<std::uint8_t>(reply[1])) {
    case 90:
        return;
    case 91:
        throw EIdSocksRequestFailed();
    case 92:
        throw EIdSocksRequestServerFailed();
    case 93:
        throw EIdSocksRequestIdentFailed();
    default:
        throw EIdSocksUnknownError();
    }
}

void TIdSocksInfo::MakeSocks5Connection(TIdIOHandler& transport, const std::string& host, int port,
                                        int timeoutMs) const {
    const bool login = Authentication == TSocksAuthentication::saUsernamePassword;
    const char method = login ? 2 : 0;
    SendAll(transport, std::string{5, 1, method});
    const std::string chosen = ReceiveExactly(transport, 2, timeoutMs);
    if (chosen[1] != method) throw EIdSocksAuthMethodError();

    if (login) {
        std::string request{1};
        AppendSocks5Field(request, Username);
        AppendSocks5Field(request, Password);
        SendAll(transport, request);
        if (ReceiveExactly(transport, 2, timeoutMs)[1] != 0) throw EIdSocksAuthError();
    }

    // The target always travels as a name (type 3), also when it is an address text.
    std::string request{5, 1, 0, 3};
    AppendSocks5Field(request, host);
    AppendPort(request, port);
    SendAll(transport, request);

    const std::string reply = ReceiveExactly(transport, 5, timeoutMs);
    CheckSocks5Reply(static_cast<std::uint8_t>(reply[1]));
    // The rest of the bound address, whose first byte came with the reply; it is not used.
    std::size_t rest = 2;
    switch (reply[3]) {
    case 1:
        rest = 5;
        break;
    case 3:
        rest = static_cast<std::uint8_t>(reply[4]) + 2u;
        break;
    case 4:
        rest = 17;
        break;
    default:
        break;
    }
    ReceiveExactly(transport, rest, timeoutMs);
}

}  // namespace quillory
