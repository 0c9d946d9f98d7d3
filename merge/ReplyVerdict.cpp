#include "merge/ReplyVerdict.h"

#include <algorithm>
#include <array>
#include <optional>

namespace quillory {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

// An enhanced status code (RFC 3463) "class.subject.detail".
struct Status {
    int cls = 0;
    int subject = 0;
    int detail = 0;
};

// The enhanced status at the start of the text, if any.
std::optional<Status> ReadStatus(std::string_view text) {
    std::array<int, 3> parts{};
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '-')) ++pos;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t start = pos;
        while (pos < text.size() && pos - start < 3 && text[pos] >= '0' && text[pos] <= '9')
            parts[i] = parts[i] * 10 + (text[pos++] - '0');
        if (pos == start) return std::nullopt;
        if (i + 1 < parts.size()) {
            if (pos >= text.size() || text[pos] != '.') return std::nullopt;
            ++pos;
        }
    }
    if (pos < text.size() && text[pos] != ' ' && text[pos] != '\r' && text[pos] != '\n') return std::nullopt;
    if (parts[0] != 2 && parts[0] != 4 && parts[0] != 5) return std::nullopt;
    return Status{parts[0], parts[1], parts[2]};
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; });
    return lower;
}

bool IsLetter(char ch) { return (ch >= 'a' && ch <= 'z') || static_cast<unsigned char>(ch) >= 0x80; }

// Whether a word starts with one of `words` ("rate" in "rate-limited", not in "generated").
bool Mentions(const std::string& lower, std::initializer_list<std::string_view> words) {
    for (const std::string_view word : words)
        for (std::size_t at = lower.find(word); at != std::string::npos; at = lower.find(word, at + 1))
            if (at == 0 || !IsLetter(lower[at - 1])) return true;
    return false;
}

// The limit a refusal names; SendingLimit::None when it names none.
SendingLimit LimitOf(const std::optional<Status>& status, const std::string& lower) {
    // About the recipient's mailbox or the message's size: no limit of the sender's.
    if (status &&
        ((status->subject == 2 && status->detail >= 1 && status->detail <= 3) ||
         (status->subject == 3 && status->detail == 4) || (status->subject == 5 && status->detail == 3)))
        return SendingLimit::None;
    if (Mentions(lower, {"outboundspam", "account has been suspended", "sending has been blocked"}))
        return SendingLimit::AccountBlocked;
    const bool congestion = status && status->subject == 4 && status->detail == 5;
    const bool limited =
        congestion || Mentions(lower, {"rate", "limit", "quota", "too many", "throttl", "exceeded",
                                       "slow down", "unexpected volume", "submissionquota"});
    if (!limited) return SendingLimit::None;
    if (Mentions(lower, {"daily", "per day", "a day", "24 hour", "submissionquota"}))
        return SendingLimit::Daily;
    if (Mentions(lower, {"hourly", "per hour", "an hour"})) return SendingLimit::Hourly;
    return SendingLimit::Rate;
}

// `base` doubled `attempt` times, at most `cap`.
seconds Growing(seconds base, int attempt, seconds cap) {
    seconds wait = base;
    for (int i = 0; i < attempt && wait < cap; ++i) wait *= 2;
    return std::min(wait, cap);
}

}  // namespace

ReplyVerdict ClassifyReply(int code, std::string_view text, int attempt) {
    attempt = std::max(attempt, 0);
    if (code >= 200 && code < 300) return {ReplyAction::Accepted, SendingLimit::None, {}};
    const std::optional<Status> status = ReadStatus(text);
    const std::string lower = Lower(text);
    if (code >= 400 && code < 600) {
        switch (LimitOf(status, lower)) {
        case SendingLimit::None:
            break;
        case SendingLimit::Rate:
            return {ReplyAction::PauseRun, SendingLimit::Rate, Growing(minutes(1), attempt, hours(1))};
        case SendingLimit::Hourly:
            return {ReplyAction::PauseRun, SendingLimit::Hourly, hours(1)};
        case SendingLimit::Daily:
            return {ReplyAction::PauseRun, SendingLimit::Daily, hours(24)};
        case SendingLimit::AccountBlocked:
            return {ReplyAction::PauseRun, SendingLimit::AccountBlocked, hours(24)};
        }
    }
    if (code >= 400 && code < 500) {
        if (attempt >= kMaxRetries) return {ReplyAction::FailRow, SendingLimit::None, {}};
        return {ReplyAction::Retry, SendingLimit::None, Growing(seconds(30), attempt, minutes(15))};
    }
    if (code >= 500 && code < 600) {
        // The recipient (5.1.x), the recipient's mailbox (5.2.x), the message's size (5.3.4) or its
        // content (5.6.x); without a status, the replies RFC 5321 gives for a mailbox.
        const bool row = status ? status->subject == 1 || status->subject == 2 || status->subject == 6 ||
                                      (status->subject == 3 && status->detail == 4)
                                : code == 550 || code == 551 || code == 552 || code == 553;
        return {row ? ReplyAction::FailRow : ReplyAction::StopRun, SendingLimit::None, {}};
    }
    return {ReplyAction::StopRun, SendingLimit::None, {}};
}

std::string SendingLimitText(SendingLimit limit) {
    switch (limit) {
    case SendingLimit::None:
        break;
    case SendingLimit::Rate:
        return "Server omezuje, kolik zpráv se smí odeslat za krátkou dobu.";
    case SendingLimit::Hourly:
        return "Server hlásí, že byl dosažen hodinový limit odeslaných zpráv.";
    case SendingLimit::Daily:
        return "Server hlásí, že byl dosažen denní limit odeslaných zpráv.";
    case SendingLimit::AccountBlocked:
        return "Server zastavil odesílání z účtu jako podezřelé z rozesílání nevyžádané pošty; "
               "odesílání může znovu povolit správce účtu.";
    }
    return {};
}

}  // namespace quillory
