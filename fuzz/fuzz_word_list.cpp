// The personal word list (slovnik.txt) and the spell checker's word rules on text of any bytes: a
// file that is UTF-8 text gives words without line ends or blank edges, and a word added to it is
// written and read back with the others; any other file is refused and stays byte for byte as it
// was. The words a line gives the dictionary lie inside the line in order, each of two or more
// characters, with no space, brace, "@" or digit in it.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "core/Utf8.h"
#include "spelling/CharacterClasses.h"
#include "spelling/PersonalWordList.h"
#include "spelling/SpellingWords.h"
#include "support/FuzzCheck.h"
#include "support/TempFile.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

std::string ReadBack(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void CheckWords(std::u16string_view line) {
    const auto size = static_cast<std::ptrdiff_t>(line.size());
    std::ptrdiff_t end = 0;
    for (const SpellingWord& word : WordsToCheck(line, u"'\u2019")) {
        Check(word.start >= end && word.length >= 2 && word.start + word.length <= size);
        end = word.start + word.length;
        for (const char16_t c :
             line.substr(static_cast<std::size_t>(word.start), static_cast<std::size_t>(word.length)))
            Check(!IsSpace(c) && !IsNumber(c) && !(c >= u'0' && c <= u'9') && c != u' ' && c != u'{' &&
                  c != u'}' && c != u'@');
        Check(!word.trailingDot || (end < size && line[static_cast<std::size_t>(end)] == u'.'));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path file = fuzz::WriteScratchFile("slovnik.txt", bytes);
    PersonalWordList list(file);
    list.Load();
    const bool text = PersonalWordList::IsWordListText(bytes);
    Check(text == (list.LoadProblem() == PersonalWordList::Problem::None));
    for (const std::string& word : list.Words()) {
        Check(!word.empty() && word == PersonalWordList::WordOfLine(word));
        Check(word.find_first_of("\r\n") == std::string::npos);
    }
    Check(static_cast<bool>(list.Add("Quillory")));
    if (text) {
        PersonalWordList again(file);
        again.Load();
        Check(again.LoadProblem() == PersonalWordList::Problem::None && again.Contains("Quillory"));
        for (const std::string& word : list.Words()) Check(again.Contains(word));
    } else {
        Check(ReadBack(file) == bytes);
    }

    const std::u16string units = Utf16FromUtf8(bytes);
    for (std::size_t start = 0; start <= units.size();) {
        std::size_t end = units.find(u'\n', start);
        if (end == std::u16string::npos) end = units.size();
        CheckWords(std::u16string_view(units).substr(start, end - start));
        start = end + 1;
    }
    return 0;
}
