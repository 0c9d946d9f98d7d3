#include "net/oauth/LoopbackRequest.h"

#include <algorithm>

namespace quillory {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// RFC 9110 §5.6.2: a header name is a token.
bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte < 0x7F &&
               std::string_view("\"(),/:;<=>?@[\\]{}").find(c) == std::string_view::npos;
    });
}

// Splits the head into lines (CR LF or LF); the blank line that ends it is not included.
std::vector<std::string_view> HeadLines(std::string_view head) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < head.size()) {
        const std::size_t end = head.find('\n', start);
        std::string_view line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void ReadQuery(std::string_view query, TLoopbackRequest& request) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (pair.empty()) continue;
        const std::size_t equals = pair.find('=');
        const auto name = PercentDecode(pair.substr(0, equals), true);
        const auto value = PercentDecode(
            equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1), true);
        if (!name || !value) throw ELoopbackRequestError("a query parameter that does not decode");
        if (!request.query.emplace(*name, *value).second)
            throw ELoopbackRequestError("a query parameter given twice");
    }
}

void ReadRequestLine(std::string_view line, TLoopbackRequest& request) {
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string_view::npos || first == last) throw ELoopbackRequestError("no HTTP request line");
    const std::string_view method = line.substr(0, first);
    const std::string_view target = line.substr(first + 1, last - first - 1);
    const std::string_view version = line.substr(last + 1);
    if (!IsToken(method)) throw ELoopbackRequestError("no HTTP request line");
    if (version != "HTTP/1.1" && version != "HTTP/1.0") throw ELoopbackRequestError("not HTTP/1.0 or 1.1");
    if (target.empty() || target.front() != '/') throw ELoopbackRequestError("a target that is not a path");
    if (std::any_of(target.begin(), target.end(),
                    [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; }))
        throw ELoopbackRequestError("a target with blanks or control characters");
    request.method = std::string(method);
    const std::size_t question = target.find('?');
    std::string_view query =
        question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
    // A fragment never reaches the server; one sent anyway is not part of the query.
    query = query.substr(0, query.find('#'));
    const auto path = PercentDecode(target.substr(0, std::min(question, target.find('#'))), false);
    if (!path) throw ELoopbackRequestError("a path that does not decode");
    request.path = *path;
    ReadQuery(query, request);
}

}  // namespace

std::optional<std::string> TLoopbackRequest::Parameter(std::string_view name) const {
    const auto found = query.find(name);
    if (found == query.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> PercentDecode(std::string_view text, bool plusIsBlank) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (text.size() - i < 3) return std::nullopt;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
            out += static_cast<char>(high << 4 | low);
            i += 2;
        } else if (c == '+' && plusIsBlank) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::optional<TLoopbackRequest> ReadLoopbackRequest(std::string_view received,
                                                    const TLoopbackRequestLimits& limits) {
    // The head ends with an empty line; until it has come, only the bounds are checked.
    std::size_t headEnd = std::string_view::npos;
    for (std::size_t at = received.find('\n'); at != std::string_view::npos;
         at = received.find('\n', at + 1)) {
        const std::string_view next = received.substr(at + 1, 2);
        if (next.substr(0, 1) == "\n" || next == "\r\n") {
            headEnd = at + 1;
            break;
        }
    }
    const std::string_view head = received.substr(0, headEnd);
    const std::size_t firstLineEnd = head.find('\n');
    if ((firstLineEnd == std::string_view::npos ? head.size() : firstLineEnd) > limits.maxRequestLine)
        throw ELoopbackRequestError("a request line longer than " + std::to_string(limits.maxRequestLine) +
                                    " bytes");
    // A CR after the last line end of an unfinished head may begin the blank line, outside the head.
    const bool blankLineBegun =
        headEnd == std::string_view::npos && head.size() >= 2 && head.substr(head.size() - 2) == "\n\r";
    if (head.size() - (blankLineBegun ? 1 : 0) > limits.maxHeaderBytes)
        throw ELoopbackRequestError("a head longer than " + std::to_string(limits.maxHeaderBytes) + " bytes");
    if (headEnd == std::string_view::npos) return std::nullopt;

    const std::vector<std::string_view> lines = HeadLines(head);
    if (lines.empty() || lines.front().empty()) throw ELoopbackRequestError("no HTTP request line");
    if (lines.size() - 1 > limits.maxHeaders)
        throw ELoopbackRequestError("more than " + std::to_string(limits.maxHeaders) + " header lines");
    TLoopbackRequest request;
    ReadRequestLine(lines.front(), request);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::size_t colon = line.find(':');
        // RFC 9112 §5.2: line folding is obsolete; a server may refuse it, as this one does.
        if (colon == std::string_view::npos || !IsToken(line.substr(0, colon)))
            throw ELoopbackRequestError("a header line without a name");
        const std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (std::any_of(value.begin(), value.end(), [](char c) {
                const auto byte = static_cast<unsigned char>(c);
                return (byte < 0x20 && c != '\t') || byte == 0x7F;
            }))
            throw ELoopbackRequestError("a header value with control characters");
        std::string name(line.substr(0, colon));
        for (char& c : name)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        request.headers.emplace_back(std::move(name), std::string(value));
    }
    return request;
}

}  // namespace quillory
