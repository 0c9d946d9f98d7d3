#pragma once

#include <optional>
#include <string_view>

#include "storage/IniFile.h"
#include "storage/IniStorage.h"

namespace quillory {

// How a window was shown, in the numbers the INI file keeps under "ShowCmd".
enum class TShowCmd : int { Hidden = 0, Normal = 1, Minimized = 2, Maximized = 3 };

// A window's placement as the INI file keeps it: flags, show command, the minimized and maximized
// positions and the normal rectangle (right and bottom exclusive).
struct TWindowPlacement {
    int Flags = 0;
    int ShowCmd = static_cast<int>(TShowCmd::Normal);
    int MinX = -1;
    int MinY = -1;
    int MaxX = -1;
    int MaxY = -1;
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// Where the screen and the window stand while the placement is written or read.
struct TPlacementContext {
    TScreenSize Screen;
    int PixelsPerInch = 96;
};

// Writes Flags, ShowCmd, PixelsPerInch, MinMaxPos and NormPos (with and without the screen suffix)
// and Visible: "1" when the save runs because the window is being destroyed.
void WritePlacementKeys(TCustomIniFile& ini, std::string_view section, const TWindowPlacement& placement,
                        const TPlacementContext& context, bool destroying);

// The position part read back over `current`: nothing when neither MinMaxPos nor NormPos is stored
// or when the file was written at another pixels-per-inch. Missing words of NormPos come from
// `current`'s rectangle.
std::optional<TWindowPlacement> ReadPlacementPosition(const TCustomIniFile& ini, std::string_view section,
                                                      const TWindowPlacement& current,
                                                      const TPlacementContext& context);

// The stored state: Normal for 1, 5 and 9, Minimized for 2, 6 and 7, Maximized for 3; `fallback`
// for anything else or a missing key.
TShowCmd ReadPlacementState(const TCustomIniFile& ini, std::string_view section, TShowCmd fallback);

}  // namespace quillory
