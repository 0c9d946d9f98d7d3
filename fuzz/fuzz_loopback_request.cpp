// The browser's request to the sign-in's loopback redirect as it arrives, in pieces. Reading ends
// with nothing yet, a request, or one of the system's own errors; nothing is taken before the
// head's blank line, the bounds hold whatever arrives, and the request read from the first piece
// that completes the head is the one read from the whole input. A request read has a path, no
// parameter twice, lower-case header names and no control character in a header value.
//
// Input: byte 0 sets the size of the pieces (0: all at once) and, in its high bit, small bounds;
// the rest is what the browser sends.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Exception.h"
#include "net/oauth/LoopbackRequest.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

bool SameRequest(const TLoopbackRequest& a, const TLoopbackRequest& b) {
    return a.method == b.method && a.path == b.path && a.query == b.query && a.headers == b.headers;
}

void CheckRequest(const TLoopbackRequest& request, const TLoopbackRequestLimits& limits) {
    Check(!request.method.empty() && !request.path.empty() && request.path.front() == '/');
    Check(request.headers.size() <= limits.maxHeaders);
    for (const auto& [name, value] : request.headers) {
        Check(!name.empty());
        for (const char c : name) Check(!(c >= 'A' && c <= 'Z') && static_cast<unsigned char>(c) > 0x20);
        Check(value.find_first_of("\r\n") == std::string::npos);
    }
    for (const auto& [name, value] : request.query) {
        Check(name.find('\0') == std::string::npos && value.find('\0') == std::string::npos);
        Check(request.Parameter(name) == value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = data[0] & 0x7F;
    TLoopbackRequestLimits limits;
    if (data[0] & 0x80) limits = {.maxRequestLine = 40, .maxHeaderBytes = 120, .maxHeaders = 4};
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::optional<TLoopbackRequest> whole;
    bool wholeRefused = false;
    try {
        whole = ReadLoopbackRequest(input, limits);
    } catch (const ELoopbackRequestError&) {
        wholeRefused = true;
    }
    if (whole) CheckRequest(*whole, limits);

    // As a listener reads it: the growing prefix, piece by piece, until a request or a refusal.
    std::size_t received = 0;
    while (received < input.size()) {
        received = piece == 0 ? input.size() : std::min(input.size(), received + piece);
        try {
            const auto request = ReadLoopbackRequest(input.substr(0, received), limits);
            if (!request) continue;
            Check(whole.has_value() && SameRequest(*request, *whole));
            return 0;
        } catch (const ELoopbackRequestError&) {
            // A prefix is refused only for what the whole input holds as well.
            Check(wholeRefused);
            return 0;
        }
    }
    Check(!whole);
    return 0;
}
