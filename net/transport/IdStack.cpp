#include "net/transport/IdStack.h"

#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>

#include "core/FirstError.h"
#include "core/TextCase.h"
#include "net/transport/IdErrorNumbers.h"
#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdStackBSD.h"

namespace quillory {

namespace {

std::mutex& StackLock() {
    static std::mutex lock;
    return lock;
}
int componentCount = 0;
std::unique_ptr<TIdStack> sharedStack;

// Cuts `rest` at its first "." into the part before it and what follows it; without a "." the
// whole rest is the part and the rest becomes empty.
std::string CutAtDot(std::string& rest) {
    const auto dot = rest.find('.');
    std::string part = rest.substr(0, dot);
    rest = dot == std::string::npos ? std::string() : rest.substr(dot + 1);
    return part;
}

bool IsDecimal(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The value of a decimal text, kept small enough not to overflow on long runs of digits.
long DecimalValue(const std::string& text) {
    long value = 0;
    for (const char c : text) value = std::min(value * 10 + (c - '0'), 100000L);
    return value;
}

// The four parts of a dotted quad: three cuts at ".", the fourth part is what remains.
std::array<std::string, 4> AddressParts(const std::string& text) {
    std::string rest = text;
    std::array<std::string, 4> parts;
    for (int i = 0; i < 3; ++i) parts[i] = CutAtDot(rest);
    parts[3] = rest;
    return parts;
}

bool IsLocalhostName(const std::string& host) { return SameText(host, "localhost"); }

}  // namespace

std::vector<std::string> TIdStack::LocalAddresses() {
    RefreshLocalAddresses();
    return localAddresses_;
}

std::string TIdStack::FirstLocalAddress() {
    const auto addresses = LocalAddresses();
    return addresses.empty() ? std::string() : addresses.front();
}

std::string TIdStack::ErrorText(int number) const {
    return "Socket Error # " + std::to_string(number) + "\r\n" + WinsockErrorTableText(number);
}

bool TIdStack::CheckResult(long result, std::initializer_list<int> ignored) {
    if (result != Id_SOCKET_ERROR) return false;
    const int error = QueryLastError();
    if (std::find(ignored.begin(), ignored.end(), error) != ignored.end()) return true;
    RaiseError(error);
}

void TIdStack::RaiseError(int number) const { throw EIdSocketError(number, ErrorText(number)); }

TIdStackSocketHandle TIdStack::NewSocketHandle(int type, int protocol, int family) {
    const TIdStackSocketHandle handle = CreateSocket(family, type, protocol);
    if (handle == Id_INVALID_SOCKET) throw EIdInvalidSocket();
    return handle;
}

std::string TIdStack::ResolveToAddress(const std::string& host) {
    if (IsLocalhostName(host)) return "127.0.0.1";
    if (LooksLikeAddress(host)) return host;
    return HostByName(host);
}

std::vector<std::string> TIdStack::ResolveToAddresses(const std::string& host) {
    if (host.find(':') != std::string::npos) return {host};
    if (IsLocalhostName(host)) return {"127.0.0.1"};
    if (LooksLikeAddress(host)) return {host};
    return HostAddresses(host);
}

int TIdStack::AddressFamily(const std::string& ip) {
    return ip.find(':') != std::string::npos ? AF_INET6 : AF_INET;
}

bool TIdStack::LooksLikeAddress(const std::string& text) {
    const auto parts = AddressParts(text);
    return std::all_of(parts.begin(), parts.end(),
                       [](const std::string& part) { return IsDecimal(part) && DecimalValue(part) <= 255; });
}

TIdIPv4Bytes TIdStack::TextToAddress(const std::string& text) {
    auto parts = AddressParts(text);
    parts[3] = CutAtDot(parts[3]);  // a fourth cut: anything after a fifth part is ignored
    TIdIPv4Bytes bytes{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!IsDecimal(parts[i])) throw EIdException("'" + parts[i] + "' is not a valid integer value");
        bytes[i] = static_cast<std::uint8_t>(DecimalValue(parts[i]) & 0xFF);
    }
    return bytes;
}

std::string TIdStack::AddressToText(const TIdIPv4Bytes& bytes) {
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
           std::to_string(bytes[3]);
}

TIdStack& SharedStack() {
    std::lock_guard guard(StackLock());
    if (!sharedStack) throw EIdStackError("No socket stack.");
    return *sharedStack;
}

TIdStackLease::TIdStackLease() {
    std::lock_guard guard(StackLock());
    if (componentCount++ == 0) sharedStack = std::make_unique<TIdStackBSD>();
}

TIdStackLease::TIdStackLease(const TIdStackLease&) : TIdStackLease() {}

TIdStackLease::~TIdStackLease() {
    TFirstError dropped;  // a destructor raises nothing
    dropped.Run([] {
        std::lock_guard guard(StackLock());
        if (--componentCount == 0) sharedStack.reset();
    });
}

}  // namespace quillory
