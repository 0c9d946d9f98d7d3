#include "mail/IdMessageCoder.h"

#include <array>

#include "mail/IdCoder3to4.h"
#include "mail/IdException.h"
#include "mail/IdGlobal.h"

namespace quillory {

namespace {

// RFC 2045 §6.8: 57 source bytes make one 76-character base64 line.
constexpr std::size_t kMIMELineBytes = 57;
// The classic uuencode line of 45 source bytes.
constexpr std::size_t kUULineBytes = 45;

void WriteUUEncoded(TIdEncoderUUEBase& encoder, const TIdMessageEncoder& settings, TIdStream& source,
                    TIdStream& destination) {
    source.Seek(0);
    destination.Write("begin " + std::to_string(settings.PermissionCode()) + " " + settings.Filename() +
                      "\r\n");
    while (source.Remaining() != 0) {
        const std::string line = encoder.EncodeRange(source, kUULineBytes);
        if (line.size() <= 1) break;
        destination.Write(line + "\r\n");
    }
    destination.Write(std::string(1, encoder.FillChar()) + "\r\nend\r\n");
}

}  // namespace

void TIdMessageEncoderMIME::Encode(TIdStream& source, TIdStream& destination) {
    TIdEncoderMIME encoder;
    source.Seek(0);
    while (source.Remaining() != 0) {
        const std::string line = encoder.EncodeRange(source, kMIMELineBytes);
        if (line.empty()) break;
        destination.Write(line + "\r\n");
    }
}

void TIdMessageEncoderUUE::Encode(TIdStream& source, TIdStream& destination) {
    TIdEncoderUUE encoder;
    WriteUUEncoded(encoder, *this, source, destination);
}

void TIdMessageEncoderXXE::Encode(TIdStream& source, TIdStream& destination) {
    TIdEncoderXXE encoder;
    WriteUUEncoded(encoder, *this, source, destination);
}

void TIdMessageEncoderInfo::SetMultipartContentType(const TPartCounts&, std::string&) const {}

std::unique_ptr<TIdMessageEncoder> TIdMessageEncoderInfoMIME::CreateEncoder() const {
    return std::make_unique<TIdMessageEncoderMIME>();
}

void TIdMessageEncoderInfoMIME::SetMultipartContentType(const TPartCounts& counts,
                                                        std::string& contentType) const {
    if (counts.relatedParts > 0)
        contentType = "multipart/related; type=\"multipart/alternative\"; boundary=\"" +
                      std::string(RelatedBoundary) + "\"";
    else if (counts.attachments > 0)
        contentType = "multipart/mixed; boundary=\"" + std::string(MixedBoundary) + "\"";
    else if (counts.textParts > 0)
        contentType = "multipart/alternative; boundary=\"" + std::string(MixedBoundary) + "\"";
}

std::unique_ptr<TIdMessageEncoder> TIdMessageEncoderInfoUUE::CreateEncoder() const {
    return std::make_unique<TIdMessageEncoderUUE>();
}

std::unique_ptr<TIdMessageEncoder> TIdMessageEncoderInfoXXE::CreateEncoder() const {
    return std::make_unique<TIdMessageEncoderXXE>();
}

const TIdMessageEncoderInfo& FindMessageEncoder(const std::string& name) {
    static const TIdMessageEncoderInfoMIME mime;
    static const TIdMessageEncoderInfoUUE uue;
    static const TIdMessageEncoderInfoXXE xxe;
    static const std::array<const TIdMessageEncoderInfo*, 3> registry = {&mime, &uue, &xxe};
    for (const TIdMessageEncoderInfo* info : registry)
        if (SameText(info->Name(), name)) return *info;
    throw EIdException("Message encoder not found: " + name);
}

}  // namespace quillory
