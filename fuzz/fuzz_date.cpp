// The Date header reader on any text: it never raises and gives 0 or a date-time. A date it reads
// (years 100 to 9999, which the writer spells out in full) survives being written as a Date header
// and read again, to the second.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/IdDateTime.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TDateTime value = MailDateToDateTime(text);
    Check(std::isfinite(value));
    if (value == 0) return 0;
    const TDateParts parts = DecodeDateTime(value);
    if (parts.year < 100 || parts.year > 9999) return 0;
    const std::string written = FormatMailDate(value);
    const TDateTime again = MailDateToDateTime(written);
    Check(std::fabs(again - value) * 86400.0 < 0.5);
    return 0;
}
