#pragma once

#include <cstdint>
#include <string>

#include "core/Exception.h"

namespace quillory {

// The base of the errors of the mail and socket layers; net/ derives its socket and protocol
// errors from it.
class EIdException : public Exception {
public:
    explicit EIdException(const std::string& message) : Exception(message) {}
};

// An address text that cannot be read into a name and an address.
class EIdEmailParseError : public EIdException {
public:
    using EIdException::EIdException;
};

// A message that cannot be written with the chosen encoding.
class EIdMessageException : public EIdException {
public:
    using EIdException::EIdException;
};

// An attempt to create the abstract message part itself instead of a text or an attachment.
class EIdCanNotCreateMessagePart : public EIdMessageException {
public:
    EIdCanNotCreateMessagePart()
        : EIdMessageException("TIdMessagePart can not be created.  Use descendant classes. ") {}
};

// An attached file that cannot go out as it was attached: gone, unreadable, or of another size
// than when it was attached (also when it changes while the message is being written).
class EIdAttachmentError : public EIdMessageException {
public:
    enum class TKind { Vanished, Unreadable, SizeChanged };

    EIdAttachmentError(TKind kind, const std::string& fileName, std::int64_t expectedSize = -1,
                       std::int64_t foundSize = -1)
        : EIdMessageException(Describe(kind, fileName, expectedSize, foundSize)),
          kind_(kind),
          fileName_(fileName),
          expectedSize_(expectedSize),
          foundSize_(foundSize) {}

    TKind Kind() const { return kind_; }
    const std::string& FileName() const { return fileName_; }
    std::int64_t ExpectedSize() const { return expectedSize_; }
    std::int64_t FoundSize() const { return foundSize_; }

private:
    static std::string Describe(TKind kind, const std::string& fileName, std::int64_t expected,
                                std::int64_t found) {
        const std::string file = "The attached file \"" + fileName + "\"";
        switch (kind) {
        case TKind::Vanished:
            return file + " no longer exists";
        case TKind::Unreadable:
            return file + " cannot be read";
        case TKind::SizeChanged:
            break;
        }
        return file + " changed size: " + std::to_string(expected) + " bytes when attached, " +
               std::to_string(found) + " bytes when sent";
    }

    TKind kind_;
    std::string fileName_;
    std::int64_t expectedSize_;
    std::int64_t foundSize_;
};

// The operating system could not tell the local offset from UTC.
class EIdFailedToRetreiveTimeZoneInfo : public EIdException {
public:
    EIdFailedToRetreiveTimeZoneInfo()
        : EIdException("Failed attempting to retrieve time zone information.") {}
};

}  // namespace quillory
