#include "app/skin/SkinLook.h"

#include <QBuffer>
#include <QImageReader>
#include <QSet>
#include <QStringDecoder>

#include <variant>

namespace quillory {
namespace {

constexpr qsizetype kMaxOptionsSize = 64 * 1024;
constexpr int kMaxSize = 32;

using TField = std::variant<TSkinLook::TColour*, int*, QImage*>;

struct TName {
    const char* part;
    const char* name;
    TField (*field)(TSkinLook&);
};

#define QLRY_SKIN_NAME(part, name, member)                                 \
    {                                                                      \
        part, name, [](TSkinLook& look) -> TField { return &look.member; } \
    }

// Every name Options.dat may set, with the part of the look it sets.
const TName kNames[] = {
    QLRY_SKIN_NAME("window", "colour", window.colour),
    QLRY_SKIN_NAME("window", "text", window.text),
    QLRY_SKIN_NAME("window", "picture", window.picture),
    QLRY_SKIN_NAME("panel", "fill", panel.fill),
    QLRY_SKIN_NAME("panel", "border", panel.border),
    QLRY_SKIN_NAME("panel", "radius", panel.radius),
    QLRY_SKIN_NAME("field", "colour", field.colour),
    QLRY_SKIN_NAME("field", "text", field.text),
    QLRY_SKIN_NAME("field", "border", field.border),
    QLRY_SKIN_NAME("field", "focus", field.focus),
    QLRY_SKIN_NAME("field", "disabled", field.disabled),
    QLRY_SKIN_NAME("field", "disabled-text", field.disabledText),
    QLRY_SKIN_NAME("field", "selection", field.selection),
    QLRY_SKIN_NAME("field", "selection-text", field.selectionText),
    QLRY_SKIN_NAME("button", "top", button.top),
    QLRY_SKIN_NAME("button", "bottom", button.bottom),
    QLRY_SKIN_NAME("button", "hover-top", button.hoverTop),
    QLRY_SKIN_NAME("button", "hover-bottom", button.hoverBottom),
    QLRY_SKIN_NAME("button", "pressed-top", button.pressedTop),
    QLRY_SKIN_NAME("button", "pressed-bottom", button.pressedBottom),
    QLRY_SKIN_NAME("button", "text", button.text),
    QLRY_SKIN_NAME("button", "border", button.border),
    QLRY_SKIN_NAME("button", "focus", button.focus),
    QLRY_SKIN_NAME("button", "disabled", button.disabled),
    QLRY_SKIN_NAME("button", "disabled-text", button.disabledText),
    QLRY_SKIN_NAME("button", "radius", button.radius),
    QLRY_SKIN_NAME("menubar", "top", menuBar.top),
    QLRY_SKIN_NAME("menubar", "bottom", menuBar.bottom),
    QLRY_SKIN_NAME("menubar", "text", menuBar.text),
    QLRY_SKIN_NAME("menubar", "selected", menuBar.selected),
    QLRY_SKIN_NAME("checkbox", "colour", checkBox.colour),
    QLRY_SKIN_NAME("checkbox", "border", checkBox.border),
    QLRY_SKIN_NAME("checkbox", "hover", checkBox.hover),
    QLRY_SKIN_NAME("checkbox", "mark", checkBox.mark),
    QLRY_SKIN_NAME("combobox", "button", comboBox.button),
    QLRY_SKIN_NAME("combobox", "arrow", comboBox.arrow),
    QLRY_SKIN_NAME("scrollbar", "groove", scrollBar.groove),
    QLRY_SKIN_NAME("scrollbar", "handle", scrollBar.handle),
    QLRY_SKIN_NAME("tooltip", "colour", toolTip.colour),
    QLRY_SKIN_NAME("tooltip", "text", toolTip.text),
    QLRY_SKIN_NAME("page", "colour", page.colour),
};

#undef QLRY_SKIN_NAME

std::optional<int> Number(const QString& text, int max) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (!ok || number < 0 || number > max) return std::nullopt;
    return number;
}

std::optional<QColor> Colour(const QString& text) {
    const QStringList parts = text.split(',');
    if (parts.size() != 3 && parts.size() != 4) return std::nullopt;
    int channels[4] = {0, 0, 0, 255};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const std::optional<int> channel = Number(parts[i], 255);
        if (!channel) return std::nullopt;
        channels[i] = *channel;
    }
    return QColor(channels[0], channels[1], channels[2], channels[3]);
}

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

struct TSetter {
    const TSkinFileReader& readFile;
    const QString& value;
    bool operator()(TSkinLook::TColour* colour) const {
        *colour = Colour(value);
        return colour->has_value();
    }
    bool operator()(int* size) const {
        const std::optional<int> number = Number(value, kMaxSize);
        if (number) *size = *number;
        return number.has_value();
    }
    bool operator()(QImage* picture) const {
        std::optional<QImage> image = Picture(readFile, value);
        if (image) *picture = std::move(*image);
        return image.has_value();
    }
};

const TName* FindName(const QString& part, const QString& name) {
    for (const TName& known : kNames) {
        if (part == QLatin1StringView(known.part) && name == QLatin1StringView(known.name)) return &known;
    }
    return nullptr;
}

}  // namespace

std::optional<TSkinLook> ReadSkinLook(const TSkinFileReader& readFile) {
    const std::optional<QByteArray> bytes = readFile(QStringLiteral("Options.dat"));
    if (!bytes || bytes->size() > kMaxOptionsSize) return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(*bytes);
    if (utf8.hasError()) return std::nullopt;

    TSkinLook look;
    QString part;
    QSet<const TName*> set;
    for (const QString& rawLine : text.split('\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith(';')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            part = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0) return std::nullopt;
        const TName* name = FindName(part, line.left(equals).trimmed());
        if (!name || set.contains(name)) return std::nullopt;
        const QString value = line.mid(equals + 1).trimmed();
        if (!std::visit(TSetter{readFile, value}, name->field(look))) return std::nullopt;
        set.insert(name);
    }
    if (set.isEmpty()) return std::nullopt;
    return look;
}

}  // namespace quillory
