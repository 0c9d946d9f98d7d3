// The INI reader on a file of any bytes: every section and key reads without a crash through the
// typed reads, the list sections, the window placement and the scrambled stored values. What the
// reader makes of a file survives being written back and read again, and a text stored through the
// storage's quote protection reads back unchanged (texts with blanks at their ends excepted: the
// reader removes those by design). Lookups in a changed document find what a fresh read finds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/TextTrim.h"
#include "storage/IniDocument.h"
#include "storage/IniFile.h"
#include "storage/IniStorage.h"
#include "storage/IniValueAccess.h"
#include "storage/PropsFormat.h"
#include "storage/StoredValues.h"
#include "storage/WindowPlacement.h"
#include "support/FuzzCheck.h"
#include "support/TempFile.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

// The stored values' access to one section of the file.
class TSectionAccess : public TIniValueAccess {
public:
    TSectionAccess(TIniFile& ini, std::string section) : ini_(ini), section_(std::move(section)) {}
    std::string ReadIniValue(std::string_view key, std::string_view defaultValue) override {
        return IniReadValue(ini_, section_, key, defaultValue);
    }
    void WriteIniValue(std::string_view key, std::string_view text) override {
        IniWriteValue(ini_, section_, key, text);
    }

private:
    TIniFile& ini_;
    std::string section_;
};

void ReadEverything(TIniFile& ini) {
    const TPlacementContext context{{1280, 1024}, 96};
    for (const std::string& section : ini.ReadSections()) {
        for (const std::string& key : ini.ReadSectionKeys(section)) {
            (void)ini.ReadNumber(section, key, 7);
            (void)ini.ReadFlag(section, key, true);
            (void)ReadPropertyValue(ini, section, key, "");
            (void)ReadScreenValue(ini, section, key, context.Screen);
        }
        if (const auto dot = section.find('.'); dot != std::string::npos)
            (void)ReadStringListSection(ini, section.substr(0, dot), section.substr(dot + 1));
        (void)ReadPlacementPosition(ini, section, TWindowPlacement{}, context);
        (void)ReadPlacementState(ini, section, TShowCmd::Normal);

        TStoredValues values;
        for (const char* name : {"smtpserver", "smtplogin", "smtpheslo", "smtpovereni"})
            values.Add(name, std::string(), "key");
        TSectionAccess access(ini, section);
        values.ReadAllValues(access);
    }
}

// Stores every value read back under its own name and reads it again.
void StoreAndReadBack(TIniFile& ini) {
    for (const std::string& section : ini.ReadSections()) {
        for (const std::string& key : ini.ReadSectionKeys(section)) {
            const std::string text = IniReadValue(ini, section, key, "");
            try {
                IniWriteValue(ini, section, key, text);
            } catch (const EIniFileException&) {
                continue;  // a name that cannot be written back as it stands
            }
            if (TrimBlanks(text) == text) Check(IniReadValue(ini, section, key, "") == text);
        }
    }
}

// Changes a copy of the document section by section (a key erased, a key added, the section
// erased, a value replaced) and checks that the changed copy finds every name as a fresh read of
// its own text does: the lookups stay right through every change.
void ChangeAndCompare(const TIniDocument& document) {
    TIniDocument changed = document;
    const std::vector<std::string> sections = document.SectionNames();
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const std::vector<std::string> keys = changed.KeyNames(sections[i]);
        switch (i % 4) {
        case 0:
            if (!keys.empty()) changed.EraseKey(sections[i], keys.front());
            break;
        case 1:
            changed.Set(sections[i], "Added", "x");
            break;
        case 2:
            changed.EraseSection(sections[i]);
            break;
        default:
            changed.Set(sections[i], keys.empty() ? "Key" : keys.back(), "y");
            break;
        }
    }
    changed.Set("Added section", "Key", "z");
    const TIniDocument fresh = TIniDocument::Parse(changed.Serialize());
    for (const std::string& section : changed.SectionNames()) {
        std::vector<std::string> keys = changed.KeyNames(section);
        keys.insert(keys.end(), {"Added", "ADDED", "Key"});
        for (const std::string& key : keys) Check(changed.Find(section, key) == fresh.Find(section, key));
    }
    for (const std::string& section : sections)
        for (const std::string& key : document.KeyNames(section))
            Check(changed.Find(section, key) == fresh.Find(section, key));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const TIniDocument document = TIniDocument::Parse(text);
    const std::string written = document.Serialize();
    const TIniDocument again = TIniDocument::Parse(written);
    Check(again.Serialize() == written);
    for (const std::string& section : document.SectionNames())
        for (const std::string& key : document.KeyNames(section))
            Check(again.Find(section, key) == document.Find(section, key));
    ChangeAndCompare(document);

    TIniFile ini(fuzz::WriteScratchFile("quillory.INI", text).string());
    ReadEverything(ini);
    StoreAndReadBack(ini);
    return 0;
}
