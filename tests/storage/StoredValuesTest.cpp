#include <gtest/gtest.h>

#include <map>

#include "core/Exception.h"
#include "storage/Scramble.h"
#include "storage/StoredValues.h"
#include "storage/StrUtil.h"

namespace quillory {
namespace {

TEST(Scramble, EmptyKeyGivesPlainHexCodes) {
    EXPECT_EQ(ScrambleHex("", "abc"), "616263");
    EXPECT_EQ(ScrambleHex("", "\x01\xff"), "01ff");
    EXPECT_EQ(UnscrambleHex("", "616263"), "abc");
}

TEST(Scramble, RoundTripsEveryByteWithAnyKeyAndTwoDigitsPerCharacter) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (const std::string key : {"", "k", "qwertzuiop", "heslo"}) {
        const std::string scrambled = ScrambleHex(key, all);
        EXPECT_EQ(scrambled.size(), 2 * all.size());
        EXPECT_EQ(scrambled.find_first_not_of("0123456789abcdef"), std::string::npos);
        EXPECT_EQ(UnscrambleHex(key, scrambled), all) << key;
    }
    EXPECT_EQ(ScrambleHex("key", ""), "");
}

TEST(Scramble, UnscrambleAcceptsUpperCaseAndReplacesBadPairs) {
    const std::string scrambled = ScrambleHex("abc", "Xyz");
    std::string upper = scrambled;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(UnscrambleHex("abc", upper), "Xyz");
    EXPECT_EQ(UnscrambleHex("", "41zz4"), "A ") << "bad pair stands for 32, odd digit ignored";
    EXPECT_EQ(UnscrambleHex("a", "zz"), std::string(1, static_cast<char>(32 ^ 'a')));
}

// An in-memory section of the storage, as the save and restore cycles hand it over.
class MemorySection : public TIniValueAccess {
public:
    std::string ReadIniValue(std::string_view key, std::string_view defaultValue) override {
        for (const auto& [name, value] : values) {
            if (SameText(name, key)) return value;
        }
        return std::string(defaultValue);
    }
    void WriteIniValue(std::string_view key, std::string_view text) override {
        values[std::string(key)] = text;
    }
    std::map<std::string, std::string> values;
};

TEST(StoredValues, ByNameAccessIgnoresCaseAndAddsUnknownNames) {
    TStoredValues values;
    values.Add("smtpserver", std::string(), "abcdefghij");
    values.WriteStoredValue("SMTPSERVER", std::string("mail.example.cz"));
    EXPECT_EQ(values.ReadStoredValue("SmtpServer"), TVariant(std::string("mail.example.cz")));
    EXPECT_EQ(values.ReadStoredValue("nothing"), TVariant(TNull{}));

    values.WriteStoredValue("extra", true);
    ASSERT_EQ(values.Count(), 2u);
    EXPECT_EQ(values[1].KeyString, "");
    MemorySection section;
    values.WriteAllValues(section);
    EXPECT_EQ(section.values["extra"], "True") << "a value without key is written in plain";
}

TEST(StoredValues, DuplicateNamesAreRefusedAndTheOldNameStays) {
    TStoredValues values;
    values.Add("smtplogin");
    TStoredValue& heslo = values.Add("smtpheslo");
    EXPECT_THROW(values.Add("SMTPLOGIN"), Exception);
    try {
        heslo.SetName("SmtpLogin");
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "String list does not allow duplicates");
    }
    EXPECT_EQ(heslo.Name(), "smtpheslo");
    heslo.SetName("SMTPHESLO");
    EXPECT_EQ(heslo.Name(), "SMTPHESLO");
}

TEST(StoredValues, SaveScramblesAndRestoreGivesTextsBack) {
    TStoredValues values;
    values.Add("smtpserver", std::string("smtp.seznam.cz"), "kvetinacek");
    values.Add("smtpheslo", std::string(), "zahradnik");
    values.Add("smtpovereni", false, "pripojovani");
    MemorySection section;
    values.WriteAllValues(section);
    EXPECT_EQ(section.values["smtpserver"], ScrambleHex("kvetinacek", "smtp.seznam.cz"));
    EXPECT_EQ(section.values["smtpheslo"], "") << "the empty text stays empty";
    EXPECT_EQ(section.values["smtpovereni"].size(), 10u) << "\"False\" scrambled";

    TStoredValues restored;
    restored.Add("smtpserver", std::string(), "kvetinacek");
    restored.Add("smtpheslo", std::string("old"), "zahradnik");
    restored.Add("smtpovereni", true, "pripojovani");
    restored.Add("smtplogin", std::string("default"), "uzivatele");
    restored.ReadAllValues(section);
    EXPECT_EQ(restored.ReadStoredValue("smtpserver"), TVariant(std::string("smtp.seznam.cz")));
    EXPECT_EQ(restored.ReadStoredValue("smtpheslo"), TVariant(std::string()));
    EXPECT_EQ(restored.ReadStoredValue("smtpovereni"), TVariant(std::string("False")))
        << "a Boolean comes back as its text";
    EXPECT_EQ(restored.ReadStoredValue("smtplogin"), TVariant(std::string("default")))
        << "a missing key keeps the current value, as a text";
}

TEST(StoredValues, OnSaveAndOnRestoreSeeTheVariant) {
    TStoredValues values;
    TStoredValue& item = values.Add("v", std::string("plain"), "key");
    item.OnSave = [](TStoredValue&, TVariant& value) { value = std::string("changed"); };
    item.OnRestore = [](TStoredValue&, TVariant& value) { value = VarToStr(value) + "!"; };
    MemorySection section;
    values.WriteAllValues(section);
    EXPECT_EQ(VarToStr(item.Value), "plain");
    values.ReadAllValues(section);
    EXPECT_EQ(VarToStr(item.Value), "changed!");
}

// OnUse runs before every access by name, so a restore put off until then is complete before the
// value is read, and comes before (not after) a write; the save and restore do not call it.
TEST(StoredValues, OnUseRunsBeforeEachAccessByName) {
    TStoredValues values;
    TStoredValue& item = values.Add("v", std::string("from ini"), "key");
    int uses = 0;
    item.OnUse = [&uses](TStoredValue& sender) {
        if (uses++ == 0) sender.Value = std::string("filled in");
    };
    MemorySection section;
    values.WriteAllValues(section);
    values.ReadAllValues(section);
    EXPECT_EQ(uses, 0);
    EXPECT_EQ(values.ReadStoredValue("V"), TVariant(std::string("filled in")));
    values.WriteStoredValue("v", std::string("typed"));
    EXPECT_EQ(uses, 2);
    EXPECT_EQ(VarToStr(item.Value), "typed");
}

TEST(Variant, BooleanConversion) {
    struct Row {
        TVariant value;
        bool expected;
    };
    const Row rows[] = {{true, true},
                        {false, false},
                        {std::string("True"), true},
                        {std::string("TRUE"), true},
                        {std::string("false"), false},
                        {std::string("1"), true},
                        {std::string("0"), false},
                        {std::string("garbage"), false},
                        {std::int64_t{-3}, true},
                        {std::int64_t{0}, false},
                        {TVariant{}, false},
                        {TNull{}, false}};
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(VarToBool(rows[i].value), rows[i].expected) << i;
    EXPECT_EQ(VarToStr(true), "True");
    EXPECT_EQ(VarToStr(std::int64_t{-42}), "-42");
    EXPECT_EQ(VarToStr(TNull{}), "");
}

}  // namespace
}  // namespace quillory
