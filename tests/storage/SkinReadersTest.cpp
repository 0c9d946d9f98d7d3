// The skin's file readers without the window: the packed skin's table of files and the
// Options.dat text, each with what they refuse.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "storage/SkinArchive.h"
#include "storage/SkinOptions.h"

namespace quillory {
namespace {

std::string Packed(std::initializer_list<std::pair<std::string, std::string>> files,
                   std::uint32_t count = 0) {
    const auto number = [](std::uint64_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    };
    std::string packed(kSkinArchiveMagic);
    packed += number(count ? count : files.size(), 4);
    for (const auto& [name, data] : files)
        packed += number(name.size(), 2) + name + number(data.size(), 4) + data;
    return packed;
}

TEST(SkinArchive, ReadsTheFilesAndRefusesEveryBrokenRule) {
    const auto files =
        ReadSkinArchive(Packed({{"Options.dat", "[page]\ncolour = 1, 2, 3\n"}, {"images/wood.png", "PNG"}}));
    ASSERT_TRUE(files);
    ASSERT_EQ(files->size(), 2u);
    EXPECT_EQ((*files)[1].name, "images/wood.png");
    EXPECT_EQ((*files)[1].data, "PNG");
    const std::pair<const char*, std::string> refused[] = {
        {"no Options.dat", Packed({{"images/wood.png", "PNG"}})},
        {"a name twice", Packed({{"Options.dat", "a"}, {"Options.dat", "b"}})},
        {"a parent folder", Packed({{"Options.dat", "a"}, {"../x", "b"}})},
        {"a backslash", Packed({{"Options.dat", "a"}, {"images\\x", "b"}})},
        {"a name not UTF-8", Packed({{"Options.dat", "a"}, {"Cen\xEDk", "b"}})},
        {"bytes after the last file", Packed({{"Options.dat", "a"}}) + "x"},
        {"more files announced", Packed({{"Options.dat", "a"}}, 2)},
        {"no files", Packed({}, 0)},
        {"wrong magic", "QLRYSKN0" + Packed({{"Options.dat", "a"}}).substr(8)},
    };
    for (const auto& [why, bytes] : refused) EXPECT_FALSE(ReadSkinArchive(bytes)) << why;
}

TEST(SkinOptions, ReadsEveryKindOfValueAndRefusesEveryBrokenRule) {
    const auto settings = ReadSkinOptions(
        "# Wood\r\n[window]\r\n  picture = images/wood.png \r\n colour=250,236,206\r\n\n; the panels\n"
        "[ panel ]\nborder = 1, 2, 3, 40\nradius = +4\n");
    ASSERT_TRUE(settings);
    ASSERT_EQ(settings->size(), 4u);
    EXPECT_EQ((*settings)[0].known->name, "picture");
    EXPECT_EQ(std::get<std::string>((*settings)[0].value), "images/wood.png");
    EXPECT_EQ(std::get<TSkinColour>((*settings)[1].value), (TSkinColour{250, 236, 206, 255}));
    EXPECT_EQ(std::get<TSkinColour>((*settings)[2].value), (TSkinColour{1, 2, 3, 40}));
    EXPECT_EQ(std::get<int>((*settings)[3].value), 4);
    for (const char* refused :
         {"", "# nothing set\n", "[window]\ncolour = 1, 2\n", "[window]\ncolour = 1, 2, 3, 4, 5\n",
          "[window]\ncolour = 1, 2, 256\n", "[window]\ncolour = 1, -2, 3\n", "[panel]\nradius = 33\n",
          "[panel]\nradius = 3px\n", "[panel]\nshadow = 3\n",
          "[window]\ncolour = 1, 2, 3\ncolour = 1, 2, 3\n", "[window]\njust text\n",
          "[window]\ncolour = 1, 2, 3 \xFF\n", "radius = 4\n"})
        EXPECT_FALSE(ReadSkinOptions(refused)) << refused;
    EXPECT_FALSE(ReadSkinOptions("[page]\ncolour = 1, 2, 3\n" + std::string(kMaxSkinOptionsSize, '#')));
}

}  // namespace
}  // namespace quillory
