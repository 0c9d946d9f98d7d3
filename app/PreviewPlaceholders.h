#pragma once

#include <functional>
#include <string>
#include <vector>

#include "contacts/Placeholders.h"

class QPlainTextEdit;

namespace quillory {

// The placeholders of the main window's preview: each rebuild fills them for the recipient (the
// rules are the address book's), and the lines where one was left empty are marked in the preview
// with the names in its hint.
class PreviewPlaceholders {
public:
    // Fills the placeholders of the preview's assembled `text` (the program's text) with what `values` gives
    // (asked only when the text holds a brace) and notes the empty ones.
    void Fill(std::string& text, const std::function<PlaceholderValues()>& values);
    // Marks in `preview`, which shows the filled text, the places of the empty placeholders.
    void Mark(QPlainTextEdit& preview);
    // Whether the last fill used placeholders that `values` would now fill otherwise.
    bool Stale(const std::function<PlaceholderValues()>& values) const;
    // The placeholders the last fill left empty, where they stood.
    const std::vector<EmptyPlaceholder>& Empty() const { return empty_; }

    // The places in the preview of the empty placeholders of the program's `text`: the preview shows
    // every CR LF as one line end and holds UTF-16 units, so a place counts the characters before
    // the byte's offset, a CR LF pair as one, one beyond the basic plane as two.
    static std::vector<int> PreviewPositions(const std::string& text,
                                             const std::vector<EmptyPlaceholder>& empty);

private:
    // What the last fill used (none when the text held no placeholder), what it left empty and where.
    bool hasPlaceholders_ = false;
    PlaceholderValues values_;
    std::vector<EmptyPlaceholder> empty_;
    std::vector<int> positions_;
    bool marked_ = false;
};

}  // namespace quillory
