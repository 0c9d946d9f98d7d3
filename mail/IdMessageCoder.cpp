#include "mail/IdMessageCoder.h"

#include <algorithm>
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
    // One block of source bytes and its lines at a time: 7296 bytes in, 9984 out.
    constexpr std::size_t kLinesPerBlock = 128;
    const TIdEncoderMIME encoder;
    std::string bytes(kMIMELineBytes * kLinesPerBlock, '\0');
    std::string lines;
    lines.reserve(kLinesPerBlock * (kMIMELineBytes / 3 * 4 + 2));
    source.Seek(0);
    for (;;) {
        // A short read in the middle of the source would put fill characters mid-stream: only the
        // source's end may leave a block part-filled.
        std::size_t n = 0;
        while (n < bytes.size()) {
            const std::size_t got = source.Read(bytes.data() + n, bytes.size() - n);
            if (got == 0) break;
            n += got;
        }
        if (n == 0) return;
        lines.clear();
        for (std::size_t at = 0; at < n; at += kMIMELineBytes) {
            const std::size_t take = std::min(kMIMELineBytes, n - at);
            const std::size_t end = lines.size();
            lines.resize(end + (take + 2) / 3 * 4);
            encoder.EncodeBlock(reinterpret_cast<const unsigned char*>(bytes.data()) + at, take,
                                lines.data() + end);
            lines += "\r\n";
        }
        destination.Write(lines);
        if (n < bytes.size()) return;
    }
}

std::int64_t TIdMessageEncoderMIME::EncodedSize(std::int64_t sourceSize) const {
    const auto lineBytes = static_cast<std::int64_t>(kMIMELineBytes);
    const std::int64_t lines = (sourceSize + lineBytes - 1) / lineBytes;
    // Only the last line can hold a group of fewer than three bytes.
    return (sourceSize + 2) / 3 * 4 + 2 * lines;
}

void TIdMessageEncoderUUE::Encode(TIdStream& source, TIdStream& destination) {
    TIdEncoderUUE encoder;
    WriteUUEncoded(encoder, *this, source, destination);
}

std::int64_t TIdMessageEncoderUUE::EncodedSize(std::int64_t sourceSize) const {
    const auto lineBytes = static_cast<std::int64_t>(kUULineBytes);
    const std::int64_t fullLines = sourceSize / lineBytes;
    const std::int64_t rest = sourceSize % lineBytes;
    const std::int64_t begin = static_cast<std::int64_t>(
        ("begin " + std::to_string(PermissionCode()) + " " + Filename() + "\r\n").size());
    // Each line: the length character, the groups and CR LF; then the fill line and "end".
    const std::int64_t body =
        fullLines * (1 + lineBytes / 3 * 4 + 2) + (rest > 0 ? 1 + (rest + 2) / 3 * 4 + 2 : 0);
    return begin + body + 3 + 5;
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
