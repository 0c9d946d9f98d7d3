#pragma once

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

// The operating system could not tell the local offset from UTC.
class EIdFailedToRetreiveTimeZoneInfo : public EIdException {
public:
    EIdFailedToRetreiveTimeZoneInfo()
        : EIdException("Failed attempting to retrieve time zone information.") {}
};

}  // namespace quillory
