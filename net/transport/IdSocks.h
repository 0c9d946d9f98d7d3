#pragma once

#include <string>

namespace quillory {

class TIdIOHandler;

enum class TSocksVersion { svNoSocks, svSocks4, svSocks4A, svSocks5 };
enum class TSocksAuthentication { saNoAuthentication, saUsernamePassword };

// How a transport reaches its target through a SOCKS proxy: the proxy's address, the protocol
// and the SOCKS 5 login. With svNoSocks (the default) the transport connects directly.
class TIdSocksInfo {
public:
    // Asks the proxy, over the already connected `transport`, for a connection to `host`:`port`
    // (SOCKS 4 and 4A; SOCKS 5 of RFC 1928 with the login of RFC 1929). Each reply must arrive
    // within `timeoutMs`. svNoSocks exchanges nothing. Failures raise EIdSocksError descendants.
    void NegotiateProxy(TIdIOHandler& transport, const std::string& host, int port, int timeoutMs) const;

    TSocksAuthentication Authentication = TSocksAuthentication::saNoAuthentication;
    std::string Host;
    std::string Password;
    int Port = 1080;
    std::string Username;
    TSocksVersion Version = TSocksVersion::svNoSocks;

private:
    void MakeSocks4Connection(TIdIOHandler& transport, const std::string& host, int port,
                              int timeoutMs) const;
    void MakeSocks5Connection(TIdIOHandler& transport, const std::string& host, int port,
                              int timeoutMs) const;
};

}  // namespace quillory
