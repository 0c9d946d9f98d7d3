#pragma once

#include <cstdint>
#include <string>

#include "mail/IdLineWriter.h"
#include "mail/IdMessage.h"

namespace quillory {

// Writes a TIdMessage as mail text (RFC 5322 header block, empty line, body) through a line
// writer, as plain lines: the SMTP client's DATA writer dot-stuffs them on their way to the wire
// (RFC 5321 §4.5.2). The SMTP client calls TransmitMessage after the server has accepted DATA and
// sends the terminating "." itself.
class TIdMessageClient {
public:
    explicit TIdMessageClient(TIdLineWriter& connection) : connection_(connection) {}
    virtual ~TIdMessageClient() = default;

    // Writes the header block, an empty line and (unless `headersOnly`) the body. The message is
    // only read, except that composing updates its ContentType and empty text-part settings
    // are filled. Errors of the connection pass out unchanged.
    void TransmitMessage(TIdMessage& message, bool headersOnly = false);

    void WriteHeaderSection(TIdMessage& message);
    void WriteBodySection(TIdMessage& message);
    void WriteBodyLines(const TIdMessage& message);
    // The part's header, its lines and, when `closingEmptyLine`, one empty line.
    void WriteTextPart(TIdText& part, bool closingEmptyLine = true);

    // The size in bytes of what TransmitMessage writes for `message`, counted as RFC 1870 §3
    // counts a message (every CR LF, no dot-stuffing), without reading the attached files: each
    // counts by its size (its ExpectedSize when known) and its encoding's rules.
    static std::int64_t MessageSize(TIdMessage& message);

protected:
    TIdLineWriter& Connection() { return connection_; }

private:
    class TSizeCounter;

    // The body section between the work notifications of WriteBodySection.
    void WriteBody(TIdMessage& message);
    void WriteAttachment(TIdMessage& message, TIdAttachment& attachment, std::string_view boundary);
    // The file's bytes through `encoder`, read while they are written; raises EIdAttachmentError
    // for a file that is gone, unreadable, or not of its expected size.
    void WriteAttachmentFile(const TIdAttachment& attachment, TIdMessageEncoder& encoder);

    TIdLineWriter& connection_;
    TSizeCounter* counter_ = nullptr;  // set while MessageSize counts
};

}  // namespace quillory
