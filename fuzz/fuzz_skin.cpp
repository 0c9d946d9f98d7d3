// The skin readers on any bytes. Byte 0 chooses the reader; the rest is its input.
// - Even: a packed skin. What the archive reader accepts names only files inside the skin folder,
//   each once, Options.dat among them; Options.dat is then read as the program does.
// - Odd: an Options.dat.
// What Options.dat gives names only names the skins know, each once, with colours of 0 to 255, sizes
// of 0 to 32 pixels and picture paths without line ends or blanks at their edges. (The pictures'
// PNG bytes go to the window toolkit's reader, which is not the program's.)
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include "storage/SkinArchive.h"
#include "storage/SkinOptions.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

using TKind = TSkinOptionName::TKind;

bool InRange(int value, int max) { return value >= 0 && value <= max; }

void ReadOptions(std::string_view options) {
    const auto settings = ReadSkinOptions(options);
    if (!settings) return;
    Check(!settings->empty());
    std::set<const TSkinOptionName*> seen;
    for (const TSkinSetting& setting : *settings) {
        Check(setting.known >= std::begin(kSkinOptionNames) && setting.known < std::end(kSkinOptionNames));
        Check(seen.insert(setting.known).second);
        switch (setting.known->kind) {
        case TKind::Colour: {
            const TSkinColour& colour = std::get<TSkinColour>(setting.value);
            Check(InRange(colour.red, 255) && InRange(colour.green, 255) && InRange(colour.blue, 255) &&
                  InRange(colour.alpha, 255));
            break;
        }
        case TKind::Size:
            Check(InRange(std::get<int>(setting.value), kMaxSkinSize));
            break;
        case TKind::Picture: {
            const std::string& path = std::get<std::string>(setting.value);
            Check(path.find_first_of("\r\n") == std::string::npos);
            Check(path.empty() || (path.front() != ' ' && path.back() != ' '));
            break;
        }
        }
    }
}

// Whether `name` stays inside the folder once its parts are followed one by one.
bool StaysInside(std::string_view name) {
    int depth = 0;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t slash = name.find('/', start);
        if (slash == std::string_view::npos) slash = name.size();
        const std::string_view part = name.substr(start, slash - start);
        if (part == "..") --depth;
        else if (!part.empty() && part != ".") ++depth;
        if (depth < 0) return false;
        start = slash + 1;
    }
    return depth > 0;
}

void ReadPacked(std::string_view packed) {
    const auto files = ReadSkinArchive(packed);
    if (!files) return;
    std::set<std::string> names;
    for (const TSkinFile& file : *files) {
        Check(IsSkinFileName(file.name) && StaysInside(file.name) && names.insert(file.name).second);
        Check(file.name.find('\\') == std::string::npos && file.name.find(':') == std::string::npos);
    }
    Check(names.contains("Options.dat"));
    for (const TSkinFile& file : *files)
        if (file.name == "Options.dat") ReadOptions(file.data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) ReadOptions(input);
    else ReadPacked(input);
    return 0;
}
