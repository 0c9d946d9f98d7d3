#include "TempConfigFolder.h"
#include "storage/IniStorage.h"

namespace quillory {
namespace {

using IniStorage = test::TempConfigFolder;

TEST_F(IniStorage, QuoteProtectionBringsQuotedTextsBackWithTheirQuotes) {
    struct Row {
        const char* text;
        const char* stored;
    };
    const Row rows[] = {
        {"\"abc\"", "\"\"abc\"\""},                    // wrapped once more
        {"'abc'", "\"'abc'\""},     {"\"", "\"\"\""},  // one quote begins and ends with it
        {"\"abc", "\"abc"},                            // unchanged
        {"ab\"c\"", "ab\"c\""},     {"", ""},
    };
    TIniFile ini("quillory.INI");
    for (const auto& row : rows) {
        IniWriteValue(ini, "S", "k", row.text);
        ini.UpdateFile();
        const TIniFile reread("quillory.INI");
        EXPECT_EQ(ReadBytes(reread.Path()), std::string("[S]\r\nk=") + row.stored + "\r\n") << row.text;
        EXPECT_EQ(IniReadValue(reread, "S", "k", "d"), row.text);
    }
}

TEST_F(IniStorage, NumbersAndFlags) {
    WriteBytes(Folder() / "quillory.INI",
               "[N]\r\nhex=0x1A\r\nHEX=0X1a\r\ndollar=$10\r\nletters=abc\r\nneg=-12\r\nplus=+7\r\n"
               "bare0x=0x\r\nbig=2147483648\r\nmin=-2147483648\r\nallbits=0xFFFFFFFF\r\nspace=1 2\r\n"
               "flag2=2\r\nflag0=0\r\n");
    TIniFile ini("quillory.INI");
    struct Row {
        const char* key;
        int expected;
    };
    const Row rows[] = {{"hex", 26},     {"dollar", 16}, {"letters", 99}, {"neg", -12},
                        {"plus", 7},     {"bare0x", 99}, {"big", 99},     {"min", -2147483647 - 1},
                        {"allbits", -1}, {"space", 99},  {"missing", 99}};
    for (const auto& row : rows) EXPECT_EQ(ini.ReadNumber("n", row.key, 99), row.expected) << row.key;

    EXPECT_TRUE(ini.ReadFlag("N", "flag2", false));
    EXPECT_FALSE(ini.ReadFlag("N", "flag0", true));
    EXPECT_TRUE(ini.ReadFlag("N", "missing", true));

    ini.WriteNumber("W", "neg", -5);
    ini.WriteNumber("W", "zero", 0);
    ini.WriteFlag("W", "on", true);
    ini.WriteFlag("W", "off", false);
    EXPECT_EQ(ini.ReadValue("W", "neg", ""), "-5");
    EXPECT_EQ(ini.ReadValue("W", "zero", ""), "0");
    EXPECT_EQ(ini.ReadValue("W", "on", ""), "1");
    EXPECT_EQ(ini.ReadValue("W", "off", ""), "0");
}

TEST_F(IniStorage, ScreenValuesFallBackToTheBareKeyAtAnotherSize) {
    const TScreenSize big{1280, 1024};
    EXPECT_EQ(ScreenSuffix(big), "(1280x1024)");
    TIniFile ini("quillory.INI");
    WriteScreenValue(ini, "TForm1", "NormPos", "16,11,1033,763", big);
    EXPECT_EQ(ini.ReadValue("TForm1", "NormPos(1280x1024)", ""), "16,11,1033,763");
    EXPECT_EQ(ini.ReadValue("TForm1", "NormPos", ""), "16,11,1033,763");

    const TScreenSize small{800, 600};
    WriteScreenValue(ini, "TForm1", "NormPos", "1,2,3,4", small);
    EXPECT_EQ(ReadScreenValue(ini, "TForm1", "NormPos", big), "16,11,1033,763") << "own size first";
    EXPECT_EQ(ReadScreenValue(ini, "TForm1", "NormPos", {1024, 768}), "1,2,3,4")
        << "bare key: last at any size";
    EXPECT_EQ(ReadScreenValue(ini, "TForm1", "Missing", big), "");
}

}  // namespace
}  // namespace quillory
