#include "NetTestSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

namespace quillory::test {

namespace {

constexpr int SessionLimitMs = 10000;

// A socket bound to a free port of `ip` (IPv4, or IPv6 when it holds ":"), listening when asked.
int ListenOnLoopback(int& port, bool listen, int backlog = 8, const std::string& ip = "127.0.0.1") {
    const bool v6 = ip.find(':') != std::string::npos;
    const int fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    sockaddr_storage storage{};
    auto* address4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* address6 = reinterpret_cast<sockaddr_in6*>(&storage);
    storage.ss_family = v6 ? AF_INET6 : AF_INET;
    const int parsed = v6 ? ::inet_pton(AF_INET6, ip.c_str(), &address6->sin6_addr)
                          : ::inet_pton(AF_INET, ip.c_str(), &address4->sin_addr);
    socklen_t size = v6 ? sizeof *address6 : sizeof *address4;
    auto* raw = reinterpret_cast<sockaddr*>(&storage);
    if (parsed != 1 || ::bind(fd, raw, size) < 0 || (listen && ::listen(fd, backlog) < 0) ||
        ::getsockname(fd, raw, &size) < 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen " + ip);
    }
    port = ntohs(v6 ? address6->sin6_port : address4->sin_port);
    return fd;
}

bool WaitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) == 1;
}

int AcceptWithin(int listener, int timeoutMs) {
    if (!WaitReadable(listener, timeoutMs)) return -1;
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

void SendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

LoopbackPeer::LoopbackPeer() { listener_ = ListenOnLoopback(port_, true); }

LoopbackPeer::~LoopbackPeer() {
    Close();
    CloseFd(listener_);
}

void LoopbackPeer::Accept() {
    peer_ = AcceptWithin(listener_, SessionLimitMs);
    if (peer_ < 0) throw std::runtime_error("no client connected");
}

void LoopbackPeer::Send(const std::string& bytes) { SendAll(peer_, bytes); }

std::string LoopbackPeer::Receive(std::size_t count, int timeoutMs) {
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < count && WaitReadable(peer_, timeoutMs)) {
        const ssize_t n = ::recv(peer_, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return bytes;
}

void LoopbackPeer::Close() { CloseFd(peer_); }

RefusingPort::RefusingPort() { socket_ = ListenOnLoopback(port_, false); }

RefusingPort::~RefusingPort() { CloseFd(socket_); }

UnansweredPort::UnansweredPort() {
    listener_ = ListenOnLoopback(port_, true, 0);
    filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    if (::connect(filler_, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
        throw std::runtime_error("could not fill the accept queue");
    }
}

UnansweredPort::~UnansweredPort() {
    CloseFd(filler_);
    CloseFd(listener_);
}

ScriptedServer::ScriptedServer(std::vector<std::string> replies, std::vector<RawExchange> raw,
                               const std::string& ip)
    : replies_(std::move(replies)), raw_(std::move(raw)) {
    listener_ = ListenOnLoopback(port_, true, 8, ip);
    thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    if (thread_.joinable()) thread_.join();
    CloseFd(listener_);
}

std::vector<std::string> ScriptedServer::Transcript() {
    if (thread_.joinable()) thread_.join();
    return lines_;
}

std::string ScriptedServer::Received() {
    if (thread_.joinable()) thread_.join();
    return received_;
}

std::vector<std::string> ScriptedServer::RawRequests() {
    if (thread_.joinable()) thread_.join();
    return rawRequests_;
}

bool ScriptedServer::ReadLine(int fd, std::string& line) {
    for (;;) {
        const auto end = pending_.find("\r\n");
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 2);
            lines_.push_back(line);
            return true;
        }
        if (!WaitReadable(fd, SessionLimitMs)) return false;
        char chunk[65536];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            if (!pending_.empty()) lines_.push_back(pending_);
            pending_.clear();
            return false;
        }
        received_.append(chunk, static_cast<std::size_t>(n));
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}

void ScriptedServer::SendReply(int fd, const std::string& reply) { SendAll(fd, reply + "\r\n"); }

void ScriptedServer::Serve() {
    int fd = AcceptWithin(listener_, SessionLimitMs);
    if (fd < 0) return;
    for (const auto& exchange : raw_) {
        std::string request;
        while (request.size() < exchange.read && WaitReadable(fd, SessionLimitMs)) {
            char chunk[512];
            const ssize_t n = ::recv(fd, chunk, std::min(sizeof chunk, exchange.read - request.size()), 0);
            if (n <= 0) break;
            request.append(chunk, static_cast<std::size_t>(n));
        }
        rawRequests_.push_back(request);
        if (exchange.send == "<close>") {
            CloseFd(fd);
            return;
        }
        SendAll(fd, exchange.send);
    }
    std::string line;
    bool silent = false;
    for (std::size_t i = 0; i < replies_.size() && !silent; ++i) {
        if (i > 0) {
            if (!ReadLine(fd, line)) break;
            if (replies_[i - 1].rfind("354", 0) == 0) {
                while (line != "." && ReadLine(fd, line)) {}
            }
        }
        if (replies_[i] == "<close>") {
            CloseFd(fd);
            return;
        }
        silent = replies_[i] == "<silent>";
        if (!silent) SendReply(fd, replies_[i]);
    }
    while (ReadLine(fd, line)) {}
    CloseFd(fd);
}

bool HostileServer::Session::Send(std::string_view bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool HostileServer::Session::ReadLine(std::string& line) {
    for (;;) {
        const auto end = pending_.find("\r\n");
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 2);
            return true;
        }
        if (!WaitReadable(fd_, SessionLimitMs)) return false;
        char chunk[65536];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}

bool HostileServer::Session::Answer(const std::vector<std::string>& replies) {
    std::string line;
    for (const auto& reply : replies) {
        if (!ReadLine(line) || !Send(reply + "\r\n")) return false;
    }
    return true;
}

bool HostileServer::Session::ReadData(std::size_t& bytes) {
    std::string line;
    bytes = 0;
    while (ReadLine(line)) {
        if (line == ".") return true;
        bytes += line.size() + 2;
    }
    return false;
}

bool HostileServer::Session::ReadBytes(std::size_t count) {
    char chunk[4096];
    std::size_t received = pending_.size();
    pending_.clear();
    while (received < count && WaitReadable(fd_, SessionLimitMs)) {
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        received += static_cast<std::size_t>(n);
    }
    return received >= count;
}

bool HostileServer::Session::ReadExactly(std::size_t count, std::string& bytes) {
    while (pending_.size() < count && WaitReadable(fd_, SessionLimitMs)) {
        char chunk[65536];
        const ssize_t n = ::recv(fd_, chunk, std::min(sizeof chunk, count - pending_.size()), 0);
        if (n <= 0) break;
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
    if (pending_.size() < count) return false;
    bytes = pending_.substr(0, count);
    pending_.erase(0, count);
    return true;
}

bool HostileServer::Session::ClientClosedWithin(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0 || !WaitReadable(fd_, static_cast<int>(left))) return false;
        char chunk[4096];
        if (::recv(fd_, chunk, sizeof chunk, 0) <= 0) return true;
    }
}

void HostileServer::Session::Reset() {
    const linger abort{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    Close();
}

void HostileServer::Session::Close() { CloseFd(fd_); }

HostileServer::HostileServer(std::function<void(Session&)> script, int receiveBuffer) {
    listener_ = ListenOnLoopback(port_, false);
    // Set before listening, so the accepted socket starts with it (and with a window to match).
    if (receiveBuffer > 0)
        ::setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    if (::listen(listener_, 8) < 0) throw std::runtime_error("listen");
    thread_ = std::thread([this, script = std::move(script)] {
        int fd = AcceptWithin(listener_, SessionLimitMs);
        if (fd < 0) return;
        Session session(fd);
        script(session);
        session.Close();
    });
}

HostileServer::~HostileServer() {
    Join();
    CloseFd(listener_);
}

void HostileServer::Join() {
    if (thread_.joinable()) thread_.join();
}

std::size_t PeakMemory() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stoul(line.substr(6)) * 1024;
    }
    return 0;
}

void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) < 0 || ::pipe2(out, O_CLOEXEC) < 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        Finish();
    }
    CloseFd(stdout_);
}

std::string ChildProcess::ReadLine(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0 || !WaitReadable(stdout_, static_cast<int>(left))) return {};
        char chunk[65536];
        const ssize_t n = ::read(stdout_, chunk, sizeof chunk);
        if (n <= 0) return {};
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}

void ChildProcess::Finish() {
    CloseFd(stdin_);
    if (pid_ > 0) {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
}

std::string SupportScript(const std::string& name) {
    return std::string(QUILLORY_TEST_SUPPORT_DIR) + "/" + name;
}

}  // namespace quillory::test
