#include "net/transport/ServerAddress.h"

#include <algorithm>
#include <cctype>

namespace quillory {
namespace {

int ParsePort(std::string_view digits, std::string_view whole) {
    const bool numeric = !digits.empty() && digits.size() <= 5 &&
                         std::all_of(digits.begin(), digits.end(),
                                     [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)); });
    const int port = numeric ? std::stoi(std::string(digits)) : 0;
    if (port < 1 || port > 65535)
        throw EServerAddressError("Invalid port in the server address \"" + std::string(whole) + "\"");
    return port;
}

}  // namespace

TServerAddress ParseServerAddress(std::string_view text, int defaultPort) {
    TServerAddress address;
    address.port = defaultPort;
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string_view::npos)
            throw EServerAddressError("Invalid server address \"" + std::string(text) + "\"");
        address.host = std::string(text.substr(1, close - 1));
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                throw EServerAddressError("Invalid server address \"" + std::string(text) + "\"");
            address.port = ParsePort(rest.substr(1), text);
        }
        return address;
    }
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos) {
        address.host = std::string(text);  // no port, or a bare IPv6 address
        return address;
    }
    address.host = std::string(text.substr(0, colon));
    address.port = ParsePort(text.substr(colon + 1), text);
    return address;
}

}  // namespace quillory
