#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Exception.h"

class Hunspell;

namespace quillory {

// A dictionary that cannot be loaded: a file missing, unreadable, not a plain file, empty or
// damaged, or written in a character set the system cannot convert.
class SpellDictionaryError : public Exception {
public:
    using Exception::Exception;
};

// One Hunspell dictionary (an affix file and a word file) behind UTF-8 text. A dictionary keeps its
// words in the character set its affix file names on its SET line (UTF-8, ISO8859-2, ...): words go
// to it and suggestions come back from it converted. Loading takes a while (the Czech dictionary
// about 0.2 s and 27 MB); every other call belongs to one thread at a time.
class SpellDictionary {
public:
    // Raises SpellDictionaryError, with the file's path, when the dictionary cannot be loaded.
    SpellDictionary(const std::filesystem::path& affixFile, const std::filesystem::path& wordFile);
    ~SpellDictionary();
    SpellDictionary(const SpellDictionary&) = delete;
    SpellDictionary& operator=(const SpellDictionary&) = delete;

    // True for a word the dictionary knows, with Hunspell's own forgiveness: a capitalised or
    // all-capital form of a known word, an abbreviation with its full stop, a hyphenated compound
    // whose parts it knows. A word the dictionary's character set cannot hold counts as known:
    // the dictionary cannot judge it.
    bool Check(std::string_view word);
    // The dictionary's corrections of `word`, best first; may take 10 to 150 ms.
    std::vector<std::string> Suggest(std::string_view word);
    // Adds `word` for the dictionary's life (the personal list, an ignored word).
    void Add(std::string_view word);

    // The affix file's SET, as written there.
    const std::string& Encoding() const { return encoding_; }
    // The characters the affix file's WORDCHARS adds to words, in UTF-8.
    const std::string& WordChars() const { return wordChars_; }

private:
    class Converter;

    // `word` in the dictionary's character set; false when it cannot be held there.
    bool ToDictionary(std::string_view word, std::string& converted);
    std::string FromDictionary(const std::string& text);

    std::unique_ptr<Hunspell> hunspell_;
    std::string encoding_;
    std::string wordChars_;
    std::unique_ptr<Converter> toDictionary_;  // none for a UTF-8 dictionary
    std::unique_ptr<Converter> fromDictionary_;
};

}  // namespace quillory
