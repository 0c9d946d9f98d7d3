#include "app/Win1250Text.h"

#include "core/ProgramText.h"
#include "core/Win1250.h"

namespace quillory {

QString FromWin1250(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(static_cast<char16_t>(Win1250ToUnicode(static_cast<unsigned char>(byte))));
    return text;
}

std::string ToWin1250(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (const QChar ch : text) {
        // A surrogate half belongs to a character outside the code page anyway; each half gives "?".
        const int byte = ch.isSurrogate() ? -1 : UnicodeToWin1250(ch.unicode());
        bytes += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return bytes;
}

QString FromProgramText(std::string_view text) {
    if (!IsUtf8Form(text)) return FromWin1250(text);
    const std::string_view utf8 = text.substr(kUtf8Mark.size());
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToProgramText(const QString& text) { return ProgramTextFromUtf8(text.toStdString()); }

}  // namespace quillory
