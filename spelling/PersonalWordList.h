#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "storage/AtomicFile.h"

namespace quillory {

// The user's own words ("slovnik.txt" in the data folder): UTF-8, one word a line (lines end at LF,
// CR LF or a lone CR), kept in the order
// they were added. A missing file is an empty list. A file that cannot be read, is not a plain
// file, is larger than kMaxBytes or is not UTF-8 text is damaged: its words are not used and it is
// never written over; words added then last for the run only.
class PersonalWordList {
public:
    static constexpr std::size_t kMaxBytes = std::size_t(4) << 20;

    enum class Problem {
        None,
        Unreadable,  // the system refused: error() holds its code
        NotRegular,  // a folder, FIFO or device
        TooLarge,
        NotText,  // not UTF-8, or holding a NUL or another control character
    };

    explicit PersonalWordList(std::filesystem::path file) : file_(std::move(file)) {}

    // Reads the file; the words read before are dropped.
    void Load();
    const std::filesystem::path& File() const { return file_; }
    const std::vector<std::string>& Words() const { return words_; }
    bool Contains(std::string_view word) const { return known_.contains(std::string(word)); }
    Problem LoadProblem() const { return problem_; }
    int LoadError() const { return error_; }

    // Adds `word` and writes the list whole through a temporary file, merged with words another
    // copy of the program has written there since. A damaged file is left as it is and the result
    // says done: the word is kept for the run. A failed write keeps the word for the run too.
    TReplaceResult Add(std::string_view word);

    // One line of the file as a word: without its line end, and without the blanks and byte order
    // marks at either edge; empty for a blank line.
    static std::string WordOfLine(std::string_view line);
    // True for UTF-8 text without NUL and without control characters other than tab, CR and LF.
    static bool IsWordListText(std::string_view bytes);

private:
    // Reads the file into `words`; the problem, None when the file is missing.
    Problem Read(std::vector<std::string>& words, int& error) const;
    void Remember(std::string word);

    std::filesystem::path file_;
    std::vector<std::string> words_;
    std::unordered_set<std::string> known_;
    Problem problem_ = Problem::None;
    int error_ = 0;
};

}  // namespace quillory
