#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "merge/MergeClock.h"
#include "merge/Pacer.h"
#include "merge/ReplyVerdict.h"
#include "merge/RunJournal.h"

namespace quillory {

class DeliverySession;
class TIdMessage;

// Where a run stands, for the window after every change.
struct MergeProgress {
    std::size_t total = 0;
    std::size_t delivered = 0;
    std::size_t failed = 0;
    std::size_t remaining = 0;  // still to send, the row under way included
    // While the run waits for a retry or a sending limit: until when, which limit (None for a
    // retry of one row) and the server's reply that made it wait.
    bool waiting = false;
    MergeClock::Clock::time_point waitUntil{};
    SendingLimit limit = SendingLimit::None;
    std::string reason;
    // When the remaining rows will have gone at the pacer's pace.
    MergeClock::Clock::time_point estimatedEnd{};
};

// How a run ended.
enum class MergeOutcome {
    Finished,    // every row is delivered, failed or skipped
    Stopped,     // Stop was called; the rows not sent stay to send
    MaybeSent,   // a row's final dot went out without an answer: the user decides (Decide)
    ServerStop,  // the server refused in a way that meets every row (a login, a policy) or cannot
                 // be reached: `reason` says why; the run can go on later
};

struct MergeRunResult {
    MergeOutcome outcome = MergeOutcome::Finished;
    // With ServerStop: the server's reply or the error, as the journal keeps replies.
    std::string reason;
    // With MaybeSent: the row.
    std::optional<std::size_t> row;
};

// One run of a mail merge: sends each row of the journal that is still to send, once, through
// one delivery session (one login for the run), at the pace the pacer allows.
//
// - Each row's message is built by `compose` just before it goes; the run does not care how. A
//   row whose own file cannot be attached (`compose` raises ERowFileUnavailable) fails with the
//   reason, and the run goes on; any other Exception of `compose` ends Run with it.
// - The row is made durable as Sending just before its final dot, then as delivered or failed
//   after the server's reply. A 4xx reply is tried again after growing waits; a refusal of the
//   recipient (5.1.x) fails that row and the run goes on; a reply saying a sending limit was
//   reached pauses the whole run until the limit allows again, and it goes on by itself then.
// - A row whose final dot went out without an answer (a broken connection, a Stop at that moment)
//   ends the run as MaybeSent; so does a journal that already holds such a row when the run
//   starts. Nothing more is sent until Decide records the user's choice.
// - Waits go through `clock`; Pause, Resume and Stop may be called from any thread: a pause takes
//   effect before the next message, a Stop at once: the message under way is cancelled unless its
//   final dot went out, which waits for its answer (a second Stop does not).
//
//   MergeRun run(journal, session, Pacer(limits), compose, clock);
//   run.OnProgress = show;
//   if (run.Run().outcome == MergeOutcome::Finished) WriteRunReport(journal);
class MergeRun {
public:
    using Compose = std::function<TIdMessage(std::size_t row)>;

    MergeRun(RunJournal& journal, DeliverySession& session, Pacer pacer, Compose compose, MergeClock& clock);
    MergeRun(const MergeRun&) = delete;
    MergeRun& operator=(const MergeRun&) = delete;

    std::function<void(const MergeProgress&)> OnProgress;

    // The user's decision on the "možná odesláno" row: it arrived (counted as delivered), or it is
    // to be sent again. Raises Exception when the journal has no such row.
    void Decide(bool arrived);

    // Sends until every row is done, or until the run stops, pauses on a decision or is refused
    // by the server. Raises EJournalError when the journal cannot be written (nothing further is
    // sent then).
    MergeRunResult Run();

    void Pause();
    void Resume();
    void Stop();

private:
    enum class Next { SameRow, NextRow };

    bool WaitFor(MergeClock::Clock::time_point until);
    std::optional<MergeRunResult> SendRow(std::size_t row, Next& next);
    std::optional<MergeRunResult> Refused(std::size_t row, int code, const std::string& reply, Next& next);
    void Report(bool waiting = false, MergeClock::Clock::time_point until = {},
                SendingLimit limit = SendingLimit::None, const std::string& reason = {});
    std::chrono::sys_seconds Now();

    RunJournal& journal_;
    DeliverySession& session_;
    Pacer pacer_;
    Compose compose_;
    MergeClock& clock_;
    // The mean time one message took so far, for the estimate; a second until one went.
    MergeClock::Clock::duration perMessage_ = std::chrono::seconds(1);
    std::size_t timed_ = 0;
    int retries_ = 0;  // temporary refusals of the row under way
    int pauses_ = 0;   // pauses of the run since the last delivered message

    std::mutex mutex_;
    std::condition_variable resumed_;
    bool paused_ = false;
    bool stopped_ = false;
    bool finalDotOut_ = false;  // the row under way is Sending: its final dot is going or went
};

}  // namespace quillory
