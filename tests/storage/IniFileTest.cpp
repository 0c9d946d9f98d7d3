#include <sys/stat.h>

#include "TempConfigFolder.h"
#include "core/ProgramText.h"
#include "core/Win1250.h"
#include "storage/IniDocument.h"
#include "storage/IniFile.h"
#include "storage/IniLocation.h"
#include "storage/IniStorage.h"

namespace quillory {
namespace {

using IniFile = test::TempConfigFolder;

TEST_F(IniFile, ReadsWhatTheFileHoldsWithDefaultsForWhatItLacks) {
    WriteBytes(Folder() / "quillory.INI",
               "; a comment\r\n[TForm1]\r\nEmpty=\r\n  Padded  =  two words  \r\nDq=\"quoted\"\r\n"
               "Sq='single'\r\nMixed=\"half'\r\nLfOnly=yes\n[Other]\r\nEmpty=elsewhere\r\n");
    const TIniFile ini("quillory.INI");

    EXPECT_EQ(ini.ReadValue("TForm1", "Empty", "dflt"), "") << "an empty value is not the default";
    EXPECT_EQ(ini.ReadValue("TForm1", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadValue("NoSection", "Empty", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadValue("tform1", "PADDED", ""), "two words") << "names ignore case, values lose blanks";
    EXPECT_EQ(ini.ReadValue("TForm1", "Dq", ""), "quoted");
    EXPECT_EQ(ini.ReadValue("TForm1", "Sq", ""), "single");
    EXPECT_EQ(ini.ReadValue("TForm1", "Mixed", ""), "\"half'");
    EXPECT_EQ(ini.ReadValue("TForm1", "LfOnly", ""), "yes");
    EXPECT_EQ(ini.ReadValue("Other", "Empty", ""), "elsewhere");
}

TEST_F(IniFile, MissingFileReadsAsDefaultsAndIsCreatedWithFolderOwnerOnly) {
    const auto nested = Folder() / "not" / "yet";
    ::setenv("XDG_CONFIG_HOME", nested.c_str(), 1);
    TIniFile ini("quillory.INI");
    EXPECT_EQ(ini.ReadNumber("TForm1", "FormVersion", 7), 7);
    ini.WriteValue("TForm1", "Key", "value");
    ini.UpdateFile();

    const auto path = nested / "quillory.INI";
    EXPECT_EQ(ini.Path(), path);
    EXPECT_EQ(ReadBytes(path), "[TForm1]\r\nKey=value\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the file holds the SMTP password";
}

TEST_F(IniFile, WriteReplacesExistingKeyAndKeepsTheRestOfTheFile) {
    WriteBytes(Folder() / "quillory.INI", "[A]\r\nk=1\r\nother=2\r\n\r\n[B]\r\nx=3\r\n");
    TIniFile ini("quillory.INI");
    ini.WriteValue("a", "K", "10");
    ini.WriteValue("A", "new", "n");
    ini.WriteValue("C", "c", "");
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Folder() / "quillory.INI"),
              "[A]\r\nk=10\r\nother=2\r\nnew=n\r\n\r\n[B]\r\nx=3\r\n[C]\r\nc=\r\n");
}

TEST_F(IniFile, ClearSectionRemovesHeaderAndKeys) {
    WriteBytes(Folder() / "quillory.INI",
               "[A]\r\nk=1\r\n[TForm1.sComboBox1_Items]\r\nCount=1\r\nItem0=x\r\n");
    TIniFile ini("quillory.INI");
    ini.ClearSection("tform1.scombobox1_items");
    ini.ClearSection("NotThere");
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Folder() / "quillory.INI"), "[A]\r\nk=1\r\n");
}

// Equal names: the first section and the first key of a name are the ones read and written, and
// after a removal the next of that name takes their place.
TEST_F(IniFile, TheFirstOfEqualNamesCountsThroughEveryChange) {
    WriteBytes(Folder() / "quillory.INI", "[A]\r\nk=1\r\nK=2\r\n[B]\r\nx=1\r\n[a]\r\nk=3\r\nz=4\r\n\r\n");
    TIniFile ini("quillory.INI");
    EXPECT_EQ(ini.ReadValue("a", "K", ""), "1");

    ini.DeleteKey("A", "k");
    EXPECT_EQ(ini.ReadValue("A", "k", "none"), "none") << "both keys of the name go";
    ini.WriteValue("A", "k", "5");
    EXPECT_EQ(ini.ReadValue("A", "k", ""), "5");

    ini.ClearSection("A");
    EXPECT_EQ(ini.ReadValue("A", "k", ""), "3") << "the later section of the name is found now";
    EXPECT_EQ(ini.ReadValue("A", "z", ""), "4");
    ini.WriteValue("A", "new", "6");
    EXPECT_EQ(ini.ReadValue("B", "x", ""), "1");
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Folder() / "quillory.INI"), "[B]\r\nx=1\r\n[a]\r\nk=3\r\nz=4\r\nnew=6\r\n\r\n");
}

// Mend: the read used to cut values to 2047 characters, shortening long signatures and passwords.
TEST_F(IniFile, LongValueReadsBackWhole) {
    const std::string long3000(3000, 'x');
    {
        TIniFile ini("quillory.INI");
        ini.WriteValue("TForm1.sComboBox3_Items", "Item0", long3000);
        ini.UpdateFile();
    }
    EXPECT_EQ(TIniFile("quillory.INI").ReadValue("TForm1.sComboBox3_Items", "Item0", ""), long3000);
}

// Mend: the file is replaced whole at the end of a cycle, or not at all.
TEST_F(IniFile, FileIsUntouchedUntilUpdateFile) {
    const std::string before = "[TForm1]\r\nsmtpserver=6d61696c\r\n";
    WriteBytes(Folder() / "quillory.INI", before);
    {
        TIniFile ini("quillory.INI");
        ini.WriteValue("TForm1", "smtpserver", "");
        ini.ClearSection("TForm1");
        // The cycle stops here, as when a step raises: nothing reaches the disk.
    }
    EXPECT_EQ(ReadBytes(Folder() / "quillory.INI"), before);
}

TEST_F(IniFile, FailedUpdateRaisesWithTheBareNameAndLeavesNoTemporaryFile) {
    // A folder where the file should be: it can be neither read nor replaced (even by root).
    std::filesystem::create_directory(Folder() / "quillory.INI");
    std::filesystem::create_directory(Folder() / "quillory.INI" / "inside");
    TIniFile ini("quillory.INI");
    ini.WriteValue("TForm1", "Key", "v");
    try {
        ini.UpdateFile();
        FAIL() << "no exception";
    } catch (const EIniFileException& error) {
        EXPECT_STREQ(error.what(), "Unable to write to quillory.INI");
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Folder())) ++entries;
    EXPECT_EQ(entries, 1u) << "the temporary file was left behind";
}

TEST_F(IniFile, UnreachableFolderRaisesOnUpdate) {
    WriteBytes(Folder() / "plainfile", "");
    const auto below = Folder() / "plainfile" / "config";
    ::setenv("XDG_CONFIG_HOME", below.c_str(), 1);
    TIniFile ini("quillory.INI");
    EXPECT_EQ(ini.ReadValue("TForm1", "Key", "d"), "d");
    ini.WriteValue("TForm1", "Key", "v");
    EXPECT_THROW(ini.UpdateFile(), EIniFileException);
}

// Mend: a value holding a line break used to be written as further lines that read back as other
// keys or sections, for example overwriting "smtpserver".
TEST_F(IniFile, LineBreaksInValuesCannotCreateKeysOrSections) {
    const std::string injected = "Dobrý den\r\nsmtpserver=evil\n[Other]\rx=1";
    const std::string quoted = "\"two\nlines\"";
    const std::string markerLike = "\\~not escaped";
    {
        TIniFile ini("quillory.INI");
        ini.WriteValue("TForm1.sComboBox1_Items", "Item0", injected);
        IniWriteValue(ini, "TForm1.sComboBox1_Items", "Item1", quoted);
        ini.WriteValue("TForm1.sComboBox1_Items", "Item2", markerLike);
        ini.WriteValue("TForm1", "smtpserver", "6d");
        ini.UpdateFile();
    }
    const TIniFile ini("quillory.INI");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"TForm1.sComboBox1_Items", "TForm1"}));
    EXPECT_EQ(ini.ReadSectionKeys("TForm1.sComboBox1_Items"),
              (std::vector<std::string>{"Item0", "Item1", "Item2"}));
    EXPECT_EQ(ini.ReadValue("TForm1", "smtpserver", ""), "6d");
    EXPECT_EQ(ini.ReadValue("TForm1.sComboBox1_Items", "Item0", ""), injected);
    EXPECT_EQ(IniReadValue(ini, "TForm1.sComboBox1_Items", "Item1", ""), quoted);
    EXPECT_EQ(ini.ReadValue("TForm1.sComboBox1_Items", "Item2", ""), markerLike);
}

TEST_F(IniFile, PlainValuesAreStoredByteForByte) {
    for (const std::string value : {"", "Dobrý den,", "a\\b", "x=y", "[not a section]", "  blanks  "}) {
        EXPECT_EQ(EncodeIniValue(value), value);
    }
}

// The file is Windows-1250 while every value fits; one value that does not makes the whole file
// UTF-8 behind the mark, and reading it gives every value back in its own form.
TEST_F(IniFile, AValueOutsideWindows1250MakesTheFileUtf8WithTheMark) {
    const std::string mark(kUtf8Mark);
    const std::string czech = Utf8ToWin1250("Dobrý den,");
    const std::string cyrillic = mark + "Олена\r\nКоваленко";
    const auto fileBytes = [] { return ReadBytes(ResolveIniPath("quillory.INI")); };
    {
        TIniFile ini("quillory.INI");
        ini.WriteValue("TForm1", "sComboBox1_Text", czech);
        ini.UpdateFile();
    }
    EXPECT_EQ(fileBytes(), "[TForm1]\r\nsComboBox1_Text=" + czech + "\r\n");
    {
        TIniFile ini("quillory.INI");
        ini.WriteValue("TForm1", "sComboBox4_Text", cyrillic);
        ini.UpdateFile();
    }
    EXPECT_EQ(fileBytes(),
              mark + "[TForm1]\r\nsComboBox1_Text=Dobrý den,\r\nsComboBox4_Text=\\~Олена\\r\\nКоваленко\r\n");
    {
        TIniFile ini("quillory.INI");
        EXPECT_EQ(ini.ReadValue("TForm1", "sComboBox1_Text", ""), czech);
        EXPECT_EQ(ini.ReadValue("TForm1", "sComboBox4_Text", ""), cyrillic);
        // Without it the file is Windows-1250 again, byte for byte as before.
        ini.DeleteKey("TForm1", "sComboBox4_Text");
        ini.UpdateFile();
    }
    EXPECT_EQ(fileBytes(), "[TForm1]\r\nsComboBox1_Text=" + czech + "\r\n");
}

TEST(IniDocument, ReadsEachFormAndKeepsBytesThatOnlyLookLikeTheMark) {
    struct Row {
        const char* label;
        std::string file;
        std::string value;    // the program's text of key "k"
        std::string written;  // the file Serialize writes back
    };
    const std::string mark(kUtf8Mark);
    const Row rows[] = {
        {"windows_1250", "[s]\r\nk=k\xf9\xf2\r\n", "k\xf9\xf2", "[s]\r\nk=k\xf9\xf2\r\n"},
        {"utf8_that_fits", mark + "[s]\nk=kůň\n", "k\xf9\xf2", "[s]\r\nk=k\xf9\xf2\r\n"},
        {"utf8_that_does_not", mark + "[s]\r\nk=→\r\n", mark + "→", mark + "[s]\r\nk=→\r\n"},
        // "ď»ż" at the start of a value of an earlier file: kept, in the UTF-8 form.
        {"mark_bytes_inside", "[s]\r\nk=\xEF\xBB\xBFx\r\n", mark + "ď»żx", mark + "[s]\r\nk=ď»żx\r\n"},
    };
    for (const Row& row : rows) {
        const TIniDocument document = TIniDocument::Parse(row.file);
        EXPECT_EQ(document.Find("s", "k"), std::optional<std::string_view>(row.value)) << row.label;
        EXPECT_EQ(document.Serialize(), row.written) << row.label;
        EXPECT_EQ(TIniDocument::Parse(row.written).Find("s", "k"), std::optional<std::string_view>(row.value))
            << row.label;
    }
}

TEST_F(IniFile, InvalidNamesAreRefused) {
    TIniFile ini("quillory.INI");
    EXPECT_THROW(ini.WriteValue("TForm1", "a=b", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteValue("TForm1", "a\nb", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteValue("Sec]tion", "k", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteValue("TForm1", "", "v"), EIniFileException);
}

TEST(IniLocation, BareNameIsTheExecutableNameWithIniExtension) {
    EXPECT_EQ(DefaultIniName("/usr/local/bin/quillory"), "quillory.INI");
    EXPECT_EQ(DefaultIniName("/opt/app.exe"), "app.INI");
    EXPECT_EQ(DefaultIniName("quillory"), "quillory.INI");
}

TEST(IniLocation, ConfigFolderFallsBackToHomeConfig) {
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    ::setenv("HOME", "/home/someone", 1);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ResolveIniPath("quillory.INI"), "/home/someone/.config/quillory.INI");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(ResolveIniPath("quillory.INI"), "/home/someone/.config/quillory.INI");
    ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ(ResolveIniPath("quillory.INI"), "/xdg/quillory.INI");
    EXPECT_EQ(ResolveIniPath("/elsewhere/q.INI"), "/elsewhere/q.INI");
    ::setenv("HOME", oldHome.c_str(), 1);
    if (oldXdg) {
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace quillory
