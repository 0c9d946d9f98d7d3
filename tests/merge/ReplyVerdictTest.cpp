// The server's replies as they come, read for pacing: which fail a row, which are retried, which
// pause the run and for how long.

#include <gtest/gtest.h>

#include <string>

#include "merge/ReplyVerdict.h"

using namespace quillory;
using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

namespace {

// "550 5.4.5 Daily …" as the code and the text after it.
ReplyVerdict Classify(const std::string& line, int attempt = 0) {
    return ClassifyReply(std::stoi(line.substr(0, 3)), line.substr(4), attempt);
}

TEST(ReplyVerdict, RealWorldReplies) {
    struct Case {
        const char* reply;
        ReplyAction action;
        SendingLimit limit;
        seconds wait;
    };
    const Case cases[] = {
        {"250 2.0.0 OK  1702300000 x12-20020a05600c", ReplyAction::Accepted, SendingLimit::None, {}},
        {"250 Ok: queued as 4F2A1", ReplyAction::Accepted, SendingLimit::None, {}},
        // Limits: the run pauses.
        {"550 5.4.5 Daily user sending limit exceeded. For more information on Gmail sending limits go to "
         "https://support.google.com/a/answer/166852",
         ReplyAction::PauseRun, SendingLimit::Daily, hours(24)},
        {"550 5.4.5 Daily user sending quota exceeded.", ReplyAction::PauseRun, SendingLimit::Daily,
         hours(24)},
        {"554 5.2.0 STOREDRV.Submission.Exception:SubmissionQuotaExceededException; Failed to process "
         "message "
         "due to a permanent exception with message [BeginDiagnosticData]",
         ReplyAction::PauseRun, SendingLimit::Daily, hours(24)},
        {"554 5.2.0 STOREDRV.Submission.Exception:OutboundSpamException; Failed to process message due to a "
         "permanent exception with message WASCL UserAction verdict is not None. Actual verdict is Suspend",
         ReplyAction::PauseRun, SendingLimit::AccountBlocked, hours(24)},
        {"451 4.7.1 rate limit", ReplyAction::PauseRun, SendingLimit::Rate, minutes(1)},
        {"421 4.7.28 [192.0.2.1] Our system has detected an unusual rate of unsolicited mail originating "
         "from your IP address. To protect our users from spam, mail sent from your IP address has been "
         "temporarily rate limited.",
         ReplyAction::PauseRun, SendingLimit::Rate, minutes(1)},
        {"452 4.3.1 Too many messages sent per hour, try again later", ReplyAction::PauseRun,
         SendingLimit::Hourly, hours(1)},
        {"450 Too many recipient attempts", ReplyAction::PauseRun, SendingLimit::Rate, minutes(1)},
        {"454 4.7.0 Too many login attempts, please try again later.", ReplyAction::PauseRun,
         SendingLimit::Rate, minutes(1)},
        {"421 4.7.0 [TSS04] Messages from 192.0.2.1 temporarily deferred due to unexpected volume or user "
         "complaints",
         ReplyAction::PauseRun, SendingLimit::Rate, minutes(1)},
        {"451 4.4.5 Mail system congestion", ReplyAction::PauseRun, SendingLimit::Rate, minutes(1)},
        // Temporary refusals: the same row again.
        {"451 4.3.0 Mail server temporarily rejected message.", ReplyAction::Retry, SendingLimit::None,
         seconds(30)},
        {"421 4.4.2 Connection dropped due to timeout", ReplyAction::Retry, SendingLimit::None, seconds(30)},
        {"451 4.7.500 Server busy. Please try again later from [192.0.2.1]. (AS77719)", ReplyAction::Retry,
         SendingLimit::None, seconds(30)},
        // The recipient's mailbox is no limit of the sender's.
        {"450 4.2.1 The user you are trying to contact is receiving mail at a rate that prevents additional "
         "messages from being delivered.",
         ReplyAction::Retry, SendingLimit::None, seconds(30)},
        {"452 4.2.2 The email account that you tried to reach is over quota.", ReplyAction::Retry,
         SendingLimit::None, seconds(30)},
        // The row fails, the run goes on.
        {"550 5.1.1 The email account that you tried to reach does not exist.",
         ReplyAction::FailRow,
         SendingLimit::None,
         {}},
        {"550 5.1.1 <nikdo@example.cz>: Recipient address rejected: User unknown in virtual mailbox table",
         ReplyAction::FailRow,
         SendingLimit::None,
         {}},
        {"553 5.1.3 The recipient address <x@> is not a valid RFC-5321 address.",
         ReplyAction::FailRow,
         SendingLimit::None,
         {}},
        {"552 5.2.2 The email account that you tried to reach is over quota.",
         ReplyAction::FailRow,
         SendingLimit::None,
         {}},
        {"552 5.3.4 Your message exceeded Google's message size limits.",
         ReplyAction::FailRow,
         SendingLimit::None,
         {}},
        {"550 Requested action not taken: mailbox unavailable", ReplyAction::FailRow, SendingLimit::None, {}},
        // Refusals every row would meet: the run stops for the user.
        {"535 5.7.8 Username and Password not accepted.", ReplyAction::StopRun, SendingLimit::None, {}},
        {"550 5.7.60 SMTP; Client does not have permissions to send as this sender",
         ReplyAction::StopRun,
         SendingLimit::None,
         {}},
        {"554 5.7.1 Message rejected: generated content looks like spam",
         ReplyAction::StopRun,
         SendingLimit::None,
         {}},
        {"554 Transaction failed", ReplyAction::StopRun, SendingLimit::None, {}},
    };
    for (const Case& test : cases) {
        const ReplyVerdict verdict = Classify(test.reply);
        EXPECT_EQ(verdict.action, test.action) << test.reply;
        EXPECT_EQ(verdict.limit, test.limit) << test.reply;
        EXPECT_EQ(verdict.wait, test.wait) << test.reply;
    }
}

TEST(ReplyVerdict, WaitsGrowWithEachAttemptAndARowFailsInTheEnd) {
    const seconds retries[] = {seconds(30), minutes(1), minutes(2), minutes(4), minutes(8), minutes(15)};
    for (int attempt = 0; attempt < kMaxRetries; ++attempt) {
        const ReplyVerdict verdict = Classify("451 4.3.0 Temporary failure", attempt);
        EXPECT_EQ(verdict.action, ReplyAction::Retry);
        EXPECT_EQ(verdict.wait, retries[attempt]) << attempt;
    }
    EXPECT_EQ(Classify("451 4.3.0 Temporary failure", kMaxRetries).action, ReplyAction::FailRow);

    const seconds pauses[] = {minutes(1),  minutes(2),  minutes(4), minutes(8),
                              minutes(16), minutes(32), hours(1),   hours(1)};
    for (int attempt = 0; attempt < 8; ++attempt)
        EXPECT_EQ(Classify("451 4.7.1 rate limit", attempt).wait, pauses[attempt]) << attempt;
    // A limit never turns into a failed row, however long it lasts.
    EXPECT_EQ(Classify("550 5.4.5 Daily user sending limit exceeded", 50).action, ReplyAction::PauseRun);
}

}  // namespace
