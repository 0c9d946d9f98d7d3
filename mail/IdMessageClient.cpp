#include "mail/IdMessageClient.h"

#include "core/FirstError.h"
#include "mail/IdCoderQuotedPrintable.h"
#include "mail/IdStream.h"

namespace quillory {

namespace {

constexpr const char* kPreamble = "This is a multi-part message in MIME format";
using TMode = TIdLineWriter::TWorkMode;

std::string Delimiter(std::string_view boundary) { return "--" + std::string(boundary); }
std::string ClosingDelimiter(std::string_view boundary) { return "--" + std::string(boundary) + "--"; }

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
    const std::string& fileName = attachment.FileName();
    if (message.Encoding() == TIdMessageEncoding::meMIME) {
        if (attachment.ContentTransfer().empty()) attachment.SetContentTransfer("base64");
        if (attachment.ContentDisposition().empty()) attachment.SetContentDisposition("attachment");
        if (attachment.ContentTransfer() == "base64" && attachment.ContentType().empty())
            attachment.SetContentType("application/octet-stream");
        connection_.WriteLine("");
        connection_.WriteLine(Delimiter(boundary));
        connection_.WriteLine("Content-Type: " + attachment.ContentType() + ";");
        connection_.WriteLine("        name=\"" + fileName + "\"");
        connection_.WriteLine("Content-Transfer-Encoding: " + attachment.ContentTransfer());
        connection_.WriteLine("Content-Disposition: " + attachment.ContentDisposition() + ";");
        connection_.WriteLine("        filename=\"" + fileName + "\"");
        connection_.WriteLines(attachment.ExtraHeaders().Lines());
        connection_.WriteLine("");
    }
    auto encoder = message.MessageParts().MessageEncoderInfo().CreateEncoder();
    encoder->SetFilename(fileName);
    TIdFileReadStream source(attachment.StoredPathName());
    TIdTCPStream destination(connection_);
    encoder->Encode(source, destination);
    connection_.WriteLine("");
}

void TIdMessageClient::WriteTextPart(TIdText& part) {
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
    connection_.WriteLine("");
}

}  // namespace quillory
