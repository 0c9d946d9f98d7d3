#include "storage/SkinOptions.h"

#include <charconv>
#include <set>

#include "core/Utf8.h"

namespace quillory {
namespace {

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::optional<int> Number(std::string_view text, int max) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || number < 0 ||
        number > max)
        return std::nullopt;
    return number;
}

std::optional<TSkinColour> Colour(std::string_view text) {
    int channels[4] = {0, 0, 0, 255};
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        if (count == 4) return std::nullopt;
        const std::optional<int> channel =
            Number(text.substr(start, comma == std::string_view::npos ? comma : comma - start), 255);
        if (!channel) return std::nullopt;
        channels[count++] = *channel;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (count < 3) return std::nullopt;
    return TSkinColour{channels[0], channels[1], channels[2], channels[3]};
}

}  // namespace

std::optional<std::vector<TSkinSetting>> ReadSkinOptions(std::string_view bytes) {
    if (bytes.size() > kMaxSkinOptionsSize || !IsValidUtf8(bytes)) return std::nullopt;
    std::vector<TSkinSetting> settings;
    std::set<const TSkinOptionName*> set;
    std::string_view part;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = Trimmed(bytes.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            part = Trimmed(line.substr(1, line.size() - 2));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const std::string_view name = Trimmed(line.substr(0, equals));
        const TSkinOptionName* found = nullptr;
        for (const TSkinOptionName& each : kSkinOptionNames)
            if (each.part == part && each.name == name) found = &each;
        if (!found || set.contains(found)) return std::nullopt;
        const std::string_view value = Trimmed(line.substr(equals + 1));
        TSkinSetting setting{found, {}};
        switch (found->kind) {
        case TSkinOptionName::TKind::Colour: {
            const std::optional<TSkinColour> colour = Colour(value);
            if (!colour) return std::nullopt;
            setting.value = *colour;
            break;
        }
        case TSkinOptionName::TKind::Size: {
            const std::optional<int> size = Number(value, kMaxSkinSize);
            if (!size) return std::nullopt;
            setting.value = *size;
            break;
        }
        case TSkinOptionName::TKind::Picture:
            setting.value = std::string(value);
            break;
        }
        set.insert(found);
        settings.push_back(std::move(setting));
    }
    if (settings.empty()) return std::nullopt;
    return settings;
}

}  // namespace quillory
