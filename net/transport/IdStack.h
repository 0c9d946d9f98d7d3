#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace quillory {

using TIdStackSocketHandle = int;

constexpr TIdStackSocketHandle Id_INVALID_SOCKET = -1;
constexpr int Id_SOCKET_ERROR = -1;
// Time limits in milliseconds: this value means no limit.
constexpr int IdTimeoutInfinite = -2;
// The default of the object that is asked to wait (never reaches the stack).
constexpr int IdTimeoutDefault = -1;

using TIdIPv4Bytes = std::array<std::uint8_t, 4>;

// The process's socket stack: every socket call of the transport goes through it. Failed calls
// return -1 and leave the Windows Sockets error number for QueryLastError; callers hand results
// to CheckResult, which turns a failure into EIdSocketError. Connections go to IPv4 or IPv6
// addresses (an IP text holding ":" is IPv6); the name lookups of the proxies stay IPv4.
class TIdStack {
public:
    TIdStack() = default;
    TIdStack(const TIdStack&) = delete;
    TIdStack& operator=(const TIdStack&) = delete;
    virtual ~TIdStack() = default;

    virtual TIdStackSocketHandle CreateSocket(int family, int type, int protocol) = 0;
    // The IP text may be empty (0.0.0.0) for Bind, not for Connect.
    virtual int Bind(TIdStackSocketHandle handle, const std::string& ip, int port) = 0;
    virtual int Connect(TIdStackSocketHandle handle, const std::string& ip, int port) = 0;
    virtual long Send(TIdStackSocketHandle handle, const void* buffer, std::size_t length) = 0;
    // The count received, 0 when the peer has closed, -1 on failure.
    virtual long Receive(TIdStackSocketHandle handle, void* buffer, std::size_t length) = 0;
    // Waits until the socket is readable (or writable); 1 when it is, 0 on timeout, -1 on failure.
    // A timeout t passes t div 1000 seconds and t mod 1000 milliseconds; IdTimeoutInfinite waits without
    // limit.
    virtual int WaitFor(TIdStackSocketHandle handle, bool writable, int timeoutMs) = 0;
    // Switches a socket between blocking and non-blocking calls; 0 or -1.
    virtual int SetBlocking(TIdStackSocketHandle handle, bool blocking) = 0;
    virtual int Shutdown(TIdStackSocketHandle handle, int how) = 0;
    virtual int Close(TIdStackSocketHandle handle) = 0;
    virtual int SetOption(TIdStackSocketHandle handle, int level, int name, const void* value,
                          int length) = 0;
    virtual int GetOption(TIdStackSocketHandle handle, int level, int name, void* value, int& length) = 0;
    // Read the local or peer address of a socket; a failure raises EIdSocketError.
    virtual void LocalEndpoint(TIdStackSocketHandle handle, std::string& ip, int& port) = 0;
    virtual void PeerEndpoint(TIdStackSocketHandle handle, std::string& ip, int& port) = 0;

    // The first IPv4 address of the name as IP text; an unknown name raises EIdSocketError 11001.
    virtual std::string HostByName(const std::string& host) = 0;
    // Every address of the name, IPv6 and IPv4, in the resolver's order of preference, each once;
    // an unknown name raises EIdSocketError 11001.
    virtual std::vector<std::string> HostAddresses(const std::string& host) = 0;
    virtual std::string HostByAddress(const std::string& ip) = 0;
    // The computer's host name; empty when the system cannot tell it.
    virtual std::string LocalHostName() = 0;
    virtual void RefreshLocalAddresses() = 0;
    std::vector<std::string> LocalAddresses();
    std::string FirstLocalAddress();
    // The port of a service name, or the name read as a decimal port; else EIdInvalidServiceName.
    virtual int ServiceByName(const std::string& name) = 0;
    // The service name and its aliases for a port; empty when none.
    virtual std::vector<std::string> ServiceByPort(int port) = 0;
    // The calling thread's last Windows Sockets error number.
    virtual int QueryLastError() = 0;
    // "Socket Error # <number>\r\n<text>".
    virtual std::string ErrorText(int number) const;

    // False when `result` is not -1; otherwise true when QueryLastError is one of `ignored`, else
    // raises EIdSocketError with that number.
    bool CheckResult(long result, std::initializer_list<int> ignored = {});
    [[noreturn]] void RaiseError(int number) const;
    // A socket of `family` (AF_INET or AF_INET6); EIdInvalidSocket when none can be created.
    TIdStackSocketHandle NewSocketHandle(int type, int protocol, int family);
    // "localhost" in any case is 127.0.0.1, a dotted quad stays as it is, anything else is looked up.
    std::string ResolveToAddress(const std::string& host);
    // The addresses a connection to `host` tries in turn: "localhost" in any case is 127.0.0.1,
    // an IPv4 or IPv6 literal stays as it is, anything else is every address of HostAddresses.
    std::vector<std::string> ResolveToAddresses(const std::string& host);
    // AF_INET6 for an IP text holding ":", else AF_INET.
    static int AddressFamily(const std::string& ip);

    static bool LooksLikeAddress(const std::string& text);
    // Four decimal parts, each truncated to 8 bits; a part that is no number raises EIdException.
    static TIdIPv4Bytes TextToAddress(const std::string& text);
    static std::string AddressToText(const TIdIPv4Bytes& bytes);

protected:
    std::vector<std::string> localAddresses_;
};

// The process's stack; exists while at least one TIdStackLease does.
TIdStack& SharedStack();

// Holds the process's stack alive: the first lease creates it, the last one destroys it. Every
// socket component holds one.
class TIdStackLease {
public:
    TIdStackLease();
    ~TIdStackLease();
    TIdStackLease(const TIdStackLease&);
    TIdStackLease& operator=(const TIdStackLease&) { return *this; }
};

}  // namespace quillory
