#include "mail/IdCoder.h"

namespace quillory {

std::string TIdEncoder::EncodeText(const std::string& text) {
    TIdReadMemoryStream stream(text);
    return EncodeRange(stream, All);
}

}  // namespace quillory
