#pragma once

#include <stdexcept>
#include <string>

namespace quillory {

// The base of every error of the program: one message text, shown to the user
// as it is (the window's error handler adds the closing full stop).
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// The silent abort: ends an operation without any message.
class EAbort : public Exception {
public:
    EAbort() : Exception("") {}
};

}  // namespace quillory
