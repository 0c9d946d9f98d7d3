#include "app/skin/SkinLook.h"

#include <QBuffer>
#include <QImageReader>

#include <iterator>
#include <variant>

#include "storage/SkinOptions.h"

namespace quillory {
namespace {

using TField = std::variant<TSkinLook::TColour*, int*, QImage*>;

using TFieldOf = TField (*)(TSkinLook&);

#define QLRY_SKIN_FIELD(member) [](TSkinLook& look) -> TField { return &look.member; }

// The part of the look each name of kSkinOptionNames sets, in the same order.
const TFieldOf kFields[] = {
    QLRY_SKIN_FIELD(window.colour),       QLRY_SKIN_FIELD(window.text),
    QLRY_SKIN_FIELD(window.picture),      QLRY_SKIN_FIELD(panel.fill),
    QLRY_SKIN_FIELD(panel.border),        QLRY_SKIN_FIELD(panel.radius),
    QLRY_SKIN_FIELD(field.colour),        QLRY_SKIN_FIELD(field.text),
    QLRY_SKIN_FIELD(field.border),        QLRY_SKIN_FIELD(field.focus),
    QLRY_SKIN_FIELD(field.disabled),      QLRY_SKIN_FIELD(field.disabledText),
    QLRY_SKIN_FIELD(field.selection),     QLRY_SKIN_FIELD(field.selectionText),
    QLRY_SKIN_FIELD(button.top),          QLRY_SKIN_FIELD(button.bottom),
    QLRY_SKIN_FIELD(button.hoverTop),     QLRY_SKIN_FIELD(button.hoverBottom),
    QLRY_SKIN_FIELD(button.pressedTop),   QLRY_SKIN_FIELD(button.pressedBottom),
    QLRY_SKIN_FIELD(button.text),         QLRY_SKIN_FIELD(button.border),
    QLRY_SKIN_FIELD(button.focus),        QLRY_SKIN_FIELD(button.disabled),
    QLRY_SKIN_FIELD(button.disabledText), QLRY_SKIN_FIELD(button.radius),
    QLRY_SKIN_FIELD(menuBar.top),         QLRY_SKIN_FIELD(menuBar.bottom),
    QLRY_SKIN_FIELD(menuBar.text),        QLRY_SKIN_FIELD(menuBar.selected),
    QLRY_SKIN_FIELD(checkBox.colour),     QLRY_SKIN_FIELD(checkBox.border),
    QLRY_SKIN_FIELD(checkBox.hover),      QLRY_SKIN_FIELD(checkBox.mark),
    QLRY_SKIN_FIELD(comboBox.button),     QLRY_SKIN_FIELD(comboBox.arrow),
    QLRY_SKIN_FIELD(scrollBar.groove),    QLRY_SKIN_FIELD(scrollBar.handle),
    QLRY_SKIN_FIELD(toolTip.colour),      QLRY_SKIN_FIELD(toolTip.text),
    QLRY_SKIN_FIELD(page.colour),
};
static_assert(std::size(kFields) == std::size(kSkinOptionNames));

#undef QLRY_SKIN_FIELD

// Only the PNG reader built into Qt is asked: guessing the format would load every image plugin.
std::optional<QImage> Picture(const TSkinFileReader& readFile, const QString& name) {
    std::optional<QByteArray> bytes = readFile(name);
    if (!bytes) return std::nullopt;
    QBuffer buffer(&*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return image;
}

// Sets the look's member of one setting; false for a picture that cannot be read.
struct TSetter {
    const TSkinFileReader& readFile;
    const TSkinSetting& setting;
    bool operator()(TSkinLook::TColour* colour) const {
        const TSkinColour& value = std::get<TSkinColour>(setting.value);
        *colour = QColor(value.red, value.green, value.blue, value.alpha);
        return true;
    }
    bool operator()(int* size) const {
        *size = std::get<int>(setting.value);
        return true;
    }
    bool operator()(QImage* picture) const {
        std::optional<QImage> image =
            Picture(readFile, QString::fromStdString(std::get<std::string>(setting.value)));
        if (image) *picture = std::move(*image);
        return image.has_value();
    }
};

}  // namespace

std::optional<TSkinLook> ReadSkinLook(const TSkinFileReader& readFile) {
    const std::optional<QByteArray> bytes = readFile(QStringLiteral("Options.dat"));
    if (!bytes) return std::nullopt;
    const auto settings =
        ReadSkinOptions(std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    if (!settings) return std::nullopt;
    TSkinLook look;
    for (const TSkinSetting& setting : *settings) {
        const TFieldOf field =
            kFields[static_cast<std::size_t>(setting.known - std::begin(kSkinOptionNames))];
        if (!std::visit(TSetter{readFile, setting}, field(look))) return std::nullopt;
    }
    return look;
}

}  // namespace quillory
