#include "app/spelling/LineEditSpelling.h"

#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include "app/spelling/SpellChecker.h"
#include "app/spelling/SpellingMenu.h"

namespace quillory {
namespace {

// The wave's height and the length of one rise or fall, in pixels.
constexpr int kWaveHeight = 2;
constexpr int kWaveStep = 2;

// The field's text cursor rectangle holds the cursor's x a fixed few pixels in from its left edge,
// as the field draws it.
constexpr int kCursorRectInset = 5;

}  // namespace

LineEditSpelling::LineEditSpelling(QLineEdit& field, SpellChecker& checker)
    : QWidget(&field), field_(field), checker_(checker) {
    setObjectName("lineEditSpelling");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(field_.rect());
    field_.installEventFilter(this);
    field_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&field_, &QWidget::customContextMenuRequested, this, &LineEditSpelling::ShowMenu);
    connect(&field_, &QLineEdit::textChanged, this, &LineEditSpelling::CheckAgain);
    connect(&checker_, &SpellChecker::recheckNeeded, this, &LineEditSpelling::CheckAgain);
    CheckAgain();
}

void LineEditSpelling::CheckAgain() {
    std::vector<SpellingWord> misspelled = checker_.Misspelled(field_.text());
    if (misspelled == misspelled_) return;
    misspelled_ = std::move(misspelled);
    update();
}

bool LineEditSpelling::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &field_ && event->type() == QEvent::Resize) setGeometry(field_.rect());
    return QWidget::eventFilter(watched, event);
}

std::pair<int, int> LineEditSpelling::Span(qsizetype start, qsizetype end) const {
    const QString text = field_.displayText();
    const QFontMetrics metrics(field_.font());
    const QRect cursor = field_.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int cursorX = cursor.left() + kCursorRectInset;
    const int cursorAdvance = metrics.horizontalAdvance(text.left(field_.cursorPosition()));
    return {cursorX + metrics.horizontalAdvance(text.left(start)) - cursorAdvance,
            cursorX + metrics.horizontalAdvance(text.left(end)) - cursorAdvance};
}

void LineEditSpelling::paintEvent(QPaintEvent*) {
    if (misspelled_.empty() || field_.echoMode() != QLineEdit::Normal) return;
    const QFontMetrics metrics(field_.font());
    const QRect cursor = field_.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int top = cursor.top() + metrics.ascent() + 1;
    QPainter painter(this);
    painter.setClipRect(field_.contentsRect());
    painter.setPen(QPen(Qt::red, 1));
    for (const SpellingWord& word : misspelled_) {
        const auto [left, right] = Span(word.start, word.start + word.length);
        QPainterPath wave(QPointF(left, top + kWaveHeight));
        bool up = true;
        for (int x = left + kWaveStep; x <= right; x += kWaveStep, up = !up)
            wave.lineTo(x, up ? top : top + kWaveHeight);
        painter.drawPath(wave);
    }
}

void LineEditSpelling::ShowMenu(const QPoint& position) {
    QMenu* menu = field_.createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString text = field_.text();
    const int at = field_.cursorPositionAt(position);
    if (const auto word = checker_.MisspelledAt(text, at)) {
        const int start = static_cast<int>(word->start);
        const QString misspelt = text.mid(word->start, word->length);
        QPointer<QLineEdit> field(&field_);
        AddSpellingActions(*menu, checker_, misspelt, [field, start, misspelt](const QString& correction) {
            if (!field || field->text().mid(start, misspelt.size()) != misspelt) return;
            // An edit as typing makes it: the list's change event rebuilds the preview.
            field->setSelection(start, static_cast<int>(misspelt.size()));
            field->insert(correction);
        });
    }
    menu->popup(field_.mapToGlobal(position));
}

}  // namespace quillory
