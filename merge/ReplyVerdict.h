#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace quillory {

// What a run does after a server's reply to one message.
enum class ReplyAction {
    Accepted,  // 2xx: the message is delivered
    Retry,     // a temporary refusal (4xx): the same row again after `wait`
    FailRow,   // the server refused this recipient or message for good (5.1.x …): the run goes on
    PauseRun,  // a sending limit was reached: the whole run waits `wait`, then goes on by itself
    StopRun,   // a refusal that would meet every row (login, policy): the run stops for the user
};

// Which sending limit a pausing reply names.
enum class SendingLimit { None, Rate, Hourly, Daily, AccountBlocked };

struct ReplyVerdict {
    ReplyAction action = ReplyAction::StopRun;
    SendingLimit limit = SendingLimit::None;
    std::chrono::seconds wait{};
};

// Temporary refusals of one row before it fails.
inline constexpr int kMaxRetries = 6;

// Reads the server's reply: its code and its text (the lines without their code, as
// "5.4.5 Daily user sending limit exceeded", lines joined by line ends). `attempt` counts the
// earlier temporary refusals of the same row (for Retry) or the earlier pauses of the run in a row
// (for PauseRun); the waits grow with it: a retry waits 30 s, 1, 2, 4, 8 and 15 minutes, and after
// kMaxRetries the row fails; a pause for a rate waits 1, 2, 4 … 60 minutes, for an hourly limit an
// hour, for a daily limit or a blocked account a day.
//
// A limit is a 4xx or 5xx reply whose words speak of a rate, a quota or a limit ("rate limit",
// "Too many login attempts", "Daily user sending limit exceeded", SubmissionQuotaExceededException,
// OutboundSpamException), or the status 4.4.5/5.4.5; never one about the recipient's mailbox
// (X.2.1-3: "over quota", "receiving mail at a rate") or the message's size (X.3.4), which fails or
// retries that row only.
ReplyVerdict ClassifyReply(int code, std::string_view text, int attempt);

// The Czech words for the window (UTF-8): why the run waits.
std::string SendingLimitText(SendingLimit limit);

}  // namespace quillory
