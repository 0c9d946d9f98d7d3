#include "net/IdStackBSD.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "net/IdErrorNumbers.h"
#include "net/IdSocketExceptions.h"

namespace quillory {

namespace {

// The Windows Sockets error number of this thread's last failed call.
thread_local int lastSocketError = 0;

// Records errno of the call that just failed; returns the failure result for the caller.
int Failed() {
    lastSocketError = WinsockErrorFromErrno(errno);
    return Id_SOCKET_ERROR;
}

sockaddr_in SocketAddress(const std::string& ip, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (!ip.empty()) {
        const TIdIPv4Bytes bytes = TIdStack::TextToAddress(ip);
        std::memcpy(&address.sin_addr, bytes.data(), bytes.size());
    }
    return address;
}

void ReadAddress(const sockaddr_in& address, std::string& ip, int& port) {
    TIdIPv4Bytes bytes{};
    std::memcpy(bytes.data(), &address.sin_addr, bytes.size());
    ip = TIdStack::AddressToText(bytes);
    port = ntohs(address.sin_port);
}

struct AddrInfoFree {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};
using AddrInfoPtr = std::unique_ptr<addrinfo, AddrInfoFree>;

// Every IPv4 address of `host` in the resolver's order; on failure records the error and returns none.
std::vector<std::string> ResolveAll(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
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
        std::string ip;
        int port = 0;
        ReadAddress(*reinterpret_cast<const sockaddr_in*>(entry->ai_addr), ip, port);
        addresses.push_back(ip);
    }
    return addresses;
}

}  // namespace

TIdStackSocketHandle TIdStackBSD::CreateSocket(int family, int type, int protocol) {
    const int handle = ::socket(family, type | SOCK_CLOEXEC, protocol);
    return handle < 0 ? Failed() : handle;
}

int TIdStackBSD::Bind(TIdStackSocketHandle handle, const std::string& ip, int port) {
    const sockaddr_in address = SocketAddress(ip, port);
    return ::bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0 ? Failed() : 0;
}

int TIdStackBSD::Connect(TIdStackSocketHandle handle, const std::string& ip, int port) {
    const sockaddr_in address = SocketAddress(ip, port);
    int result;
    do {
        result = ::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address);
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
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
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

int TIdStackBSD::Close(TIdStackSocketHandle handle) {
    return ::close(handle) < 0 ? Failed() : 0;
}

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
    sockaddr_in address{};
    socklen_t size = sizeof address;
    CheckResult(::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &size) < 0 ? Failed() : 0);
    ReadAddress(address, ip, port);
}

void TIdStackBSD::PeerEndpoint(TIdStackSocketHandle handle, std::string& ip, int& port) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    CheckResult(::getpeername(handle, reinterpret_cast<sockaddr*>(&address), &size) < 0 ? Failed() : 0);
    ReadAddress(address, ip, port);
}

std::string TIdStackBSD::HostByName(const std::string& host) {
    const auto addresses = ResolveAll(host);
    if (addresses.empty()) CheckResult(Id_SOCKET_ERROR);
    return addresses.front();
}

std::string TIdStackBSD::HostByAddress(const std::string& ip) {
    const sockaddr_in address = SocketAddress(ip, 0);
    char name[NI_MAXHOST] = {};
    const int result = ::getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof address, name, sizeof name,
                                     nullptr, 0, NI_NAMEREQD);
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
    localAddresses_ = ResolveAll(LocalHostName());
    if (localAddresses_.empty()) CheckResult(Id_SOCKET_ERROR);
}

int TIdStackBSD::ServiceByName(const std::string& name) {
    if (const servent* entry = ::getservbyname(name.c_str(), "tcp")) return ntohs(static_cast<std::uint16_t>(entry->s_port));
    try {
        std::size_t used = 0;
        const int port = std::stoi(name, &used);
        if (used == name.size()) return port;
    } catch (const std::logic_error&) {
    }
    throw EIdInvalidServiceName(name);
}

std::vector<std::string> TIdStackBSD::ServiceByPort(int port) {
    std::vector<std::string> names;
    if (const servent* entry = ::getservbyport(htons(static_cast<std::uint16_t>(port)), "tcp")) {
        names.emplace_back(entry->s_name);
        for (char** alias = entry->s_aliases; alias != nullptr && *alias != nullptr; ++alias) names.emplace_back(*alias);
    }
    return names;
}

int TIdStackBSD::QueryLastError() {
    return lastSocketError;
}

std::string TIdStackBSD::ErrorText(int number) const {
    if (number == IdWSAHOST_NOT_FOUND) return "Socket Error # " + std::to_string(number) + "\r\nHost not found.";
    return TIdStack::ErrorText(number);
}

}  // namespace quillory
