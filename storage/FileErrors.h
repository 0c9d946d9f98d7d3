#pragma once

#include "core/Exception.h"

namespace quillory {

// A file to read is missing, not accessible or locked against reading.
class EFOpenError : public Exception {
    using Exception::Exception;
};

// A file cannot be created or truncated.
class EFCreateError : public Exception {
    using Exception::Exception;
};

// A write came back short (for example a full disk).
class EWriteError : public Exception {
public:
    EWriteError() : Exception("Stream write error") {}
};

// An edit control refused a loaded text.
class EInvalidOperation : public Exception {
    using Exception::Exception;
};

}  // namespace quillory
