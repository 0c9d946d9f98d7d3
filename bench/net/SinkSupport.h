#pragma once

// What the delivery benchmarks share: a port on 127.0.0.1 for the local sink, a check that it
// listens, its start, the envelope addresses and the account that sends to it.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "net/smtp/SmtpAccount.h"

namespace quillory::bench {

inline constexpr const char* Sender = "shop@example.cz";
inline constexpr const char* Recipient = "buyer@example.cz";

inline int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

inline bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// Starts Postfix's smtp-sink (found on PATH) on 127.0.0.1:`port`, its output dropped, and waits
// until it listens; -1, with the reason told, when it does not.
inline pid_t StartSmtpSink(int port) {
    const pid_t sink = ::fork();
    if (sink == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execlp("smtp-sink", "smtp-sink", "-u", "nobody", ("127.0.0.1:" + std::to_string(port)).c_str(),
                 "256", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 500 && !Accepts(port); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (Accepts(port)) return sink;
    std::fprintf(stderr, "smtp-sink did not start (scripts/bench.sh places it in build-bench/tools)\n");
    return -1;
}

// The account of the sink: no login, no copy kept.
inline TSmtpAccount SinkAccount(int port) {
    TSmtpAccount account;
    account.server = "127.0.0.1:" + std::to_string(port);
    account.sentCopy.localArchive = false;
    return account;
}

}  // namespace quillory::bench
