#include "storage/WindowPlacement.h"

#include <array>
#include <charconv>
#include <string>

namespace quillory {

namespace {

std::string FourNumbers(int a, int b, int c, int d) {
    return std::to_string(a) + ',' + std::to_string(b) + ',' + std::to_string(c) + ',' + std::to_string(d);
}

// Words 1 to 4 of `text`, words being runs between any number of blanks and commas; a missing or
// non-numeric word keeps its default.
std::array<int, 4> ReadFourNumbers(std::string_view text, std::array<int, 4> numbers) {
    constexpr std::string_view kSeparators = " ,";
    for (int& number : numbers) {
        const auto start = text.find_first_not_of(kSeparators);
        if (start == std::string_view::npos) break;
        text.remove_prefix(start);
        const std::string_view word = text.substr(0, text.find_first_of(kSeparators));
        text.remove_prefix(word.size());
        int value = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error == std::errc() && end == word.data() + word.size()) number = value;
    }
    return numbers;
}

}  // namespace

void WritePlacementKeys(TCustomIniFile& ini, std::string_view section, const TWindowPlacement& placement,
                        const TPlacementContext& context, bool destroying) {
    IniWriteNumber(ini, section, "Flags", placement.Flags);
    IniWriteNumber(ini, section, "ShowCmd", placement.ShowCmd);
    IniWriteNumber(ini, section, "PixelsPerInch", context.PixelsPerInch);
    WriteScreenValue(ini, section, "MinMaxPos",
                     FourNumbers(placement.MinX, placement.MinY, placement.MaxX, placement.MaxY),
                     context.Screen);
    WriteScreenValue(ini, section, "NormPos",
                     FourNumbers(placement.Left, placement.Top, placement.Right, placement.Bottom),
                     context.Screen);
    ini.WriteFlag(section, "Visible", destroying);
}

std::optional<TWindowPlacement> ReadPlacementPosition(const TCustomIniFile& ini, std::string_view section,
                                                      const TWindowPlacement& current,
                                                      const TPlacementContext& context) {
    TWindowPlacement placement = current;
    bool found = false;
    placement.Flags = IniReadNumber(ini, section, "Flags", current.Flags);
    if (const std::string text = ReadScreenValue(ini, section, "MinMaxPos", context.Screen); !text.empty()) {
        const auto numbers = ReadFourNumbers(text, {0, 0, 0, 0});
        placement.MinX = numbers[0];
        placement.MinY = numbers[1];
        placement.MaxX = numbers[2];
        placement.MaxY = numbers[3];
        found = true;
    }
    if (const std::string text = ReadScreenValue(ini, section, "NormPos", context.Screen); !text.empty()) {
        const auto numbers =
            ReadFourNumbers(text, {current.Left, current.Top, current.Right, current.Bottom});
        placement.Left = numbers[0];
        placement.Top = numbers[1];
        placement.Right = numbers[2];
        placement.Bottom = numbers[3];
        found = true;
    }
    if (IniReadNumber(ini, section, "PixelsPerInch", context.PixelsPerInch) != context.PixelsPerInch)
        found = false;
    if (!found) return std::nullopt;
    return placement;
}

TShowCmd ReadPlacementState(const TCustomIniFile& ini, std::string_view section, TShowCmd fallback) {
    switch (IniReadNumber(ini, section, "ShowCmd", 0)) {
    case 1:
    case 5:
    case 9:
        return TShowCmd::Normal;
    case 2:
    case 6:
    case 7:
        return TShowCmd::Minimized;
    case 3:
        return TShowCmd::Maximized;
    default:
        return fallback;
    }
}

}  // namespace quillory
