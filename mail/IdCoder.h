#pragma once

#include <cstddef>
#include <limits>
#include <string>

#include "mail/IdStream.h"

namespace quillory {

// Turns bytes into mail-safe text.
class TIdEncoder {
public:
    // As a byte count: everything that remains after the stream's position.
    static constexpr std::size_t All = std::numeric_limits<std::size_t>::max();

    virtual ~TIdEncoder() = default;
    // Encodes at most `count` bytes from the stream's position (the position advances).
    virtual std::string EncodeRange(TIdStream& source, std::size_t count) = 0;
    // Encodes all bytes of `text`.
    std::string EncodeText(const std::string& text);
};

// Creates an encoder of the given class, encodes `text` with it and drops the encoder.
template <class TEncoder>
std::string EncodeTextWith(const std::string& text) {
    TEncoder encoder;
    return encoder.EncodeText(text);
}

}  // namespace quillory
