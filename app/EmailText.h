#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillory {

// The texts of the e-mail's fixed frame.
inline constexpr std::string_view kMiddleFooterText =
    "Tento email byl vytvo\xF8"
    "en pomoc\xED programu Quillory";
inline constexpr std::string_view kClosingFooterPrefix =
    "Plnou verzi programu m\xF9\x9E"
    "ete z\xEDskat na adrese ";
std::string_view DashLine();  // 89 hyphen-minus characters

// What the preview is built from, read off the widgets at the moment of the rebuild (the program's
// 8-bit text, each piece in either form).
struct TEmailPieces {
    bool salutationTicked = false;
    std::string salutation;
    std::array<bool, 8> blockTicked{};
    std::array<std::string, 8> blocks;  // the memos' whole texts, lines joined by CR LF
    bool farewellTicked = false;
    std::string farewell;
    bool signatureTicked = false;
    std::string signature;
};

// Builds the preview's text line by line, as the memo's add-line operation does: each appended
// text is followed by CR LF. The text is Windows-1250 unless it is made `utf8`; each appended text
// (of either form) is converted to it, and Take gives the program's form.
class TEmailText {
public:
    explicit TEmailText(bool utf8 = false) : utf8_(utf8) {}
    void AddLine(std::string_view text);
    // kind 0: the middle footer, kind 1: the closing footer, each framed by dash lines.
    void AddFooter(std::uint8_t kind);
    // The signature split into lines at every ";", nothing trimmed.
    void AddSignature(std::string_view signature);

    std::string Take();
    void Reserve(size_t bytes) { text_.reserve(bytes); }

private:
    void AddConvertedLine(std::string_view text);

    bool utf8_;
    std::string text_;
};

// The whole preview: salutation, blocks 1-4, middle footer, blocks 5-8, farewell, signature,
// closing footer, in this order. Windows-1250 when every piece is, else the UTF-8 form.
std::string GenerateEmailText(const TEmailPieces& pieces);

}  // namespace quillory
