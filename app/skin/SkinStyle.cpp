#include "app/skin/SkinStyle.h"

#include <QAbstractScrollArea>
#include <QCommonStyle>
#include <QFrame>
#include <QIconEngine>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTextBrowser>

#include <utility>

namespace quillory {
namespace {

using TColour = TSkinLook::TColour;

// A standard icon of the common style, read from Qt's resources when it is first drawn. The menu
// bar asks for its overflow icon when it is made; reading it then would load every image plugin
// before the first paint, for an icon that shows only on a window too narrow for its menus.
class TDeferredStandardIcon : public QIconEngine {
public:
    explicit TDeferredStandardIcon(QStyle::StandardPixmap which) : which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QIconEngine* clone() const override { return new TDeferredStandardIcon(which_); }

private:
    const QIcon& Icon() {
        if (icon_.isNull()) icon_ = QCommonStyle().standardIcon(which_);
        return icon_;
    }

    QStyle::StandardPixmap which_;
    QIcon icon_;
};

QColor Or(const TColour& colour, const QColor& fallback) { return colour.value_or(fallback); }

QLinearGradient Vertical(const QRect& rect, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

// A rectangle with a one-pixel border on the pixel grid, its corners rounded by `radius`.
void Box(QPainter* painter, const QRect& rect, int radius, const QBrush& fill, const TColour& border) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, radius > 0);
    painter->setPen(border ? QPen(*border, 1) : QPen(Qt::NoPen));
    painter->setBrush(fill);
    painter->drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter->restore();
}

void DrawCentred(QPainter* painter, const QRect& rect, const QPixmap& picture) {
    QRect target(QPoint(), picture.deviceIndependentSize().toSize());
    target.moveCenter(rect.center());
    painter->drawPixmap(target.topLeft(), picture);
}

// The plain frames that group widgets, as opposed to the frames of edits and views.
bool IsPanel(const QWidget* widget) { return widget && widget->metaObject() == &QFrame::staticMetaObject; }

}  // namespace

TsSkinStyle::TsSkinStyle(std::optional<TSkinLook> look)
    : QProxyStyle(look ? QStyleFactory::create(QStringLiteral("Fusion")) : nullptr), look_(std::move(look)) {
    if (!look_) return;
    // The pictures are turned into the screen's full-colour form once, here. The grain kept in its
    // palette of colours would be converted pixel by pixel on every fill of a window's background:
    // ten million instructions for the main window's first paint, spread over helper threads.
    // The look keeps no second copy of them.
    windowPicture_ = QPixmap::fromImage(std::exchange(look_->window.picture, QImage()));
    checkMark_ = QPixmap::fromImage(std::exchange(look_->checkBox.mark, QImage()));
    arrow_ = QPixmap::fromImage(std::exchange(look_->comboBox.arrow, QImage()));
}

void TsSkinStyle::polish(QPalette& palette) {
    QProxyStyle::polish(palette);
    if (!look_) return;
    const TSkinLook& look = *look_;
    if (look.window.colour || !windowPicture_.isNull()) {
        const QColor colour = Or(look.window.colour, palette.color(QPalette::Window));
        palette.setBrush(QPalette::Window,
                         windowPicture_.isNull() ? QBrush(colour) : QBrush(colour, windowPicture_));
    }
    // Text colours for the active and inactive windows; disabled widgets keep the style's greyed ones
    // unless the skin names its own.
    const auto set = [&palette](QPalette::ColorRole role, const TColour& colour) {
        if (!colour) return;
        palette.setColor(QPalette::Active, role, *colour);
        palette.setColor(QPalette::Inactive, role, *colour);
    };
    const auto setDisabled = [&palette](QPalette::ColorRole role, const TColour& colour) {
        if (colour) palette.setColor(QPalette::Disabled, role, *colour);
    };
    set(QPalette::WindowText, look.window.text);
    set(QPalette::ButtonText, look.window.text);
    set(QPalette::Base, look.field.colour);
    set(QPalette::Text, look.field.text);
    set(QPalette::Highlight, look.field.selection);
    set(QPalette::HighlightedText, look.field.selectionText);
    set(QPalette::ToolTipBase, look.toolTip.colour);
    set(QPalette::ToolTipText, look.toolTip.text);
    setDisabled(QPalette::Base, look.field.disabled);
    setDisabled(QPalette::Text, look.field.disabledText);
}

void TsSkinStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (look_ && look_->page.colour && qobject_cast<QTextBrowser*>(widget)) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Base, *look_->page.colour);
        widget->setPalette(palette);
    }
}

void TsSkinStyle::unpolish(QWidget* widget) {
    if (look_ && look_->page.colour && qobject_cast<QTextBrowser*>(widget)) widget->setPalette(QPalette());
    QProxyStyle::unpolish(widget);
}

void TsSkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
    if (look_) {
        switch (element) {
        case PE_PanelButtonCommand:
            if (DrawButtonPanel(option, painter)) return;
            break;
        case PE_IndicatorCheckBox:
            if (DrawCheckBox(option, painter)) return;
            break;
        case PE_FrameLineEdit:
            if (DrawFieldFrame(option, painter)) return;
            break;
        default:
            break;
        }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TsSkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    if (look_) {
        switch (element) {
        case CE_ShapedFrame:
            if (DrawShapedFrame(option, painter, widget)) return;
            break;
        case CE_PushButtonLabel:
            if (DrawButtonLabel(option, painter, widget)) return;
            break;
        case CE_MenuBarEmptyArea:
        case CE_MenuBarItem:
            if (DrawMenuBar(element, option, painter, widget)) return;
            break;
        default:
            break;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void TsSkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const {
    if (look_) {
        if (control == CC_ComboBox && DrawComboBox(option, painter, widget)) return;
        if (control == CC_ScrollBar && DrawScrollBar(option, painter, widget)) return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QIcon TsSkinStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new TDeferredStandardIcon(icon));
    return QProxyStyle::standardIcon(icon, option, widget);
}

bool TsSkinStyle::DrawButtonPanel(const QStyleOption* option, QPainter* painter) const {
    const auto& button = look_->button;
    if (!button.top || !button.bottom) return false;
    const bool enabled = option->state & State_Enabled;
    const QRect& rect = option->rect;
    QBrush fill;
    if (!enabled && button.disabled) fill = *button.disabled;
    else if (option->state & (State_Sunken | State_On))
        fill = Vertical(rect, Or(button.pressedTop, *button.bottom), Or(button.pressedBottom, *button.top));
    else if (option->state & State_MouseOver)
        fill = Vertical(rect, Or(button.hoverTop, *button.top), Or(button.hoverBottom, *button.bottom));
    else fill = Vertical(rect, *button.top, *button.bottom);
    const bool focused = enabled && (option->state & State_HasFocus);
    Box(painter, rect, button.radius, fill, focused && button.focus ? button.focus : button.border);
    return true;
}

bool TsSkinStyle::DrawButtonLabel(const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    const auto& button = look_->button;
    const auto* label = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (!label || !button.text) return false;
    QStyleOptionButton coloured(*label);
    const bool enabled = option->state & State_Enabled;
    coloured.palette.setColor(QPalette::ButtonText,
                              enabled ? *button.text : Or(button.disabledText, *button.text));
    QProxyStyle::drawControl(CE_PushButtonLabel, &coloured, painter, widget);
    return true;
}

bool TsSkinStyle::DrawCheckBox(const QStyleOption* option, QPainter* painter) const {
    const auto& box = look_->checkBox;
    if (!box.colour || !box.border) return false;
    const bool enabled = option->state & State_Enabled;
    const bool hover = enabled && (option->state & State_MouseOver);
    const QColor fill = enabled ? *box.colour : box.colour->darker(112);
    Box(painter, option->rect, 2, fill, hover && box.hover ? box.hover : box.border);
    if (option->state & State_On) {
        if (!checkMark_.isNull()) {
            DrawCentred(painter, option->rect, checkMark_);
        } else {
            const QRectF mark = QRectF(option->rect).adjusted(3, 3, -3, -3);
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(QPen(*box.border, 2));
            painter->drawPolyline(QPolygonF({QPointF(mark.left(), mark.center().y()),
                                             QPointF(mark.center().x(), mark.bottom()), mark.topRight()}));
            painter->restore();
        }
    } else if (option->state & State_NoChange) {
        const QRect mark =
            option->rect.adjusted(3, option->rect.height() / 2 - 1, -3, -option->rect.height() / 2);
        painter->fillRect(mark, *box.border);
    }
    return true;
}

bool TsSkinStyle::DrawFieldFrame(const QStyleOption* option, QPainter* painter) const {
    const auto& field = look_->field;
    if (!field.border) return false;
    const bool focused = option->state & State_HasFocus;
    Box(painter, option->rect, 2, Qt::NoBrush, focused && field.focus ? field.focus : field.border);
    return true;
}

bool TsSkinStyle::DrawShapedFrame(const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (!frame || frame->frameShape != QFrame::StyledPanel) return false;
    const auto& panel = look_->panel;
    if (IsPanel(widget) && (panel.fill || panel.border)) {
        Box(painter, option->rect, panel.radius, panel.fill ? QBrush(*panel.fill) : QBrush(Qt::NoBrush),
            panel.border);
        return true;
    }
    if (qobject_cast<const QAbstractScrollArea*>(widget) && look_->field.border) {
        Box(painter, option->rect, 0, Qt::NoBrush, look_->field.border);
        return true;
    }
    return false;
}

// The bar's gradient runs over the whole bar, so the items and the empty rest of it match.
bool TsSkinStyle::DrawMenuBar(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    const auto& bar = look_->menuBar;
    if (!bar.top || !bar.bottom) return false;
    painter->fillRect(option->rect, Vertical(widget ? widget->rect() : option->rect, *bar.top, *bar.bottom));
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuBarEmptyArea || !item) return true;
    const bool enabled = item->state & State_Enabled;
    if (enabled && (item->state & State_Selected) && bar.selected)
        painter->fillRect(item->rect, *bar.selected);
    int alignment = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextDontClip | Qt::TextSingleLine;
    if (!proxy()->styleHint(SH_UnderlineShortcut, item, widget)) alignment |= Qt::TextHideMnemonic;
    QPalette palette = item->palette;
    if (bar.text) palette.setColor(QPalette::ButtonText, *bar.text);
    proxy()->drawItemText(painter, item->rect, alignment, palette, enabled, item->text, QPalette::ButtonText);
    return true;
}

bool TsSkinStyle::DrawComboBox(const QStyleOptionComplex* option, QPainter* painter,
                               const QWidget* widget) const {
    const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    const auto& field = look_->field;
    if (!combo || !field.colour || !field.border) return false;
    const bool enabled = option->state & State_Enabled;
    const bool focused = option->state & State_HasFocus;
    const QColor fill = enabled ? *field.colour : Or(field.disabled, *field.colour);
    Box(painter, option->rect, 2, fill, focused && field.focus ? field.focus : field.border);
    if (!(combo->subControls & SC_ComboBoxArrow)) return true;
    const QRect inside = option->rect.adjusted(1, 1, -1, -1);
    const QRect arrow = subControlRect(CC_ComboBox, combo, SC_ComboBoxArrow, widget).intersected(inside);
    if (const TColour& button = look_->comboBox.button) {
        painter->fillRect(arrow, *button);
        painter->fillRect(QRect(arrow.left(), arrow.top(), 1, arrow.height()), *field.border);
    }
    if (!arrow_.isNull()) {
        DrawCentred(painter, arrow, arrow_);
    } else {
        QStyleOption arrowOption(*combo);
        arrowOption.rect = arrow;
        proxy()->drawPrimitive(PE_IndicatorArrowDown, &arrowOption, painter, widget);
    }
    return true;
}

// The groove in the skin's colour; the handle and the arrows are Fusion's, coloured as the handle.
bool TsSkinStyle::DrawScrollBar(const QStyleOptionComplex* option, QPainter* painter,
                                const QWidget* widget) const {
    const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    const auto& bar = look_->scrollBar;
    if (!slider || !bar.groove) return false;
    painter->fillRect(option->rect, *bar.groove);
    QStyleOptionSlider rest(*slider);
    rest.subControls &= ~SC_ScrollBarGroove;
    if (bar.handle) rest.palette.setColor(QPalette::Button, *bar.handle);
    QProxyStyle::drawComplexControl(CC_ScrollBar, &rest, painter, widget);
    return true;
}

}  // namespace quillory
