#include "app/PreviewPlaceholders.h"

#include <QColor>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>

#include "app/Win1250Text.h"
#include "core/ProgramText.h"

namespace quillory {

void PreviewPlaceholders::Fill(std::string& text, const std::function<PlaceholderValues()>& values) {
    empty_.clear();
    positions_.clear();
    hasPlaceholders_ = false;
    // The common case: nothing to fill, the text stays exactly as assembled.
    if (text.find('{') == std::string::npos) return;
    values_ = values();
    FilledText filled = FillProgramText(text, values_);
    hasPlaceholders_ = filled.anyPlaceholder;
    empty_ = std::move(filled.empty);
    text = std::move(filled.text);
    positions_ = PreviewPositions(text, empty_);
}

std::vector<int> PreviewPlaceholders::PreviewPositions(const std::string& text,
                                                       const std::vector<EmptyPlaceholder>& empty) {
    std::vector<int> positions;
    const bool utf8 = IsUtf8Form(text);
    std::size_t at = utf8 ? kUtf8Mark.size() : 0;
    int position = 0;
    for (const EmptyPlaceholder& placeholder : empty) {
        while (at < placeholder.offset) {
            const auto byte = static_cast<unsigned char>(text[at]);
            if (byte == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
            if (!utf8 || (byte & 0xC0) != 0x80) ++position;
            if (utf8 && byte >= 0xF0) ++position;
            ++at;
        }
        positions.push_back(position);
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
