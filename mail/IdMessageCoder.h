#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "mail/IdStream.h"

namespace quillory {

// Writes a whole attachment from a source stream to a destination stream.
class TIdMessageEncoder {
public:
    virtual ~TIdMessageEncoder() = default;
    // Writes the whole source, from its start, to `destination`.
    virtual void Encode(TIdStream& source, TIdStream& destination) = 0;
    // The number of bytes Encode writes for a source of `sourceSize` bytes.
    virtual std::int64_t EncodedSize(std::int64_t sourceSize) const = 0;

    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& filename) { filename_ = filename; }
    int PermissionCode() const { return permissionCode_; }
    void SetPermissionCode(int code) { permissionCode_ = code; }

private:
    std::string filename_;
    int permissionCode_ = 660;
};

// Base64 lines of 76 characters (57 source bytes), each followed by CR LF. Reads the source
// until it ends, a block of lines at a time, so memory stays bounded whatever the source's size.
class TIdMessageEncoderMIME : public TIdMessageEncoder {
public:
    void Encode(TIdStream& source, TIdStream& destination) override;
    std::int64_t EncodedSize(std::int64_t sourceSize) const override;
};

// "begin <mode> <file>", lines of at most 45 source bytes, the fill line and "end".
class TIdMessageEncoderUUE : public TIdMessageEncoder {
public:
    void Encode(TIdStream& source, TIdStream& destination) override;
    std::int64_t EncodedSize(std::int64_t sourceSize) const override;
};

class TIdMessageEncoderXXE : public TIdMessageEncoderUUE {
public:
    void Encode(TIdStream& source, TIdStream& destination) override;
};

// What the message needs to know about an attachment encoding.
class TIdMessageEncoderInfo {
public:
    struct TPartCounts {
        int textParts = 0;
        int attachments = 0;
        int relatedParts = 0;
    };

    virtual ~TIdMessageEncoderInfo() = default;
    virtual std::string Name() const = 0;
    virtual std::unique_ptr<TIdMessageEncoder> CreateEncoder() const = 0;
    // Lets the encoding set the message's content type for its parts; the default keeps it.
    virtual void SetMultipartContentType(const TPartCounts& counts, std::string& contentType) const;
};

class TIdMessageEncoderInfoMIME : public TIdMessageEncoderInfo {
public:
    static constexpr std::string_view MixedBoundary = "=_NextPart_2rfkwrensadvnqw3nerasdf";
    static constexpr std::string_view RelatedBoundary = "=_NextPart_2relrfksadvnqwrenw3nerasdf";
    static constexpr std::string_view AlternativeBoundary = "=_NextPart_2altrfkwrensadvnqw3nerasdf";

    std::string Name() const override { return "MIME"; }
    std::unique_ptr<TIdMessageEncoder> CreateEncoder() const override;
    void SetMultipartContentType(const TPartCounts& counts, std::string& contentType) const override;
};

class TIdMessageEncoderInfoUUE : public TIdMessageEncoderInfo {
public:
    std::string Name() const override { return "UUE"; }
    std::unique_ptr<TIdMessageEncoder> CreateEncoder() const override;
};

class TIdMessageEncoderInfoXXE : public TIdMessageEncoderInfo {
public:
    std::string Name() const override { return "XXE"; }
    std::unique_ptr<TIdMessageEncoder> CreateEncoder() const override;
};

// The process-wide registry of message encoders ("MIME", "UUE", "XXE"), looked up without
// regard to case; raises EIdException "Message encoder not found: <name>" for another name.
const TIdMessageEncoderInfo& FindMessageEncoder(const std::string& name);

}  // namespace quillory
