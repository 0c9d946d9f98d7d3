#include "mail/MessageId.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace quillory {

namespace {

// RFC 5322 §3.6.4: the right part is a dot-atom; a domain of letters, digits, hyphens and dots is one.
bool IsDotAtomDomain(const std::string& domain) {
    if (domain.empty() || domain.front() == '.' || domain.back() == '.') return false;
    for (const char c : domain) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '-' || c == '.';
        if (!ok) return false;
    }
    return domain.find("..") == std::string::npos;
}

}  // namespace

std::string NewMessageId(const std::string& senderAddress) {
    const std::size_t at = senderAddress.rfind('@');
    std::string domain = at == std::string::npos ? std::string() : senderAddress.substr(at + 1);
    if (!IsDotAtomDomain(domain)) domain = "localhost";

    std::random_device random;
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    char left[64];
    std::snprintf(left, sizeof left, "%llx.%08x%08x%08x%08x", static_cast<unsigned long long>(now), random(),
                  random(), random(), random());
    return "<" + std::string(left) + "@" + domain + ">";
}

}  // namespace quillory
