// The SOCKS 4, 4A and 5 reply readers against a proxy that sends the input and closes. A
// negotiation either fails with a SOCKS error or succeeds on a reply that grants the connection,
// having read exactly the bytes the protocol gives for it: no more (they belong to the target's
// protocol), no fewer.
//
// Input: byte 0 chooses the protocol (bits 0 and 1) and the SOCKS 5 login (bit 2), byte 1 sizes
// the receives (0: as large as asked); the rest is what the proxy sends.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "net/transport/IdSocks.h"
#include "net/transport/IdSocksExceptions.h"
#include "support/FuzzCheck.h"
#include "support/MemoryTransport.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

std::uint8_t At(std::string_view bytes, std::size_t index) {
    return index < bytes.size() ? static_cast<std::uint8_t>(bytes[index]) : 0;
}

// The bytes a granted SOCKS 5 exchange reads: the method choice, the login's answer, the reply
// with the first byte of the bound address, the rest of the address and the port.
std::size_t Socks5Length(std::string_view reply, bool login) {
    std::size_t length = 2 + (login ? 2 : 0);
    const std::size_t type = At(reply, length + 3);
    const std::size_t first = At(reply, length + 4);
    length += 5;
    switch (type) {
    case 1:
        return length + 5;
    case 3:
        return length + first + 2;
    case 4:
        return length + 17;
    default:
        return length + 2;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    TIdSocksInfo socks;
    const TSocksVersion versions[] = {TSocksVersion::svSocks4, TSocksVersion::svSocks4A,
                                      TSocksVersion::svSocks5, TSocksVersion::svSocks5};
    socks.Version = versions[data[0] & 3];
    const bool login = socks.Version == TSocksVersion::svSocks5 && (data[0] & 4);
    if (login) socks.Authentication = TSocksAuthentication::saUsernamePassword;
    socks.Username = "user";
    socks.Password = "secret";
    const std::string_view reply(reinterpret_cast<const char*>(data) + 2, size - 2);
    fuzz::TMemoryTransport proxy(reply, data[1]);
    try {
        // An address literal, so SOCKS 4 resolves nothing.
        socks.NegotiateProxy(proxy, "192.0.2.25", 25, 1000);
    } catch (const EIdSocksError&) {
        Check(proxy.Consumed() <= reply.size());
        return 0;
    }
    if (socks.Version == TSocksVersion::svSocks5) {
        Check(At(reply, 1) == (login ? 2 : 0));
        if (login) Check(At(reply, 3) == 0);
        Check(At(reply, login ? 5 : 3) == 0);
        Check(proxy.Consumed() == Socks5Length(reply, login));
    } else {
        Check(At(reply, 1) == 90);
        Check(proxy.Consumed() == 8);
    }
    return 0;
}
