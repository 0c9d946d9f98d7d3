// The buffered connection's line reader against a peer that sends the input and closes. Every
// result of ReadLine, split over receives of any size, must be what the same bytes give when read
// whole: each line up to its terminator (LF drops a CR before it), a line past the maximum length
// refused or cut, a partial last line answered with one empty result, then the close.
//
// Input: byte 0 sizes the receives, byte 1 holds the settings, byte 2 the maximum length, bytes 3
// and 4 a two-byte terminator when the settings ask for one; the rest is what the peer sends.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdTCPConnection.h"
#include "support/FuzzCheck.h"
#include "support/MemoryTransport.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

enum class TOutcome { Line, TimedOut, Closed, TooLong };

struct TResult {
    TOutcome outcome;
    std::string line;
    bool operator==(const TResult&) const = default;
};

struct TSettings {
    std::string terminator = "\n";
    std::size_t maxLength = 0;  // 0: no limit
    bool split = false;
    bool asciiFilter = false;
};

// What reading `stream` whole gives, line by line.
std::vector<TResult> ReadWhole(std::string stream, const TSettings& settings) {
    if (settings.asciiFilter)
        for (char& c : stream) c = static_cast<char>(c & 0x7F);
    const std::string& ending = settings.terminator;
    const std::size_t limit = settings.maxLength;
    std::vector<TResult> results;
    std::size_t position = 0;
    for (;;) {
        const std::size_t found = stream.find(ending, position);
        const std::size_t length = (found == std::string::npos ? stream.size() : found) - position;
        // Unended bytes may hold the start of a terminator, so they may pass the limit by that much.
        const std::size_t allowed = found == std::string::npos ? limit + ending.size() - 1 : limit;
        if (limit != 0 && length > allowed) {
            if (!settings.split) {
                results.push_back({TOutcome::TooLong, {}});
                return results;
            }
            results.push_back({TOutcome::Line, stream.substr(position, limit)});
            position += limit;
            continue;
        }
        if (found == std::string::npos) {
            if (length != 0) results.push_back({TOutcome::TimedOut, {}});
            results.push_back({TOutcome::Closed, {}});
            return results;
        }
        std::string line = stream.substr(position, length);
        if (ending == "\n" && !line.empty() && line.back() == '\r') line.pop_back();
        results.push_back({TOutcome::Line, line});
        position = found + ending.size();
    }
}

std::vector<TResult> ReadInPieces(std::string_view stream, const TSettings& settings, std::size_t receiveSize,
                                  std::size_t chunk) {
    TIdTCPConnection connection;
    connection.SetIOHandler(std::make_unique<fuzz::TMemoryTransport>(stream, chunk));
    connection.RecvBufferSize = static_cast<int>(receiveSize);
    connection.MaxLineAction = settings.split ? TIdMaxLineAction::maSplit : TIdMaxLineAction::maException;
    connection.ASCIIFilter = settings.asciiFilter;
    const bool defaultLength = settings.maxLength == 16384;
    if (defaultLength) connection.MaxLineLength = 16384;
    const int maxLength = defaultLength ? -1 : static_cast<int>(settings.maxLength);
    std::vector<TResult> results;
    // Each call consumes at least one byte or ends the reading, so this bound is never reached.
    for (std::size_t call = 0; call <= stream.size() + 2; ++call) {
        try {
            std::string line = connection.ReadLine(settings.terminator, -1, maxLength);
            if (connection.LineTimedOut()) {
                Check(line.empty());
                results.push_back({TOutcome::TimedOut, {}});
                continue;
            }
            Check(!connection.LineSplit() || (settings.split && line.size() == settings.maxLength));
            results.push_back({TOutcome::Line, std::move(line)});
        } catch (const EIdConnClosedGracefully&) {
            results.push_back({TOutcome::Closed, {}});
            return results;
        } catch (const EIdReadLnMaxLineLengthExceeded&) {
            results.push_back({TOutcome::TooLong, {}});
            return results;
        }
    }
    Check(false);
    return results;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    TSettings settings;
    const std::uint8_t flags = data[1];
    settings.split = flags & 1;
    settings.asciiFilter = flags & 2;
    if (flags & 4) settings.terminator = std::string{static_cast<char>(data[3]), static_cast<char>(data[4])};
    settings.maxLength = (flags & 8) ? 16384 : data[2];
    // Small receives through a small buffer, or large receives that the peer hands out in pieces.
    const bool smallBuffer = flags & 16;
    const std::size_t receiveSize = smallBuffer ? 1u + data[0] : 32768u;
    const std::size_t chunk = smallBuffer ? 0u : data[0];
    const std::string_view stream(reinterpret_cast<const char*>(data) + 5, size - 5);

    Check(ReadInPieces(stream, settings, receiveSize, chunk) == ReadWhole(std::string(stream), settings));
    return 0;
}
