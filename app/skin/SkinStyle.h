#pragma once

#include <QPixmap>
#include <QProxyStyle>

#include "app/skin/SkinLook.h"

namespace quillory {

// Draws the widgets in a skin's look: the built-in Fusion style with the skin's colours in the
// palette, and the skin's own drawing of the parts it sets (window background, panels, push
// buttons, menu bar, check boxes, fields, drop-down lists, scroll bars). A part the skin leaves out
// is drawn by Fusion. Sizes and margins stay Fusion's, so every caption has the room it has in the
// plain look.
//
// Without a look it is the plain look itself, minus work the first paint does not need: the menu
// bar's overflow icon is read only when it is first shown.
class TsSkinStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit TsSkinStyle(std::optional<TSkinLook> look);

    void polish(QPalette& palette) override;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override;

private:
    bool DrawButtonPanel(const QStyleOption* option, QPainter* painter) const;
    bool DrawCheckBox(const QStyleOption* option, QPainter* painter) const;
    bool DrawFieldFrame(const QStyleOption* option, QPainter* painter) const;
    bool DrawShapedFrame(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    bool DrawButtonLabel(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    bool DrawMenuBar(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const;
    bool DrawComboBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
    bool DrawScrollBar(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;

    std::optional<TSkinLook> look_;
    QPixmap windowPicture_, checkMark_, arrow_;
};

}  // namespace quillory
