#include "TempConfigFolder.h"
#include "storage/PropsFormat.h"
#include "storage/Scramble.h"
#include "storage/StoredValues.h"
#include "storage/WindowPlacement.h"

namespace quillory {
namespace {

using FormStorageFormat = test::TempConfigFolder;

// The INI file after the first close: window at its designed place at 1280 by 1024 and 96 pixels
// per inch, blocks 1 and 2 ticked, one salutation and one subject, no SMTP settings.
const char* const kFirstCloseIni =
    "[TForm1]\r\n"
    "FormVersion=0\r\nFlags=0\r\nShowCmd=1\r\nPixelsPerInch=96\r\n"
    "MinMaxPos(1280x1024)=-1,-1,-4,-4\r\nMinMaxPos=-1,-1,-4,-4\r\n"
    "NormPos(1280x1024)=16,11,1033,763\r\nNormPos=16,11,1033,763\r\nVisible=0\r\n"
    "sCheckBox1_Checked=True\r\nsCheckBox10_Checked=False\r\nsCheckBox11_Checked=False\r\n"
    "sCheckBox2_Checked=True\r\nsCheckBox3_Checked=False\r\nsCheckBox4_Checked=False\r\n"
    "sCheckBox5_Checked=False\r\nsCheckBox6_Checked=False\r\nsCheckBox7_Checked=False\r\n"
    "sCheckBox8_Checked=False\r\nsCheckBox9_Checked=True\r\n"
    "sEdit1_Text=\r\nsEdit3_Text=\r\n"
    "sComboBox1_Text=Dobr\xfd den,\r\nsComboBox2_Text=\r\nsComboBox3_Text=\r\n"
    "sComboBox4_Text=Nab\xed"
    "dka\r\nsComboBox5_Text=\r\n"
    "smtpserver=\r\nsmtplogin=\r\nsmtpheslo=\r\nsmtpovereni=0000000000\r\n"
    "[TForm1.sComboBox1_Items]\r\nCount=1\r\nItem0=Dobr\xfd den,\r\n"
    "[TForm1.sComboBox4_Items]\r\nCount=1\r\nItem0=Nab\xed"
    "dka\r\n";

// Writes the save cycle's keys in the cycle's order: version, placement, the stored properties
// in list order (check boxes, fields, lists, shown texts), the stored values.
TEST_F(FormStorageFormat, SaveCycleWritesTheFirstCloseFileKeyForKey) {
    const std::string section = "TForm1";
    TIniFile ini("quillory.INI");
    IniWriteNumber(ini, section, "FormVersion", 0);
    TWindowPlacement placement;
    placement.MaxX = placement.MaxY = -4;
    placement.Left = 16;
    placement.Top = 11;
    placement.Right = 1033;
    placement.Bottom = 763;
    WritePlacementKeys(ini, section, placement, {{1280, 1024}, 96}, false);

    for (const char* box :
         {"sCheckBox1", "sCheckBox10", "sCheckBox11", "sCheckBox2", "sCheckBox3", "sCheckBox4", "sCheckBox5",
          "sCheckBox6", "sCheckBox7", "sCheckBox8", "sCheckBox9"}) {
        const bool ticked = std::string_view(box) == "sCheckBox1" || std::string_view(box) == "sCheckBox2" ||
                            std::string_view(box) == "sCheckBox9";
        WritePropertyValue(ini, section, PropertyKey(box, "Checked"), BooleanText(ticked));
    }
    WritePropertyValue(ini, section, PropertyKey("sEdit1", "Text"), "");
    WritePropertyValue(ini, section, PropertyKey("sEdit3", "Text"), "");
    const std::vector<std::vector<std::string>> lists = {{"Dobr\xfd den,"},
                                                         {},
                                                         {},
                                                         {"Nab\xed"
                                                          "dka"},
                                                         {}};
    for (std::size_t i = 0; i < lists.size(); ++i) {
        WriteStringListSection(ini, section, PropertyKey("sComboBox" + std::to_string(i + 1), "Items"),
                               lists[i]);
    }
    for (std::size_t i = 0; i < lists.size(); ++i) {
        WritePropertyValue(ini, section, PropertyKey("sComboBox" + std::to_string(i + 1), "Text"),
                           lists[i].empty() ? "" : lists[i][0]);
    }

    struct MemoryAccess : TIniValueAccess {
        TIniFile& file;
        explicit MemoryAccess(TIniFile& f) : file(f) {}
        std::string ReadIniValue(std::string_view key, std::string_view d) override {
            return IniReadValue(file, "TForm1", key, d);
        }
        void WriteIniValue(std::string_view key, std::string_view text) override {
            IniWriteValue(file, "TForm1", key, text);
        }
    } access(ini);
    TStoredValues values;
    values.Add("smtpserver", std::string(), "kvetinacek");
    values.Add("smtplogin", std::string(), "uzivatele");
    values.Add("smtpheslo", std::string(), "zahradnik");
    values.Add("smtpovereni", false, "pripojovani");
    values.WriteAllValues(access);
    ini.UpdateFile();

    // Key for key, section for section, in order; every value as in that file except the
    // scrambled "False", whose digits depend on the key word.
    const TIniDocument expected = TIniDocument::Parse(kFirstCloseIni);
    const TIniFile written("quillory.INI");
    ASSERT_EQ(written.ReadSections(), expected.SectionNames());
    for (const auto& name : expected.SectionNames()) {
        ASSERT_EQ(written.ReadSectionKeys(name), expected.KeyNames(name)) << name;
        for (const auto& key : expected.KeyNames(name)) {
            if (key == "smtpovereni") continue;
            EXPECT_EQ(written.ReadValue(name, key, "?"), DecodeIniValue(*expected.Find(name, key))) << key;
        }
    }
    const std::string scrambled = written.ReadValue("TForm1", "smtpovereni", "");
    EXPECT_EQ(scrambled.size(), 10u);
    EXPECT_EQ(UnscrambleHex("pripojovani", scrambled), "False");
}

TEST_F(FormStorageFormat, PlacementPositionReadBack) {
    TWindowPlacement current;
    current.Left = 100;
    current.Top = 50;
    current.Right = 600;
    current.Bottom = 450;
    const TPlacementContext here{{1280, 1024}, 96};
    struct Row {
        const char* name;
        const char* file;
        bool found;
        int left, top, right, bottom;
    };
    const Row rows[] = {
        {"nothing stored", "", false, 0, 0, 0, 0},
        {"own screen size first", "NormPos(1280x1024)=1,2,3,4\r\nNormPos=5,6,7,8\r\n", true, 1, 2, 3, 4},
        {"other screen size: bare key", "NormPos(800x600)=1,2,3,4\r\nNormPos=5,6,7,8\r\n", true, 5, 6, 7, 8},
        {"two words: the rest from the form", "NormPos= 16 ,, 11\r\n", true, 16, 11, 600, 450},
        {"other pixels per inch", "NormPos=1,2,3,4\r\nPixelsPerInch=120\r\n", false, 0, 0, 0, 0},
        {"same pixels per inch", "NormPos=1,2,3,4\r\nPixelsPerInch=96\r\n", true, 1, 2, 3, 4},
        {"minmax alone counts as found", "MinMaxPos=-1,-1,-4,-4\r\n", true, 100, 50, 600, 450},
    };
    for (const auto& row : rows) {
        WriteBytes(Folder() / "quillory.INI", std::string("[TForm1]\r\n") + row.file);
        const TIniFile ini("quillory.INI");
        const auto placement = ReadPlacementPosition(ini, "TForm1", current, here);
        ASSERT_EQ(placement.has_value(), row.found) << row.name;
        if (!placement) continue;
        EXPECT_EQ(placement->Left, row.left) << row.name;
        EXPECT_EQ(placement->Top, row.top) << row.name;
        EXPECT_EQ(placement->Right, row.right) << row.name;
        EXPECT_EQ(placement->Bottom, row.bottom) << row.name;
    }
}

TEST_F(FormStorageFormat, ShowCmdGivesTheState) {
    const std::pair<const char*, TShowCmd> rows[] = {
        {"1", TShowCmd::Normal},    {"5", TShowCmd::Normal},    {"9", TShowCmd::Normal},
        {"2", TShowCmd::Minimized}, {"6", TShowCmd::Minimized}, {"7", TShowCmd::Minimized},
        {"3", TShowCmd::Maximized}, {"4", TShowCmd::Hidden},    {"x", TShowCmd::Hidden}};
    for (const auto& [stored, state] : rows) {
        WriteBytes(Folder() / "quillory.INI", std::string("[TForm1]\r\nShowCmd=") + stored + "\r\n");
        EXPECT_EQ(ReadPlacementState(TIniFile("quillory.INI"), "TForm1", TShowCmd::Hidden), state) << stored;
    }
}

TEST_F(FormStorageFormat, StringListSections) {
    {
        TIniFile ini("quillory.INI");
        WriteStringListSection(ini, "TForm1", "sComboBox2_Items", {"\"quoted\"", " lead", ""});
        WriteStringListSection(ini, "TForm1", "sComboBox3_Items", {"x"});
        WriteStringListSection(ini, "TForm1", "sComboBox3_Items", {});
        ini.UpdateFile();
    }
    const TIniFile ini("quillory.INI");
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"TForm1.sComboBox2_Items"})
        << "empty list: no section";
    EXPECT_EQ(ReadStringListSection(ini, "TForm1", "sComboBox2_Items"),
              (std::vector<std::string>{"\"quoted\"", "lead", ""}));
    EXPECT_EQ(ReadStringListSection(ini, "TForm1", "sComboBox3_Items"), std::nullopt);

    struct Row {
        const char* section;
        std::optional<std::vector<std::string>> expected;
    };
    const Row rows[] = {
        {"Count=3\r\nItem0=a\r\n", std::vector<std::string>{"a", "", ""}},
        {"Count= 2 \r\nItem1=b\r\n", std::vector<std::string>{"", "b"}},
        {"Count=0\r\nItem0=a\r\n", std::nullopt},
        {"Count=-1\r\n", std::nullopt},
        {"Count=many\r\n", std::nullopt},
        {"Count=2000000000\r\n", std::nullopt},
    };
    for (const auto& row : rows) {
        WriteBytes(Folder() / "quillory.INI", std::string("[TForm1.L_Items]\r\n") + row.section);
        EXPECT_EQ(ReadStringListSection(TIniFile("quillory.INI"), "TForm1", "L_Items"), row.expected)
            << row.section;
    }
}

TEST_F(FormStorageFormat, PropertyValuesAreTrimmedAndBooleansNamed) {
    TIniFile ini("quillory.INI");
    WritePropertyValue(ini, "TForm1", "sEdit1_Text", "   jan@example.cz\t ");
    EXPECT_EQ(ini.ReadValue("TForm1", "sEdit1_Text", ""), "jan@example.cz");
    EXPECT_EQ(ParseBooleanText("true"), true);
    EXPECT_EQ(ParseBooleanText("FALSE"), false);
    EXPECT_EQ(ParseBooleanText("yes"), std::nullopt);
    EXPECT_EQ(ParseBooleanText("1"), std::nullopt);
}

}  // namespace
}  // namespace quillory
