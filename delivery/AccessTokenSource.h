#pragma once

#include <functional>
#include <string>

namespace quillory {

// The access token of an account signed in with an OAuth 2.0 provider, for a thread that sends or
// stores mail: the current one, or with `renew` a new one after a server refused it. Raises the
// sign-in's error when there is none (the user must sign in again, the sign-in server cannot be
// reached) and EIdOperationCancelled once `cancelled` says so. Empty for an account that logs in
// with its password.
using TAccessTokenSource = std::function<std::string(bool renew, const std::function<bool()>& cancelled)>;

}  // namespace quillory
