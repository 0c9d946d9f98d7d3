#include "app/PreviewPlaceholders.h"

#include <QColor>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>

#include "app/Win1250Text.h"

namespace quillory {

void PreviewPlaceholders::Fill(std::string& text, const std::function<PlaceholderValues()>& values) {
    empty_.clear();
    positions_.clear();
    hasPlaceholders_ = false;
    // The common case: nothing to fill, the text stays exactly as assembled.
    if (text.find('{') == std::string::npos) return;
    values_ = values();
    FilledText filled = FillPlaceholders(text, values_);
    hasPlaceholders_ = filled.anyPlaceholder;
    empty_ = std::move(filled.empty);
    text = std::move(filled.text);
    positions_ = PreviewPositions(text, empty_);
}

std::vector<int> PreviewPlaceholders::PreviewPositions(const std::string& text,
                                                       const std::vector<EmptyPlaceholder>& empty) {
    std::vector<int> positions;
    std::size_t pairs = 0;
    std::size_t at = 0;
    for (const EmptyPlaceholder& placeholder : empty) {
        while (at + 1 < placeholder.offset) {
            if (text[at] == '\r' && text[at + 1] == '\n') {
                ++pairs;
                at += 2;
            } else {
                ++at;
            }
        }
        positions.push_back(static_cast<int>(placeholder.offset - pairs));
    }
    return positions;
}

void PreviewPlaceholders::Mark(QPlainTextEdit& preview) {
    if (positions_.empty() && !marked_) return;
    QList<QTextEdit::ExtraSelection> marks;
    QStringList names;
    for (std::size_t i = 0; i < positions_.size(); ++i) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(preview.document());
        mark.cursor.setPosition(std::min(positions_[i], preview.document()->characterCount() - 1));
        mark.format.setBackground(QColor(255, 214, 214));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.append(mark);
        const QString name = "{" + FromWin1250(empty_[i].name) + "}";
        if (!names.contains(name)) names.append(name);
    }
    preview.setExtraSelections(marks);
    preview.setToolTip(names.isEmpty() ? QString()
                                       : QStringLiteral("Prázdné zástupné údaje: %1").arg(names.join(", ")));
    marked_ = !marks.isEmpty();
}

bool PreviewPlaceholders::Stale(const std::function<PlaceholderValues()>& values) const {
    return hasPlaceholders_ && values() != values_;
}

}  // namespace quillory
