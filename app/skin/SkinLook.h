#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>

namespace quillory {

// What a skin sets, read from its "Options.dat" (storage/SkinOptions.h has its form). Every part a
// skin leaves out keeps the plain look. A picture is a PNG file of the skin. The names each part
// knows are those of the table in SkinLook.cpp; anything else makes the skin unusable.
struct TSkinLook {
    using TColour = std::optional<QColor>;

    // The windows' and dialogs' background: the picture tiled over the colour, and their text.
    struct {
        TColour colour, text;
        QImage picture;
    } window;
    // The plain frames that group the widgets: a fill over the window's background and a border.
    struct {
        TColour fill, border;
        int radius = 0;
    } panel;
    // Single- and multi-line edits and the drop-down lists' fields.
    struct {
        TColour colour, text, border, focus, disabled, disabledText, selection, selectionText;
    } field;
    // Push buttons: a gradient from top to bottom, one for each state.
    struct {
        TColour top, bottom, hoverTop, hoverBottom, pressedTop, pressedBottom;
        TColour text, border, focus, disabled, disabledText;
        int radius = 0;
    } button;
    struct {
        TColour top, bottom, text, selected;
    } menuBar;
    struct {
        TColour colour, border, hover;
        QImage mark;
    } checkBox;
    struct {
        TColour button;
        QImage arrow;
    } comboBox;
    struct {
        TColour groove, handle;
    } scrollBar;
    struct {
        TColour colour, text;
    } toolTip;
    // Read-only document views (the help page).
    struct {
        TColour colour;
    } page;
};

// Reads a skin through `readFile`, which gives the bytes of one of the skin's files by its relative
// name, or nothing when there is no such file. Nothing when Options.dat is missing, not UTF-8, sets
// nothing, has a line of no known form, a name twice, a value out of range, or names a picture
// that is not a PNG file of the skin.
using TSkinFileReader = std::function<std::optional<QByteArray>(const QString& name)>;
std::optional<TSkinLook> ReadSkinLook(const TSkinFileReader& readFile);

}  // namespace quillory
