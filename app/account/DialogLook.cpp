#include "app/account/DialogLook.h"

#include <QLabel>

namespace quillory {

namespace {

const QColor kLabelColour(55, 33, 7);
const QColor kFieldColour(211, 182, 129);

}  // namespace

QLabel* MakeDialogCaption(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kLabelColour);
    label->setPalette(palette);
    return label;
}

void ColourDialogField(QWidget& field) {
    QPalette palette = field.palette();
    palette.setColor(QPalette::Base, kFieldColour);
    palette.setColor(QPalette::Text, Qt::black);
    field.setPalette(palette);
}

}  // namespace quillory
