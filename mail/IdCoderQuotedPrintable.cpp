#include "mail/IdCoderQuotedPrintable.h"

#include <algorithm>

namespace quillory {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
// RFC 2045 §6.7: an encoded line is at most 76 characters; a line longer than 71 gets a soft
// break, which leaves room for one more "=XX" and the "=" of the break.
constexpr std::size_t kSoftBreakAfter = 71;

std::string ReadBlock(TIdStream& source, std::size_t& left) {
    std::string block(std::min(left, TIdEncoderQuotedPrintable::BlockSize), '\0');
    block.resize(source.Read(block.data(), block.size()));
    left = block.empty() ? 0 : left - block.size();
    return block;
}

}  // namespace

std::string TIdEncoderQuotedPrintable::EncodeRange(TIdStream& source, std::size_t count) {
    const std::int64_t remaining = source.Remaining();
    std::size_t left = remaining >= 0 ? std::min(count, static_cast<std::size_t>(remaining)) : count;
    std::string result;
    if (remaining > 0) result.reserve(left + left / 8);

    std::size_t lineLength = 0;
    auto escape = [&result, &lineLength](unsigned char b) {
        result += '=';
        result += kHex[b >> 4];
        result += kHex[b & 15];
        lineLength += 3;
    };
    // A blank is escaped before a line end, including one that opens the next block, and at the
    // very end of the input: RFC 2045 §6.7 rule 3 lets readers drop unescaped trailing blanks.
    std::string block = ReadBlock(source, left);
    while (!block.empty()) {
        std::string next = ReadBlock(source, left);
        for (std::size_t i = 0; i < block.size(); ++i) {
            const auto b = static_cast<unsigned char>(block[i]);
            if (b == '\r' || b == '\n') {
                result += static_cast<char>(b);
                lineLength = 0;
                continue;
            }
            if (b == ' ' || b == '\t') {
                const char following = i + 1 < block.size() ? block[i + 1]
                                       : next.empty()       ? '\n'
                                                            : next.front();
                if (following == '\r' || following == '\n') escape(b);
                else {
                    result += static_cast<char>(b);
                    ++lineLength;
                }
            } else if (b == '=' || b < '!' || b > '~') {
                escape(b);
            } else {
                result += static_cast<char>(b);
                ++lineLength;
            }
            if (lineLength > kSoftBreakAfter) {
                result += "=\r\n";
                lineLength = 0;
            }
        }
        block = std::move(next);
    }
    return result;
}

}  // namespace quillory
