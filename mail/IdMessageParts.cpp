#include "mail/IdMessageParts.h"

#include "mail/IdException.h"

namespace quillory {

TIdMessagePart::TIdMessagePart() { throw EIdCanNotCreateMessagePart(); }

std::unique_ptr<TIdMessagePart> TIdMessagePart::Clone() const { throw EIdCanNotCreateMessagePart(); }

TIdAttachment::TIdAttachment(const std::string& storedPath)
    : TIdMessagePart(TDescendant{}), storedPath_(storedPath) {
    const std::size_t slash = storedPath.find_last_of("/\\");
    fileName_ = slash == std::string::npos ? storedPath : storedPath.substr(slash + 1);
}

TIdMessageParts::TIdMessageParts() : attachmentEncoding_("MIME"), encoderInfo_(&FindMessageEncoder("MIME")) {}

TIdMessageParts::TIdMessageParts(const TIdMessageParts& other)
    : attachmentEncoding_(other.attachmentEncoding_),
      encoderInfo_(other.encoderInfo_),
      counts_(other.counts_) {
    for (const auto& part : other.items_) items_.push_back(part->Clone());
}

TIdMessageParts& TIdMessageParts::operator=(const TIdMessageParts& other) {
    if (this != &other) {
        TIdMessageParts copy(other);
        std::swap(items_, copy.items_);
        attachmentEncoding_ = copy.attachmentEncoding_;
        encoderInfo_ = copy.encoderInfo_;
        counts_ = copy.counts_;
    }
    return *this;
}

TIdText& TIdMessageParts::AddText(const TIdStrings& body) {
    auto part = std::make_unique<TIdText>(body);
    TIdText& result = *part;
    items_.push_back(std::move(part));
    return result;
}

TIdAttachment& TIdMessageParts::AddAttachment(const std::string& storedPath) {
    auto part = std::make_unique<TIdAttachment>(storedPath);
    TIdAttachment& result = *part;
    items_.push_back(std::move(part));
    return result;
}

void TIdMessageParts::Delete(std::size_t index) {
    if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TIdMessageParts::SetAttachmentEncoding(const std::string& name) {
    const TIdMessageEncoderInfo& info = FindMessageEncoder(name);
    encoderInfo_ = &info;
    attachmentEncoding_ = name;
}

void TIdMessageParts::CountParts() {
    counts_ = {};
    for (const auto& part : items_) {
        if (dynamic_cast<const TIdText*>(part.get()) != nullptr) {
            ++counts_.textParts;
        } else if (dynamic_cast<const TIdAttachment*>(part.get()) != nullptr) {
            ++counts_.attachments;
            if (!part->ExtraHeaders().GetHeaderValue("Content-ID").empty()) ++counts_.relatedParts;
        }
    }
}

}  // namespace quillory
