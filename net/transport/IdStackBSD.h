#pragma once

#include "net/transport/IdStack.h"

namespace quillory {

// The stack over this system's BSD socket interface (IPv4 and IPv6 connections, getaddrinfo). Error numbers
// are translated to the Windows Sockets numbers of the user-visible messages.
class TIdStackBSD final : public TIdStack {
public:
    TIdStackSocketHandle CreateSocket(int family, int type, int protocol) override;
    int Bind(TIdStackSocketHandle handle, const std::string& ip, int port) override;
    int Connect(TIdStackSocketHandle handle, const std::string& ip, int port) override;
    long Send(TIdStackSocketHandle handle, const void* buffer, std::size_t length) override;
    long Receive(TIdStackSocketHandle handle, void* buffer, std::size_t length) override;
    int WaitFor(TIdStackSocketHandle handle, bool writable, int timeoutMs) override;
    int SetBlocking(TIdStackSocketHandle handle, bool blocking) override;
    int Shutdown(TIdStackSocketHandle handle, int how) override;
    int Close(TIdStackSocketHandle handle) override;
    int SetOption(TIdStackSocketHandle handle, int level, int name, const void* value, int length) override;
    int GetOption(TIdStackSocketHandle handle, int level, int name, void* value, int& length) override;
    void LocalEndpoint(TIdStackSocketHandle handle, std::string& ip, int& port) override;
    void PeerEndpoint(TIdStackSocketHandle handle, std::string& ip, int& port) override;
    std::string HostByName(const std::string& host) override;
    std::vector<std::string> HostAddresses(const std::string& host) override;
    std::string HostByAddress(const std::string& ip) override;
    std::string LocalHostName() override;
    void RefreshLocalAddresses() override;
    int ServiceByName(const std::string& name) override;
    std::vector<std::string> ServiceByPort(int port) override;
    int QueryLastError() override;
    // 11001 reads "Host not found."; every other number goes to the base table.
    std::string ErrorText(int number) const override;
};

}  // namespace quillory
