#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace quillory {

// The look of the outgoing-mail settings and their sections: bold dark brown captions and tan
// fields with black text.
QLabel* MakeDialogCaption(const QString& caption, QWidget* parent);
void ColourDialogField(QWidget& field);

}  // namespace quillory
