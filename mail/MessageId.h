#pragma once

#include <string>

namespace quillory {

// A new Message-ID for a message from `senderAddress` (RFC 5322 §3.6.4): "<" a unique left part
// "@" the sender's domain ">". The left part is the time of day and 128 random bits, so two
// messages never share one; the domain is the sender's ("localhost" when the address has none), so
// the id says where the message came from as a receiving server expects.
std::string NewMessageId(const std::string& senderAddress);

}  // namespace quillory
