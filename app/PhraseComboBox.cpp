#include "app/PhraseComboBox.h"

#include <QCompleter>
#include <QEvent>
#include <QLineEdit>
#include <QResizeEvent>

namespace quillory {

PhraseComboBox::PhraseComboBox(QCompleter& standIn, QWidget* parent) : QComboBox(parent) {
    // Editable through a field given to it: setEditable() would also size the box to its contents
    // and set the drop-down list up for a list without a field. A field given without a completer
    // gets one made by the box; the stand-in keeps it from that and is taken off again at once.
    auto* field = new QLineEdit(this);
    field->setCompleter(&standIn);
    setLineEdit(field);
    field->setCompleter(nullptr);
}

QSize PhraseComboBox::sizeHint() const {
    sizeHintAsked_ = true;
    return QComboBox::sizeHint();
}

QSize PhraseComboBox::minimumSizeHint() const {
    sizeHintAsked_ = true;
    return QComboBox::minimumSizeHint();
}

bool PhraseComboBox::event(QEvent* event) {
    // Made before the field hears of the focus, so it takes the completer up as it does a ready one.
    if (event->type() == QEvent::FocusIn && !completerMade_) MakeCompleter();
    return QComboBox::event(event);
}

void PhraseComboBox::changeEvent(QEvent* event) {
    // QComboBox hands a new font to its drop-down list, making the list (a window of its own with
    // its view and scrollers) if there is none yet. A list made later takes the box's font by
    // itself, so without a list the rest is done here: the field's place, worked out by the resize
    // handling, and the widget's own renewal. A size hint already worked out must be forgotten,
    // which only QComboBox's own handling can do.
    if (event->type() == QEvent::FontChange && !sizeHintAsked_ && !HasDropDownList()) {
        QResizeEvent resize(size(), size());
        QComboBox::resizeEvent(&resize);
        QWidget::changeEvent(event);
        return;
    }
    QComboBox::changeEvent(event);
}

void PhraseComboBox::MakeCompleter() {
    auto* completer = new QCompleter(model(), lineEdit());
    completer->setCompletionMode(QCompleter::InlineCompletion);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    setCompleter(completer);
    completerMade_ = true;
}

bool PhraseComboBox::HasDropDownList() const {
    // The drop-down list's container is the box's only child window.
    for (const QObject* child : children())
        if (child->isWidgetType() && static_cast<const QWidget*>(child)->isWindow()) return true;
    return false;
}

}  // namespace quillory
