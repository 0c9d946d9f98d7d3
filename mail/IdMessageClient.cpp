#include "mail/IdMessageClient.h"

#include <filesystem>

#include "core/FirstError.h"
#include "mail/IdCoderQuotedPrintable.h"
#include "mail/IdException.h"
#include "mail/IdMimeParameter.h"
#include "mail/IdStream.h"

namespace quillory {

// Counts the bytes written instead of writing them.
class TIdMessageClient::TSizeCounter : public TIdLineWriter {
public:
    void WriteText(const std::string& text) override { size += static_cast<std::int64_t>(text.size()); }
    void WriteLine(const std::string& line) override { size += static_cast<std::int64_t>(line.size()) + 2; }
    std::int64_t size = 0;
};

namespace {

constexpr const char* kPreamble = "This is a multi-part message in MIME format";
using TMode = TIdLineWriter::TWorkMode;

std::string Delimiter(std::string_view boundary) { return "--" + std::string(boundary); }
std::string ClosingDelimiter(std::string_view boundary) { return "--" + std::string(boundary) + "--"; }

constexpr const char* kIndent = "        ";
// RFC 5322 §2.1.1: lines should not be longer than 78 characters.
constexpr std::size_t kPreferredLineLength = 78;

using TParameter = std::vector<std::string>;  // the lines of one parameter

// "Field: value;" and then each parameter on lines of its own, the parameters separated by ";".
std::vector<std::string> FieldWithParameters(const std::string& field, const std::string& value,
                                             const std::vector<TParameter>& parameters) {
    std::vector<std::string> lines = {field + ": " + value + ";"};
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        lines.insert(lines.end(), parameters[i].begin(), parameters[i].end());
        if (i + 1 < parameters.size()) lines.back() += ";";
    }
    return lines;
}

// The file name of an attachment as name= of the content type. A name that cannot stand between
// quotes as it is goes as RFC 2047 encoded words, which older readers decode there: one word per
// line, folded inside the quotes (RFC 5322 §3.2.4).
TParameter NameParameter(const TIdAttachment& attachment) {
    const std::string& name = attachment.FileName();
    if (IsPlainQuotable(name)) return {kIndent + std::string("name=\"") + name + "\""};
    TParameter lines;
    // Room for the words: the line's 78 characters less the indent, name=", and the closing ";.
    const std::size_t room = kPreferredLineLength - std::string_view(kIndent).size() - 6 - 2;
    for (const auto& word : EncodedWordsB(name, attachment.FileNameCharSet(), room))
        lines.push_back(kIndent + (lines.empty() ? "name=\"" + word : word));
    if (lines.empty()) lines.push_back(kIndent + std::string("name=\""));
    lines.back() += "\"";
    return lines;
}

// The file name as filename= of the disposition: quoted as it is when it can stand so on a line of
// preferred length, else in the RFC 2231 form that today's readers decode (filename*=), in numbered
// sections when long.
std::vector<TParameter> FileNameParameters(const TIdAttachment& attachment) {
    const std::string& name = attachment.FileName();
    const std::string plain = kIndent + std::string("filename=\"") + name + "\"";
    if (IsPlainQuotable(name) && plain.size() <= kPreferredLineLength) return {{plain}};
    std::vector<TParameter> sections;
    // Each section on a line of its own after the indent, with a ";" after all but the last.
    const std::size_t width = kPreferredLineLength - std::string_view(kIndent).size() - 1;
    for (const auto& section : ExtendedParameter("filename", name, attachment.FileNameCharSet(), width))
        sections.push_back({kIndent + section});
    return sections;
}

std::int64_t AttachmentSize(const TIdAttachment& attachment) {
    if (attachment.ExpectedSize() >= 0) return attachment.ExpectedSize();
    std::error_code error;
    const auto size = std::filesystem::file_size(attachment.StoredPathName(), error);
    return error ? 0 : static_cast<std::int64_t>(size);
}

}  // namespace

void TIdMessageClient::TransmitMessage(TIdMessage& message, bool headersOnly) {
    if (message.NoEncode) {
        connection_.WriteLines(message.RawHeaders().Lines());
        connection_.WriteLine("");
        if (!headersOnly) connection_.WriteLines(message.Body());
        return;
    }
    WriteHeaderSection(message);
    connection_.WriteLine("");
    if (!headersOnly) WriteBodySection(message);
}

void TIdMessageClient::WriteHeaderSection(TIdMessage& message) {
    connection_.WriteLines(message.ComposeHeaders().Lines());
}

void TIdMessageClient::WriteBodyLines(const TIdMessage& message) { connection_.WriteLines(message.Body()); }

void TIdMessageClient::WriteBodySection(TIdMessage& message) {
    // The write span ends also when writing fails; an error of its end comes after the writing's.
    connection_.StartWork(TMode::wmWrite, 0);
    RunThenCleanUp([&] { WriteBody(message); }, [this] { connection_.FinishWork(TMode::wmWrite); });
}

void TIdMessageClient::WriteBody(TIdMessage& message) {
    const THeaderCharset charset = ChooseHeaderCharset();
    TIdMessageParts& parts = message.MessageParts();
    const auto counts = parts.Counts();
    const bool mime = message.Encoding() == TIdMessageEncoding::meMIME;
    using Info = TIdMessageEncoderInfoMIME;

    if (counts.attachments == 0 && counts.textParts < 2) {
        connection_.NotifyStatus("Encoding text");
        if (charset.transfer == TTransfer::iso2022jp)
            for (const auto& line : message.Body()) connection_.WriteLine(ToIso2022Jp(line));
        else WriteBodyLines(message);
        return;
    }

    auto forEachText = [&parts](auto&& write) {
        for (std::size_t i = 0; i < parts.Count(); ++i)
            if (auto* text = dynamic_cast<TIdText*>(&parts.Items(i))) write(*text);
    };

    if (counts.attachments == 0) {
        connection_.WriteLine(kPreamble);
        connection_.WriteLine("");
        forEachText([this](TIdText& text) {
            connection_.WriteLine(Delimiter(Info::MixedBoundary));
            connection_.NotifyStatus("Encoding text");
            WriteTextPart(text);
        });
        connection_.WriteLine(ClosingDelimiter(Info::MixedBoundary));
        return;
    }

    const std::string_view boundary = counts.relatedParts > 0 ? Info::RelatedBoundary : Info::MixedBoundary;
    if (mime) {
        connection_.WriteLine(kPreamble);
        connection_.WriteLine("");
        connection_.WriteLine(Delimiter(boundary));
    } else {
        WriteBodyLines(message);
        connection_.WriteLine("");
    }
    if (counts.textParts >= 2) {
        connection_.WriteLine("Content-Type: multipart/alternative; ");
        connection_.WriteLine("        boundary=\"" + std::string(Info::AlternativeBoundary) + "\"");
        connection_.WriteLine("");
        forEachText([this](TIdText& text) {
            connection_.WriteLine(Delimiter(Info::AlternativeBoundary));
            connection_.NotifyStatus("Encoding text");
            WriteTextPart(text);
            connection_.WriteLine("");
        });
        connection_.WriteLine(ClosingDelimiter(Info::AlternativeBoundary));
    } else if (mime && counts.textParts == 1) {
        // The one text part is the body: its own content type and encoding say how to read it.
        forEachText([this](TIdText& text) {
            connection_.NotifyStatus("Encoding text");
            WriteTextPart(text, false);
        });
    } else if (mime) {
        connection_.WriteLine("Content-Type: text/plain");
        connection_.WriteLine("Content-Transfer-Encoding: 7bit");
        connection_.WriteLine("");
        WriteBodyLines(message);
    }
    for (std::size_t i = 0; i < parts.Count(); ++i)
        if (auto* attachment = dynamic_cast<TIdAttachment*>(&parts.Items(i)))
            WriteAttachment(message, *attachment, boundary);
    if (mime) connection_.WriteLine(ClosingDelimiter(boundary));
}

void TIdMessageClient::WriteAttachment(TIdMessage& message, TIdAttachment& attachment,
                                       std::string_view boundary) {
    connection_.NotifyStatus("Encoding attachment");
    if (message.Encoding() == TIdMessageEncoding::meMIME) {
        if (attachment.ContentTransfer().empty()) attachment.SetContentTransfer("base64");
        if (attachment.ContentDisposition().empty()) attachment.SetContentDisposition("attachment");
        if (attachment.ContentTransfer() == "base64" && attachment.ContentType().empty())
            attachment.SetContentType("application/octet-stream");
        connection_.WriteLine("");
        connection_.WriteLine(Delimiter(boundary));
        connection_.WriteLines(
            FieldWithParameters("Content-Type", attachment.ContentType(), {NameParameter(attachment)}));
        connection_.WriteLine("Content-Transfer-Encoding: " + attachment.ContentTransfer());
        connection_.WriteLines(FieldWithParameters("Content-Disposition", attachment.ContentDisposition(),
                                                   FileNameParameters(attachment)));
        connection_.WriteLines(attachment.ExtraHeaders().Lines());
        connection_.WriteLine("");
    }
    auto encoder = message.MessageParts().MessageEncoderInfo().CreateEncoder();
    encoder->SetFilename(attachment.FileName());
    if (counter_ != nullptr) counter_->size += encoder->EncodedSize(AttachmentSize(attachment));
    else WriteAttachmentFile(attachment, *encoder);
    connection_.WriteLine("");
}

void TIdMessageClient::WriteAttachmentFile(const TIdAttachment& attachment, TIdMessageEncoder& encoder) {
    using TKind = EIdAttachmentError::TKind;
    const std::string& path = attachment.StoredPathName();
    const std::int64_t expected = attachment.ExpectedSize();
    std::unique_ptr<TIdFileReadStream> source;
    try {
        source = std::make_unique<TIdFileReadStream>(path);
    } catch (const EIdException&) {
        std::error_code error;
        const bool exists = std::filesystem::exists(path, error) || error;
        throw EIdAttachmentError(exists ? TKind::Unreadable : TKind::Vanished, attachment.FileName());
    }
    const std::int64_t size = source->Seek(0) + source->Remaining();
    if (expected >= 0 && size != expected)
        throw EIdAttachmentError(TKind::SizeChanged, attachment.FileName(), expected, size);
    TIdTCPStream destination(connection_);
    encoder.Encode(*source, destination);
    // The encoder reads to the end: a file that shrank or grew while it was read shows here.
    const std::int64_t read = source->Position();
    if (read < 0) throw EIdAttachmentError(TKind::Unreadable, attachment.FileName());
    if (expected >= 0 && read != expected)
        throw EIdAttachmentError(TKind::SizeChanged, attachment.FileName(), expected, read);
}

std::int64_t TIdMessageClient::MessageSize(TIdMessage& message) {
    TSizeCounter counter;
    TIdMessageClient client(counter);
    client.counter_ = &counter;
    client.TransmitMessage(message, false);
    return counter.size;
}

void TIdMessageClient::WriteTextPart(TIdText& part, bool closingEmptyLine) {
    if (part.ContentType().empty()) part.SetContentType("text/plain");
    if (part.ContentTransfer().empty()) part.SetContentTransfer("quoted-printable");
    connection_.WriteLine("Content-Type: " + part.ContentType());
    connection_.WriteLine("Content-Transfer-Encoding: " + part.ContentTransfer());
    connection_.WriteLines(part.ExtraHeaders().Lines());
    connection_.WriteLine("");
    if (SameText(part.ContentTransfer(), "quoted-printable")) {
        // Each source line encodes to one or more lines ending in CR LF (soft line breaks).
        for (const auto& line : part.Body())
            connection_.WriteText(EncodeTextWith<TIdEncoderQuotedPrintable>(line + "\r\n"));
    } else {
        connection_.WriteLines(part.Body());
    }
    if (closingEmptyLine) connection_.WriteLine("");
}

}  // namespace quillory
