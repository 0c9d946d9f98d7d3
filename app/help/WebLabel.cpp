#include "app/help/WebLabel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/desktop/Desktop.h"

namespace quillory {

TsWebLabel::TsWebLabel(TDesktop& desktop, const QString& caption, QString url, QWidget* parent)
    : QLabel(caption, parent), desktop_(desktop), url_(std::move(url)) {
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setCursor(Qt::PointingHandCursor);
    // Reachable from the keyboard too: Enter or Space opens the address.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(caption);
    setAccessibleDescription(url_);
    SetHover(false);
}

void TsWebLabel::SetHover(bool hover) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText,
                     hover ? QApplication::palette(this).color(QPalette::WindowText) : QColor(Qt::blue));
    setPalette(colours);
}

void TsWebLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) desktop_.OpenUrl(url_);
    QLabel::mousePressEvent(event);
}

void TsWebLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        desktop_.OpenUrl(url_);
        return;
    }
    QLabel::keyPressEvent(event);
}

void TsWebLabel::enterEvent(QEnterEvent* event) {
    SetHover(true);
    QLabel::enterEvent(event);
}

void TsWebLabel::leaveEvent(QEvent* event) {
    SetHover(false);
    QLabel::leaveEvent(event);
}

}  // namespace quillory
