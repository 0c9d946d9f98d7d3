#pragma once

#include <string>
#include <vector>

class QPlainTextEdit;

namespace quillory {

// The lines a memo displays, in the program's 8-bit text: a paragraph the memo wraps onto three
// lines gives three lines. An empty last line (after a final line break) is not a line of its own,
// as in the memo's line list.
std::vector<std::string> DisplayedLines(const QPlainTextEdit& memo);

}  // namespace quillory
