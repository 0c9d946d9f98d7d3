#include "mail/MailFilling.h"

#include <algorithm>
#include <filesystem>

#include "core/ProgramText.h"
#include "core/TextTrim.h"
#include "mail/IdCoder.h"
#include "mail/IdCoderQuotedPrintable.h"
#include "mail/IdEMailAddress.h"
#include "mail/IdMessage.h"

namespace quillory {
namespace {

// RFC 5322 §2.1.1: a line is at most 998 characters without its CR LF.
constexpr std::size_t kLongestPlainLine = 998;

bool NeedsQuotedPrintable(const std::vector<std::string>& lines) {
    return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.size() > kLongestPlainLine || std::any_of(line.begin(), line.end(), [](char ch) {
                   return static_cast<unsigned char>(ch) >= 0x80;
               });
    });
}

std::string TextContentType(std::string_view charset) {
    return "text/plain; charset=" + std::string(charset);
}

}  // namespace

void AddCopyRecipients(TIdEMailAddressList& list, std::string_view text) {
    // A field in the UTF-8 form is split as UTF-8, and each piece read in that form.
    const bool utf8 = IsUtf8Form(text);
    const std::string_view field = utf8 ? text.substr(kUtf8Mark.size()) : text;
    const std::string form = utf8 ? std::string(kUtf8Mark) : std::string();
    size_t start = 0;
    while (start <= field.size()) {
        const size_t end = std::min(field.find(';', start), field.size());
        const std::string_view piece = TrimBlanks(field.substr(start, end - start));
        if (!piece.empty()) list.Add().SetText(form + std::string(piece));
        start = end + 1;
    }
}

void SetPlainTextBody(TIdMessage& message, const std::vector<std::string>& lines, std::string_view charset) {
    message.MessageParts().Clear();
    message.ContentType = TextContentType(charset);
    message.CharSet.clear();
    message.ExtraHeaders().SetHeaderValue("MIME-Version", "1.0");
    TIdStrings& body = message.Body();
    body.clear();
    if (!NeedsQuotedPrintable(lines)) {
        message.ContentTransferEncoding = "7bit";
        body.assign(lines.begin(), lines.end());
        return;
    }
    message.ContentTransferEncoding = "quoted-printable";
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    const std::string encoded = EncodeTextWith<TIdEncoderQuotedPrintable>(text);
    // Every encoded line ends in CR LF; the last one ends the text.
    for (size_t start = 0; start < encoded.size();) {
        const size_t end = encoded.find("\r\n", start);
        if (end == std::string::npos) {
            body.push_back(encoded.substr(start));
            break;
        }
        body.push_back(encoded.substr(start, end - start));
        start = end + 2;
    }
}

void SetBody(TIdMessage& message, const std::vector<std::string>& lines,
             const std::vector<TMessageAttachment>& files, std::string_view charset) {
    SetPlainTextBody(message, lines, charset);
    if (files.empty()) return;
    // The message itself is the multipart container: the composer gives it its content type and
    // MIME-Version; the body moves into the first part.
    message.ContentType.clear();
    message.ContentTransferEncoding.clear();
    message.ExtraHeaders().SetHeaderValue("MIME-Version", "");
    message.Body().clear();
    TIdText& text = message.MessageParts().AddText(lines);
    text.SetContentType(TextContentType(charset));
    text.SetContentTransfer(NeedsQuotedPrintable(lines) ? "quoted-printable" : "7bit");
    for (const auto& file : files) {
        TIdAttachment& attachment = message.MessageParts().AddAttachment(file.path);
        // The name part after the last "/": a backslash is a letter of a name here.
        attachment.SetFileName(std::filesystem::path(file.path).filename().string());
        attachment.SetContentType(file.contentType);
        attachment.SetContentTransfer("base64");
        attachment.SetContentDisposition("attachment");
        attachment.SetExpectedSize(file.size);
    }
}

}  // namespace quillory
