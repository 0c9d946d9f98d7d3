#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace quillory::test {

// What a recording aiosmtpd (net_aiosmtpd_server.py --connections --closings --ports) reports,
// counted as it comes: connections, their ends and each message's recipient. The kill tests of the
// mail merge run count deliveries per recipient with it.
class ServerEvents {
public:
    // `readLine` gives the server's next line, empty when none came within the time given.
    ServerEvents(std::function<std::string(int timeoutMs)> readLine, int port)
        : readLine_(std::move(readLine)), port_(port) {}

    // Reads one event; false when none came within 20 seconds.
    bool Next() {
        const std::string line = readLine_(20000);
        std::istringstream words(line);
        const std::vector<std::string> word{std::istream_iterator<std::string>(words), {}};
        if (word.empty()) return false;
        if (word[0] == "connected") {
            ++connected_;
            lastClient_ = word.at(1);
        }
        if (word[0] == "closed") ++closed_;
        if (word[0] == "message") {
            ++taken_[word.at(4)];
            ++messages_;
        }
        return true;
    }

    // After the client's end: reads until every connection it made has ended, so the messages
    // they carried are all counted. A probe connection made now is accepted after any of the
    // client's (one queue, in order); once the server reports it, only the ends are left to read.
    bool Settle() {
        const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        const bool connected = ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                               ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        const std::string client = std::to_string(ntohs(address.sin_port));
        bool seen = connected;
        while (seen && lastClient_ != client) seen = Next();
        ::close(probe);
        while (seen && closed_ < connected_) seen = Next();
        return seen;
    }

    int Connections() const { return connected_; }
    int Messages() const { return messages_; }
    const std::map<std::string, int>& Taken() const { return taken_; }
    int TakenFor(const std::string& address) const {
        const auto found = taken_.find(address);
        return found == taken_.end() ? 0 : found->second;
    }

private:
    std::function<std::string(int)> readLine_;
    int port_;
    std::string lastClient_;
    int connected_ = 0;
    int closed_ = 0;
    int messages_ = 0;
    std::map<std::string, int> taken_;
};

}  // namespace quillory::test
