#pragma once

#include <string>
#include <string_view>

#include "core/Exception.h"

namespace quillory {

// The outgoing server as the user types it: "host" (port 25), "host:port", "[IPv6]:port", or a
// bare IPv6 address (port 25).
struct TServerAddress {
    static constexpr int DefaultPort = 25;
    std::string host;
    int port = DefaultPort;
};

// A server text whose port is not a number from 1 to 65535, or whose brackets do not close.
class EServerAddressError : public Exception {
    using Exception::Exception;
};

TServerAddress ParseServerAddress(std::string_view text);

}  // namespace quillory
