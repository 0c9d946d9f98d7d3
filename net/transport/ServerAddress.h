#pragma once

#include <string>
#include <string_view>

#include "core/Exception.h"

namespace quillory {

// A server as the user types it: "host" (the protocol's port: 25 for the outgoing server),
// "host:port", "[IPv6]:port", or a bare IPv6 address (the protocol's port).
struct TServerAddress {
    static constexpr int DefaultPort = 25;
    std::string host;
    int port = DefaultPort;
};

// A server text whose port is not a number from 1 to 65535, or whose brackets do not close.
class EServerAddressError : public Exception {
    using Exception::Exception;
};

TServerAddress ParseServerAddress(std::string_view text, int defaultPort = TServerAddress::DefaultPort);

}  // namespace quillory
