// The block-file reader on a file of any bytes: the file reads back byte for byte; loading it into
// a memo makes every lone CR and lone LF a CR LF (and does so only once), keeps the text up to the
// first NUL, and carries every byte through the 8-bit code page and back; read as a list it gives
// entries without line ends that are written and read again unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Win1250.h"
#include "storage/TextFile.h"
#include "storage/TextForm.h"
#include "support/FuzzCheck.h"
#include "support/TempFile.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

// Every CR is followed by LF and every LF follows a CR.
bool OnlyCrLfLineEnds(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    }
    return true;
}

std::string WithoutLineEnds(std::string_view text) {
    std::string rest;
    for (const char c : text)
        if (c != '\r' && c != '\n') rest += c;
    return rest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string read = FileToLines(fuzz::WriteScratchFile("blok1.txt", bytes));
    Check(read == bytes);

    const std::string memo = NormaliseLineEnds(read);
    Check(OnlyCrLfLineEnds(memo));
    Check(NormaliseLineEnds(memo) == memo);
    Check(WithoutLineEnds(memo) == WithoutLineEnds(read));
    const std::string_view shown = UpToFirstNul(memo);
    Check(shown.find('\0') == std::string_view::npos && memo.starts_with(shown));
    Check(Utf8ToWin1250(Win1250ToUtf8(shown)) == shown);

    const auto entries = SplitStringsTextForm(read);
    for (const auto& entry : entries)
        Check(entry.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    Check(SplitStringsTextForm(StringsTextForm(entries)) == entries);
    return 0;
}
