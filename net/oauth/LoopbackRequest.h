#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mail/IdException.h"

namespace quillory {

// A request on the sign-in's loopback listener that is not one the browser would send: no HTTP
// request line, a line or header block past the bounds, a query that does not decode.
class ELoopbackRequestError : public EIdException {
public:
    explicit ELoopbackRequestError(const std::string& why)
        : EIdException("Not a valid redirect request: " + why) {}
};

// The browser's request to the loopback redirect of a sign-in (RFC 8252 §7.3), e.g.
//   GET /?code=M.C5_BAY&state=Zq3v HTTP/1.1
// with its header lines.
struct TLoopbackRequest {
    std::string method;
    // The path of the request target, percent-decoded ("/" for the redirect itself).
    std::string path;
    // The query's parameters, percent- and "+"-decoded (application/x-www-form-urlencoded). RFC
    // 6749 §3.1 forbids a parameter twice, so a query that repeats one is refused.
    std::map<std::string, std::string, std::less<>> query;
    // Header names in lower case, values without surrounding blanks, in the order sent.
    std::vector<std::pair<std::string, std::string>> headers;

    // The query parameter, or nothing.
    std::optional<std::string> Parameter(std::string_view name) const;
};

// The bounds of one request; past any of them the request is refused.
struct TLoopbackRequestLimits {
    std::size_t maxRequestLine = 8 * 1024;
    std::size_t maxHeaderBytes = 32 * 1024;  // the whole head, request line included
    std::size_t maxHeaders = 100;
};

// Reads the head of a request from what has arrived so far: nothing while the blank line that
// ends the head has not come (and no bound is passed yet), the request once it has. Lines end
// with CR LF or a bare LF. Only origin-form targets ("/path?query") of HTTP/1.0 or 1.1 are taken.
// ELoopbackRequestError for anything else.
std::optional<TLoopbackRequest> ReadLoopbackRequest(std::string_view received,
                                                    const TLoopbackRequestLimits& limits = {});

// %XX decoding of a URL component; with `plusIsBlank` (form encoding) "+" is a blank. Nothing for
// a "%" not followed by two hexadecimal digits, or for a decoded NUL.
std::optional<std::string> PercentDecode(std::string_view text, bool plusIsBlank);
// Percent-encoding of a query value (RFC 3986 §2.3: everything but the unreserved characters).
std::string PercentEncode(std::string_view text);

}  // namespace quillory
