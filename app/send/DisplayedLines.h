#pragma once

#include <string>
#include <vector>

class QPlainTextEdit;

namespace quillory {

// The lines a memo displays: a paragraph the memo wraps onto three lines gives three lines. An empty
// last line (after a final line break) is not a line of its own, as in the memo's line list. All
// lines are Windows-1250 when every character fits, else all are UTF-8 (`utf8`, no mark).
struct TDisplayedLines {
    std::vector<std::string> lines;
    bool utf8 = false;
};
TDisplayedLines DisplayedLines(const QPlainTextEdit& memo);

}  // namespace quillory
