#pragma once

#include <string>

namespace quillory {

// A date as Czech writes it in a letter, the month in the genitive: "10. prosince 2026".
// `month` is 1 to 12.
std::string CzechDate(int year, unsigned month, unsigned day);

// Today's date on this computer's clock, in its local time zone, written as above.
std::string CzechDateToday();

}  // namespace quillory
