#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillory {

// A skin's "Options.dat": what the skin sets. UTF-8 text of "[part]" lines and "name = value"
// lines below them; blank lines and lines starting with "#" or ";" are skipped, and blanks around
// every line, part, name and value are dropped. A value is a colour ("red, green, blue" or
// "red, green, blue, alpha", each 0 to 255), a size in pixels (0 to kMaxSkinSize) or a picture of
// the skin named by its path relative to the skin ("images/wood.png").
inline constexpr std::size_t kMaxSkinOptionsSize = 64 * 1024;
inline constexpr int kMaxSkinSize = 32;

struct TSkinColour {
    int red = 0, green = 0, blue = 0, alpha = 255;
    friend bool operator==(const TSkinColour&, const TSkinColour&) = default;
};

// A name a part knows, and what its value is.
struct TSkinOptionName {
    enum class TKind { Colour, Size, Picture };
    std::string_view part;
    std::string_view name;
    TKind kind;
};

// Every name Options.dat may set, by part.
inline constexpr TSkinOptionName kSkinOptionNames[] = {
    {"window", "colour", TSkinOptionName::TKind::Colour},
    {"window", "text", TSkinOptionName::TKind::Colour},
    {"window", "picture", TSkinOptionName::TKind::Picture},
    {"panel", "fill", TSkinOptionName::TKind::Colour},
    {"panel", "border", TSkinOptionName::TKind::Colour},
    {"panel", "radius", TSkinOptionName::TKind::Size},
    {"field", "colour", TSkinOptionName::TKind::Colour},
    {"field", "text", TSkinOptionName::TKind::Colour},
    {"field", "border", TSkinOptionName::TKind::Colour},
    {"field", "focus", TSkinOptionName::TKind::Colour},
    {"field", "disabled", TSkinOptionName::TKind::Colour},
    {"field", "disabled-text", TSkinOptionName::TKind::Colour},
    {"field", "selection", TSkinOptionName::TKind::Colour},
    {"field", "selection-text", TSkinOptionName::TKind::Colour},
    {"button", "top", TSkinOptionName::TKind::Colour},
    {"button", "bottom", TSkinOptionName::TKind::Colour},
    {"button", "hover-top", TSkinOptionName::TKind::Colour},
    {"button", "hover-bottom", TSkinOptionName::TKind::Colour},
    {"button", "pressed-top", TSkinOptionName::TKind::Colour},
    {"button", "pressed-bottom", TSkinOptionName::TKind::Colour},
    {"button", "text", TSkinOptionName::TKind::Colour},
    {"button", "border", TSkinOptionName::TKind::Colour},
    {"button", "focus", TSkinOptionName::TKind::Colour},
    {"button", "disabled", TSkinOptionName::TKind::Colour},
    {"button", "disabled-text", TSkinOptionName::TKind::Colour},
    {"button", "radius", TSkinOptionName::TKind::Size},
    {"menubar", "top", TSkinOptionName::TKind::Colour},
    {"menubar", "bottom", TSkinOptionName::TKind::Colour},
    {"menubar", "text", TSkinOptionName::TKind::Colour},
    {"menubar", "selected", TSkinOptionName::TKind::Colour},
    {"checkbox", "colour", TSkinOptionName::TKind::Colour},
    {"checkbox", "border", TSkinOptionName::TKind::Colour},
    {"checkbox", "hover", TSkinOptionName::TKind::Colour},
    {"checkbox", "mark", TSkinOptionName::TKind::Picture},
    {"combobox", "button", TSkinOptionName::TKind::Colour},
    {"combobox", "arrow", TSkinOptionName::TKind::Picture},
    {"scrollbar", "groove", TSkinOptionName::TKind::Colour},
    {"scrollbar", "handle", TSkinOptionName::TKind::Colour},
    {"tooltip", "colour", TSkinOptionName::TKind::Colour},
    {"tooltip", "text", TSkinOptionName::TKind::Colour},
    {"page", "colour", TSkinOptionName::TKind::Colour},
};

// One setting of Options.dat: `known` points into kSkinOptionNames; the picture is its path as
// written.
struct TSkinSetting {
    const TSkinOptionName* known = nullptr;
    std::variant<TSkinColour, int, std::string> value;
};

// The settings of `bytes`, in order; nothing when the text is larger than kMaxSkinOptionsSize, is
// not UTF-8, sets nothing, has a line of no known form, sets a name twice or gives a value out of
// range.
std::optional<std::vector<TSkinSetting>> ReadSkinOptions(std::string_view bytes);

}  // namespace quillory
