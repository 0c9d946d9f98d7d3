#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/Exception.h"
#include "merge/MergePlan.h"

namespace quillory {

// The row's own file cannot be attached now (gone or unreadable since the check): that row alone
// cannot go. A shared attachment that cannot be read raises plain Exception, as it meets every row.
class ERowFileUnavailable : public Exception {
    using Exception::Exception;
};

class TIdMessage;

// What the subject of a trial message begins with ("Zkušební odeslání"), in Windows-1250.
inline constexpr std::string_view kTrialMark =
    "[ZKOU\x8A"
    "KA] ";

// The finished message of one row, as the main window would send it to that recipient: its own
// Message-ID, the subject and the text filled with the row's placeholders, the sender (also as
// Reply-To), the copies, the shared attachments and then the row's file, and with
// `options.unsubscribe` the unsubscribe line and "List-Unsubscribe: <mailto:sender>". Raises
// ERowFileUnavailable for the row's file and Exception for a shared one (the program's 8-bit text
// naming the file) when an attached file cannot be read now.
TIdMessage ComposeRow(const MergePlan& plan, std::size_t row);

// The same message as a trial: addressed to the sender alone (no copies) and its subject marked
// by kTrialMark. "Zkušební odeslání" sends the trial of the first three ticked rows.
TIdMessage ComposeTrial(const MergePlan& plan, std::size_t row);

// The unsubscribe line the text ends with when the option is on (the program's 8-bit text).
std::string UnsubscribeLine(std::string_view senderAddress);  // the address in UTF-8

}  // namespace quillory
