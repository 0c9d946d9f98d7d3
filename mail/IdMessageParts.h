#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mail/IdGlobal.h"
#include "mail/IdHeaderList.h"
#include "mail/IdMessageCoder.h"

namespace quillory {

// One part of a multi-part message. Only its descendants TIdText and TIdAttachment can be
// created; constructing the part itself raises EIdCanNotCreateMessagePart.
class TIdMessagePart {
public:
    TIdMessagePart();
    virtual ~TIdMessagePart() = default;

    std::string ContentType() const { return headers_.GetHeaderValue("Content-Type"); }
    void SetContentType(const std::string& value) { headers_.SetHeaderValue("Content-Type", value); }
    std::string ContentTransfer() const { return headers_.GetHeaderValue("Content-Transfer-Encoding"); }
    void SetContentTransfer(const std::string& value) {
        headers_.SetHeaderValue("Content-Transfer-Encoding", value);
    }
    TIdHeaderList& Headers() { return headers_; }
    const TIdHeaderList& Headers() const { return headers_; }
    TIdHeaderList& ExtraHeaders() { return extraHeaders_; }
    const TIdHeaderList& ExtraHeaders() const { return extraHeaders_; }

    // A copy of the same class; the descendants define it.
    virtual std::unique_ptr<TIdMessagePart> Clone() const;

protected:
    struct TDescendant {};
    explicit TIdMessagePart(TDescendant) {}

private:
    TIdHeaderList headers_;
    TIdHeaderList extraHeaders_;
};

// A text part: its own body lines.
class TIdText : public TIdMessagePart {
public:
    explicit TIdText(const TIdStrings& body = {}) : TIdMessagePart(TDescendant{}), body_(body) {}
    TIdStrings& Body() { return body_; }
    const TIdStrings& Body() const { return body_; }
    std::unique_ptr<TIdMessagePart> Clone() const override { return std::make_unique<TIdText>(*this); }

private:
    TIdStrings body_;
};

// A file attached to the message. The writer reads it while it writes the message, never whole.
class TIdAttachment : public TIdMessagePart {
public:
    explicit TIdAttachment(const std::string& storedPath = "");
    const std::string& StoredPathName() const { return storedPath_; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }
    // The charset of the file name's bytes, named where the name is written encoded (RFC 2231,
    // RFC 2047); file names on this system are UTF-8.
    const std::string& FileNameCharSet() const { return fileNameCharSet_; }
    void SetFileNameCharSet(const std::string& charSet) { fileNameCharSet_ = charSet; }
    // The file's size when it was attached, or -1 when not known. When known, the writer refuses
    // a file of another size (EIdAttachmentError), and the message size is counted from it.
    std::int64_t ExpectedSize() const { return expectedSize_; }
    void SetExpectedSize(std::int64_t size) { expectedSize_ = size; }
    std::string ContentDisposition() const { return Headers().GetHeaderValue("Content-Disposition"); }
    void SetContentDisposition(const std::string& value) {
        Headers().SetHeaderValue("Content-Disposition", value);
    }
    bool FileIsTempFile() const { return fileIsTempFile_; }
    std::unique_ptr<TIdMessagePart> Clone() const override { return std::make_unique<TIdAttachment>(*this); }

private:
    std::string storedPath_;
    std::string fileName_;
    std::string fileNameCharSet_ = "UTF-8";
    std::int64_t expectedSize_ = -1;
    bool fileIsTempFile_ = false;
};

// The parts of a message in order, with the attachment encoder and the counts of the last
// CountParts.
class TIdMessageParts {
public:
    TIdMessageParts();
    TIdMessageParts(const TIdMessageParts& other);
    TIdMessageParts& operator=(const TIdMessageParts& other);

    std::size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    TIdMessagePart& Items(std::size_t index) { return *items_.at(index); }
    const TIdMessagePart& Items(std::size_t index) const { return *items_.at(index); }
    TIdText& AddText(const TIdStrings& body = {});
    TIdAttachment& AddAttachment(const std::string& storedPath);
    void Delete(std::size_t index);
    void Clear() { items_.clear(); }

    // The name of the registered message encoder for attachments; setting an unknown name
    // raises EIdException and keeps the previous encoder.
    const std::string& AttachmentEncoding() const { return attachmentEncoding_; }
    void SetAttachmentEncoding(const std::string& name);
    const TIdMessageEncoderInfo& MessageEncoderInfo() const { return *encoderInfo_; }

    // Recounts text parts, attachments and attachments with a non-empty "Content-ID".
    void CountParts();
    const TIdMessageEncoderInfo::TPartCounts& Counts() const { return counts_; }

private:
    std::vector<std::unique_ptr<TIdMessagePart>> items_;
    std::string attachmentEncoding_;
    const TIdMessageEncoderInfo* encoderInfo_;
    TIdMessageEncoderInfo::TPartCounts counts_;
};

}  // namespace quillory
