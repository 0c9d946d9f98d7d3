#include "spelling/SpellDictionary.h"

#include <iconv.h>
#include <hunspell.hxx>

#include <cctype>
#include <cerrno>
#include <fstream>
#include <new>

#include "core/TextLines.h"

namespace quillory {
namespace {

constexpr std::size_t kHeadBytes = 4096;
// Entries of the word file tried after the load: one of them must be known, else the load failed.
constexpr int kProbeEntries = 20;

std::string Quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

// The first bytes of a plain, readable file; raises SpellDictionaryError otherwise.
std::string ReadHead(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status))
        throw SpellDictionaryError("Dictionary file " + Quoted(path) + " does not exist");
    if (!std::filesystem::is_regular_file(status))
        throw SpellDictionaryError("Dictionary file " + Quoted(path) + " is not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SpellDictionaryError("Dictionary file " + Quoted(path) + " cannot be read");
    std::string head(kHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    if (head.empty()) throw SpellDictionaryError("Dictionary file " + Quoted(path) + " is empty");
    return head;
}

// The word file starts with the number of its entries, then one entry a line: the word, then
// "/flags" and morphological fields after a tab or space. Returns the first few words.
std::vector<std::string> ProbeWords(const std::filesystem::path& path, std::string head) {
    if (head.starts_with("\xEF\xBB\xBF")) head.erase(0, 3);
    std::vector<std::string> lines = SplitLines(head);
    const std::string count = lines.empty() ? std::string() : lines.front();
    std::size_t digits = 0;
    while (digits < count.size() && std::isdigit(static_cast<unsigned char>(count[digits]))) ++digits;
    if (digits == 0 || count.find_first_not_of(" \t", digits) != std::string::npos)
        throw SpellDictionaryError("Dictionary file " + Quoted(path) + " does not start with its word count");
    std::vector<std::string> words;
    // The last line of the head may be cut short.
    for (std::size_t i = 1; i + 1 < lines.size() && words.size() < kProbeEntries; ++i) {
        const std::string& line = lines[i];
        std::size_t end = 0;
        while (end < line.size() && line[end] != '/' && line[end] != '\t' && line[end] != ' ') {
            if (line[end] == '\\') ++end;  // "\/" is a slash of the word
            ++end;
        }
        if (end > 0 && end <= line.size()) words.push_back(line.substr(0, end));
    }
    return words;
}

// The name iconv knows for a SET value of an affix file.
std::string IconvName(std::string encoding) {
    if (encoding.starts_with("microsoft-")) encoding.erase(0, 10);
    return encoding;
}

bool IsUtf8(const std::string& encoding) {
    std::string lower;
    for (const char c : encoding) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "utf-8" || lower == "utf8";
}

}  // namespace

// One direction of iconv, owned.
class SpellDictionary::Converter {
public:
    // Raises SpellDictionaryError naming `affixFile` when the system cannot convert.
    Converter(const std::string& to, const std::string& from, const std::filesystem::path& affixFile)
        : handle_(::iconv_open(to.c_str(), from.c_str())) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw SpellDictionaryError("The character set \"" + (to == "UTF-8" ? from : to) +
                                       "\" of dictionary " + Quoted(affixFile) + " is not known");
    }
    ~Converter() { ::iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // False when `text` holds a character the target cannot hold, or bytes that are not text.
    bool Convert(std::string_view text, std::string& out) {
        ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        out.assign(text.size() * 4 + 8, '\0');
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* next = out.data();
        std::size_t outLeft = out.size();
        if (::iconv(handle_, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1)) return false;
        if (::iconv(handle_, nullptr, nullptr, &next, &outLeft) == static_cast<std::size_t>(-1)) return false;
        out.resize(out.size() - outLeft);
        return true;
    }

private:
    iconv_t handle_;
};

SpellDictionary::SpellDictionary(const std::filesystem::path& affixFile,
                                 const std::filesystem::path& wordFile) {
    ReadHead(affixFile);
    const std::vector<std::string> probes = ProbeWords(wordFile, ReadHead(wordFile));
    try {
        hunspell_ = std::make_unique<Hunspell>(affixFile.c_str(), wordFile.c_str());
    } catch (const std::bad_alloc&) {
        throw SpellDictionaryError("Dictionary " + Quoted(wordFile) + " does not fit in memory");
    }
    encoding_ = hunspell_->get_dict_encoding();
    if (!IsUtf8(encoding_)) {
        toDictionary_ = std::make_unique<Converter>(IconvName(encoding_), "UTF-8", affixFile);
        fromDictionary_ = std::make_unique<Converter>("UTF-8", IconvName(encoding_), affixFile);
    }
    bool known = false;
    for (const std::string& probe : probes) {
        if (hunspell_->spell(probe)) {
            known = true;
            break;
        }
    }
    if (!known)
        throw SpellDictionaryError("Dictionary " + Quoted(wordFile) + " holds no word that can be read");
    wordChars_ = FromDictionary(hunspell_->get_wordchars_cpp());
}

SpellDictionary::~SpellDictionary() = default;

bool SpellDictionary::ToDictionary(std::string_view word, std::string& converted) {
    if (!toDictionary_) {
        converted.assign(word);
        return true;
    }
    return toDictionary_->Convert(word, converted);
}

std::string SpellDictionary::FromDictionary(const std::string& text) {
    if (!fromDictionary_) return text;
    std::string converted;
    return fromDictionary_->Convert(text, converted) ? converted : std::string();
}

bool SpellDictionary::Check(std::string_view word) {
    std::string converted;
    if (!ToDictionary(word, converted)) return true;
    return hunspell_->spell(converted);
}

std::vector<std::string> SpellDictionary::Suggest(std::string_view word) {
    std::string converted;
    if (!ToDictionary(word, converted)) return {};
    std::vector<std::string> suggestions;
    for (const std::string& suggestion : hunspell_->suggest(converted)) {
        std::string text = FromDictionary(suggestion);
        if (!text.empty()) suggestions.push_back(std::move(text));
    }
    return suggestions;
}

void SpellDictionary::Add(std::string_view word) {
    std::string converted;
    if (ToDictionary(word, converted)) hunspell_->add(converted);
}

}  // namespace quillory
