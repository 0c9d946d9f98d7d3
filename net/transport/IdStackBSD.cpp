#include "net/transport/IdStackBSD.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "net/transport/IdErrorNumbers.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {

namespace {

// The Windows Sockets error number of this thread's last failed call.
thread_local int lastSocketError = 0;

// Records errno of the call that just failed; returns the failure result for the caller.
int Failed() {
    lastSocketError = WinsockErrorFromErrno(errno);
    return Id_SOCKET_ERROR;
}

// A socket address of either family: an IP text holding ":" is IPv6, any other IPv4. An empty
// text is the wildcard address of IPv4.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    SocketAddress(const std::string& ip, int port) {
        const auto wirePort = htons(static_cast<std::uint16_t>(port));
        if (ip.find(':') != std::string::npos) {
            auto& address = reinterpret_cast<sockaddr_in6&>(storage);
            address.sin6_family = AF_INET6;
            address.sin6_port = wirePort;
            if (::inet_pton(AF_INET6, ip.c_str(), &address.sin6_addr) != 1) {
                throw EIdException("'" + ip + "' is not a valid IPv6 address");
            }
            length = sizeof address;
            return;
        }
        auto& address = reinterpret_cast<sockaddr_in&>(storage);
        address.sin_family = AF_INET;
        address.sin_port = wirePort;
        if (!ip.empty()) {
            const TIdIPv4Bytes bytes = TIdStack::TextToAddress(ip);
            std::memcpy(&address.sin_addr, bytes.data(), bytes.size());
        }
        length = sizeof address;
    }
    const sockaddr* Raw() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

std::string AddressText(const sockaddr& address) {
    if (address.sa_family == AF_INET6) {
        char text[INET6_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text, sizeof text);
        return text;
    }
    TIdIPv4Bytes bytes{};
    std::memcpy(bytes.data(), &reinterpret_cast<const sockaddr_in&>(address).sin_addr, bytes.size());
    return TIdStack::AddressToText(bytes);
}

void ReadAddress(const sockaddr_storage& storage, std::string& ip, int& port) {
    const auto& address = reinterpret_cast<const sockaddr&>(storage);
    ip = AddressText(address);
    port = ntohs(address.sa_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(storage).sin6_port
                                               : reinterpret_cast<const sockaddr_in&>(storage).sin_port);
}

struct AddrInfoFree {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};
using AddrInfoPtr = std::unique_ptr<addrinfo, AddrInfoFree>;

// Every address of `host` of `family` (AF_UNSPEC: IPv6 and IPv4) in the resolver's order, each
// once; on failure records the error and returns none.
std::vector<std::string> ResolveAll(const std::string& host, int family) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* raw = nullptr;
    const int result = getaddrinfo(host.c_str(), nullptr, &hints, &raw);
    AddrInfoPtr info(raw);
    std::vector<std::string> addresses;
    if (result != 0) {
        lastSocketError = WinsockErrorFromResolver(result, errno);
        return addresses;
    }
    for (const addrinfo* entry = info.get(); entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET && entry->ai_family != AF_INET6) continue;
        std::string ip = AddressText(*entry->ai_addr);
        if (std::find(addresses.begin(), addresses.end(), ip) == addresses.end())
            addresses.push_back(std::move(ip));
    }
    return addresses;
}

}  // namespace

TIdStackSocketHandle TIdStackBSD::CreateSocket(int family, int type, int protocol) {
    const int handle = ::socket(family, type | SOCK_CLOEXEC, protocol);
    return handle < 0 ? Failed() : handle;
}

int TIdStackBSD::Bind(TIdStackSocketHandle handle, const std::string& ip, int port) {
    const SocketAddress address(ip, port);
    return ::bind(handle, address.Raw(), address.length) < 0 ? Failed() : 0;
}

int TIdStackBSD::Connect(TIdStackSocketHandle handle, const std::string& ip, int port) {
    const SocketAddress address(ip, port);
    int result;
    do {
        result = ::connect(handle, address.Raw(), address.length);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? Failed() : 0;
}

long TIdStackBSD::Send(TIdStackSocketHandle handle, const void* buffer, std::size_t length) {
    ssize_t result;
    // MSG_NOSIGNAL: a peer that has gone away is an error number, not a signal that ends the program.
    do {
        result = ::send(handle, buffer, length, MSG_NOSIGNAL);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? Failed() : static_cast<long>(result);
}

long TIdStackBSD::Receive(TIdStackSocketHandle handle, void* buffer, std::size_t length) {
    ssize_t result;
    do {
        result = ::recv(handle, buffer, length, 0);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? Failed() : static_cast<long>(result);
}

int TIdStackBSD::WaitFor(TIdStackSocketHandle handle, bool writable, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const bool unlimited = timeoutMs == IdTimeoutInfinite || timeoutMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeoutMs);
    pollfd entry{handle, static_cast<short>(writable ? POLLOUT : POLLIN), 0};
    for (;;) {
        int wait = -1;
        if (!unlimited) {
            // Rounded up: a wait cut short by the rounding would end before the time asked for.
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = left > 0 ? static_cast<int>(left) : 0;
        }
        const int result = ::poll(&entry, 1, wait);
        if (result >= 0) return result > 0 ? 1 : 0;
        if (errno != EINTR) return Failed();
    }
}

int TIdStackBSD::SetBlocking(TIdStackSocketHandle handle, bool blocking) {
    const int flags = ::fcntl(handle, F_GETFL);
    if (flags < 0) return Failed();
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return ::fcntl(handle, F_SETFL, wanted) < 0 ? Failed() : 0;
}

int TIdStackBSD::Shutdown(TIdStackSocketHandle handle, int how) {
    return ::shutdown(handle, how) < 0 ? Failed() : 0;
}

int TIdStackBSD::Close(TIdStackSocketHandle handle) { return ::close(handle) < 0 ? Failed() : 0; }

int TIdStackBSD::SetOption(TIdStackSocketHandle handle, int level, int name, const void* value, int length) {
    return ::setsockopt(handle, level, name, value, static_cast<socklen_t>(length)) < 0 ? Failed() : 0;
}

int TIdStackBSD::GetOption(TIdStackSocketHandle handle, int level, int name, void* value, int& length) {
    socklen_t size = static_cast<socklen_t>(length);
    if (::getsockopt(handle, level, name, value, &size) < 0) return Failed();
    length = static_cast<int>(size);
    return 0;
}

void TIdStackBSD::LocalEndpoint(TIdStackSocketHandle handle, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    CheckResult(::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &size) < 0 ? Failed() : 0);
    ReadAddress(address, ip, port);
}

void TIdStackBSD::PeerEndpoint(TIdStackSocketHandle handle, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    CheckResult(::getpeername(handle, reinterpret_cast<sockaddr*>(&address), &size) < 0 ? Failed() : 0);
    ReadAddress(address, ip, port);
}

std::string TIdStackBSD::HostByName(const std::string& host) {
    const auto addresses = ResolveAll(host, AF_INET);
    if (addresses.empty()) CheckResult(Id_SOCKET_ERROR);
    return addresses.front();
}

std::vector<std::string> TIdStackBSD::HostAddresses(const std::string& host) {
    auto addresses = ResolveAll(host, AF_UNSPEC);
    if (addresses.empty()) CheckResult(Id_SOCKET_ERROR);
    return addresses;
}

std::string TIdStackBSD::HostByAddress(const std::string& ip) {
    const SocketAddress address(ip, 0);
    char name[NI_MAXHOST] = {};
    const int result =
        ::getnameinfo(address.Raw(), address.length, name, sizeof name, nullptr, 0, NI_NAMEREQD);
    if (result != 0) {
        lastSocketError = WinsockErrorFromResolver(result, errno);
        CheckResult(Id_SOCKET_ERROR);
    }
    return name;
}

std::string TIdStackBSD::LocalHostName() {
    char name[250] = {};
    if (::gethostname(name, sizeof name - 1) < 0) return {};
    return name;
}

void TIdStackBSD::RefreshLocalAddresses() {
    localAddresses_.clear();
    localAddresses_ = ResolveAll(LocalHostName(), AF_INET);
    if (localAddresses_.empty()) CheckResult(Id_SOCKET_ERROR);
}

int TIdStackBSD::ServiceByName(const std::string& name) {
    if (const servent* entry = ::getservbyname(name.c_str(), "tcp"))
        return ntohs(static_cast<std::uint16_t>(entry->s_port));
    try {
        std::size_t used = 0;
        const int port = std::stoi(name, &used);
        if (used == name.size()) return port;
    } catch (const std::logic_error&) {}
    throw EIdInvalidServiceName(name);
}

std::vector<std::string> TIdStackBSD::ServiceByPort(int port) {
    std::vector<std::string> names;
    if (const servent* entry = ::getservbyport(htons(static_cast<std::uint16_t>(port)), "tcp")) {
        names.emplace_back(entry->s_name);
        for (char** alias = entry->s_aliases; alias != nullptr && *alias != nullptr; ++alias)
            names.emplace_back(*alias);
    }
    return names;
}

int TIdStackBSD::QueryLastError() { return lastSocketError; }

std::string TIdStackBSD::ErrorText(int number) const {
    if (number == IdWSAHOST_NOT_FOUND)
        return "Socket Error # " + std::to_string(number) + "\r\nHost not found.";
    return TIdStack::ErrorText(number);
}

}  // namespace quillory
