#pragma once

#include <string>

#include "core/Exception.h"

namespace quillory {

// No access token can be had without the user: nobody is signed in, or the sign-in server refused
// the refresh token (invalid_grant: revoked, expired, the password changed, the administrator
// ended the session). The user must sign in again.
class ESignInRequired : public Exception {
public:
    explicit ESignInRequired(std::string description = {})
        : Exception("The Microsoft account must be signed in again" +
                    (description.empty() ? std::string() : " (" + description + ")")),
          description_(std::move(description)) {}
    // What the sign-in server said, when it refused; empty when nobody was signed in.
    const std::string& Description() const { return description_; }

private:
    std::string description_;
};

// The sign-in server answered the refresh with another error, or with nothing the program can use.
class ESignInServerError : public Exception {
public:
    ESignInServerError(std::string error, std::string description)
        : Exception("The Microsoft sign-in server refused to renew the sign-in: " + error +
                    (description.empty() ? std::string() : " (" + description + ")")),
          error_(std::move(error)),
          description_(std::move(description)) {}
    const std::string& Error() const { return error_; }
    const std::string& Description() const { return description_; }

private:
    std::string error_;
    std::string description_;
};

// The sign-in server could not be reached to renew the sign-in.
class ESignInServerUnreachable : public Exception {
public:
    explicit ESignInServerUnreachable(std::string networkError)
        : Exception("The Microsoft sign-in server cannot be reached: " + networkError),
          networkError_(std::move(networkError)) {}
    const std::string& NetworkError() const { return networkError_; }

private:
    std::string networkError_;
};

}  // namespace quillory
