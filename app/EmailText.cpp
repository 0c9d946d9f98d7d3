#include "app/EmailText.h"

#include "app/AppInfo.h"
#include "core/ProgramText.h"

namespace quillory {

std::string_view DashLine() {
    static const std::string line(89, '-');
    return line;
}

void TEmailText::AddLine(std::string_view text) {
    if (utf8_) AddConvertedLine(ProgramTextToUtf8(text));
    else AddConvertedLine(text);
}

void TEmailText::AddConvertedLine(std::string_view text) {
    text_ += text;
    text_ += "\r\n";
}

std::string TEmailText::Take() {
    if (utf8_) text_.insert(0, kUtf8Mark);
    return std::move(text_);
}

void TEmailText::AddFooter(std::uint8_t kind) {
    AddLine(DashLine());
    if (kind == 0) AddLine(kMiddleFooterText);
    if (kind == 1) AddLine(std::string(kClosingFooterPrefix) + kFooterSiteAddress);
    AddLine(DashLine());
}

void TEmailText::AddSignature(std::string_view signature) {
    // Every ";" ends a line; the text's end ends the last one, so a trailing ";" gives an empty line.
    const std::string converted = ProgramTextIn(signature, utf8_);
    const std::string_view lines = converted;
    size_t start = 0;
    for (size_t end; (end = lines.find(';', start)) != std::string_view::npos; start = end + 1)
        AddConvertedLine(lines.substr(start, end - start));
    AddConvertedLine(lines.substr(start));
}

std::string GenerateEmailText(const TEmailPieces& pieces) {
    bool utf8 = (pieces.salutationTicked && IsUtf8Form(pieces.salutation)) ||
                (pieces.farewellTicked && IsUtf8Form(pieces.farewell)) ||
                (pieces.signatureTicked && IsUtf8Form(pieces.signature));
    for (int n = 0; n < 8; ++n) utf8 = utf8 || (pieces.blockTicked[n] && IsUtf8Form(pieces.blocks[n]));
    TEmailText email(utf8);
    size_t size = 1024 + pieces.salutation.size() + pieces.farewell.size() + pieces.signature.size();
    for (const auto& block : pieces.blocks) size += block.size() + 2;
    email.Reserve(size);

    if (pieces.salutationTicked) email.AddLine(pieces.salutation);
    email.AddLine("");
    for (int n = 0; n < 4; ++n)
        if (pieces.blockTicked[n]) email.AddLine(pieces.blocks[n]);
    email.AddFooter(0);
    for (int n = 4; n < 8; ++n)
        if (pieces.blockTicked[n]) email.AddLine(pieces.blocks[n]);
    email.AddLine("");
    if (pieces.farewellTicked) email.AddLine(pieces.farewell);
    email.AddLine("");
    if (pieces.signatureTicked) email.AddSignature(pieces.signature);
    email.AddFooter(1);
    return email.Take();
}

}  // namespace quillory
