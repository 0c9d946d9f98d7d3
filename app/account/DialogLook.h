#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace quillory {

// The look of the outgoing-mail settings and their sections: bold dark brown captions and tan
// fields with black text.
QLabel* MakeDialogCaption(const QString& caption, QWidget* parent);
void ColourDialogField(QWidget& field);
// A button that is never the dialog's default, named `name`.
QPushButton* MakeDialogButton(const QString& caption, const char* name, QWidget* parent);
// A word-wrapped text named `name`.
QLabel* MakeDialogText(const char* name, QWidget* parent);

}  // namespace quillory
