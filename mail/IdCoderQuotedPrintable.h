#pragma once

#include <string>

#include "mail/IdCoder.h"

namespace quillory {

// Quoted-printable of RFC 2045 §6.7 with output lines of at most 76 characters: hard line ends
// of the input stay where they are, longer lines get soft breaks ("=" CR LF).
class TIdEncoderQuotedPrintable : public TIdEncoder {
public:
    static constexpr std::size_t BlockSize = 8192;
    std::string EncodeRange(TIdStream& source, std::size_t count) override;
};

}  // namespace quillory
