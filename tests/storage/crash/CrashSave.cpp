#include "crash/CrashSave.h"

#include "storage/IniFile.h"
#include "storage/TextFile.h"

namespace quillory::test {

namespace {

constexpr int kBlocks = 8;
constexpr const char* kIniName = "quillory.INI";

std::string BlockName(int block) { return "blok" + std::to_string(block) + ".txt"; }

// Version 0 is long (many writes' worth), version 1 short, so a kill in the middle of a write or a
// truncation would leave a size that neither has.
std::string BlockText(int version, int block) {
    const std::string line = "v" + std::to_string(version) + " block " + std::to_string(block) + "\r\n";
    std::string text;
    for (int n = version == 0 ? 4000 : 3; n > 0; --n) text += line;
    return text;
}

}  // namespace

std::vector<std::string> SavedFileNames() {
    std::vector<std::string> names;
    for (int block = 1; block <= kBlocks; ++block) names.push_back(BlockName(block));
    names.push_back(kIniName);
    return names;
}

void SaveVersion(const std::filesystem::path& folder, int version) {
    for (int block = 1; block <= kBlocks; ++block)
        LinesToFile(BlockText(version, block), folder / BlockName(block));
    TIniFile ini((folder / kIniName).string());
    ini.ClearSection("TForm1");
    const int keys = version == 0 ? 300 : 4;
    for (int key = 0; key < keys; ++key)
        ini.WriteValue("TForm1", "key" + std::to_string(key), "version " + std::to_string(version));
    ini.UpdateFile();
}

}  // namespace quillory::test
