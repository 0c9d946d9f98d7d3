#include "app/account/DialogLook.h"

#include <QLabel>
#include <QPushButton>

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

QPushButton* MakeDialogButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeDialogText(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

}  // namespace quillory
