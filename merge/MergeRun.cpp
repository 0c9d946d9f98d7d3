#include "merge/MergeRun.h"

#include <exception>
#include <utility>

#include "core/Exception.h"
#include "core/ProgramText.h"
#include "core/Win1250.h"
#include "delivery/DeliverySession.h"
#include "mail/IdMessage.h"
#include "merge/ComposeRow.h"
#include "net/smtp/IdSMTP.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {
namespace {

using Clock = MergeClock::Clock;

// The reply's lines ("5.4.5 Daily …", each followed by CR LF) without their line ends, joined by
// "\n", as the classification reads them.
std::string ReplyText(const std::string& reply) {
    std::string text;
    std::size_t pos = 0;
    while (pos < reply.size()) {
        std::size_t end = reply.find("\r\n", pos);
        if (end == std::string::npos) end = reply.size();
        if (!text.empty()) text += '\n';
        text.append(reply, pos, end - pos);
        pos = end + 2;
    }
    return text;
}

// The reply as the journal and the report keep it: each line with its code ("250 2.0.0 Ok").
std::string ReplyRecord(int code, const std::string& reply) {
    const std::string text = ReplyText(reply);
    std::string record;
    std::size_t pos = 0;
    do {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        if (!record.empty()) record += '\n';
        record += std::to_string(code) + " " + text.substr(pos, end - pos);
        pos = end + 1;
    } while (pos < text.size());
    return record;
}

std::string ErrorText(const std::exception_ptr& error) {
    if (!error) return {};
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    }
}

}  // namespace

MergeRun::MergeRun(RunJournal& journal, DeliverySession& session, Pacer pacer, Compose compose,
                   MergeClock& clock)
    : journal_(journal),
      session_(session),
      pacer_(std::move(pacer)),
      compose_(std::move(compose)),
      clock_(clock) {
    // The messages delivered before a restart still count against the limits.
    for (const JournalRow& row : journal_.State().rows)
        if (row.state == RowState::Delivered && !row.byUser) pacer_.Sent(Clock::time_point(row.time));
}

std::chrono::sys_seconds MergeRun::Now() { return std::chrono::floor<std::chrono::seconds>(clock_.Now()); }

void MergeRun::Decide(bool arrived) {
    const std::optional<std::size_t> row = journal_.State().maybeSent;
    if (!row) throw Exception(Utf8ToWin1250("Hromadné odeslání: žádný řádek nečeká na rozhodnutí"));
    if (arrived) journal_.ConfirmDelivered(*row, Now());
    else journal_.SendAgain(*row, Now());
}

void MergeRun::Pause() {
    const std::lock_guard lock(mutex_);
    paused_ = true;
    clock_.Wake();
}

void MergeRun::Resume() {
    {
        const std::lock_guard lock(mutex_);
        paused_ = false;
    }
    resumed_.notify_all();
}

void MergeRun::Stop() {
    {
        const std::lock_guard lock(mutex_);
        // A message whose final dot went out is let have its answer, so that a stop leaves no row
        // in doubt; a second Stop does not wait for it.
        if (!finalDotOut_ || stopped_) session_.Cancel();
        stopped_ = true;
        clock_.Wake();
    }
    resumed_.notify_all();
}

bool MergeRun::WaitFor(Clock::time_point until) {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            resumed_.wait(lock, [this] { return !paused_ || stopped_; });
            if (stopped_) return false;
        }
        if (clock_.Now() >= until) return true;
        clock_.WaitUntil(until);
    }
}

void MergeRun::Report(bool waiting, Clock::time_point until, SendingLimit limit, const std::string& reason) {
    if (!OnProgress) return;
    MergeProgress progress;
    for (const JournalRow& row : journal_.State().rows) {
        ++progress.total;
        progress.delivered += row.state == RowState::Delivered ? 1 : 0;
        progress.failed += row.state == RowState::Failed ? 1 : 0;
        progress.remaining += row.state == RowState::ToSend || row.state == RowState::Sending ? 1 : 0;
    }
    progress.waiting = waiting;
    progress.waitUntil = until;
    progress.limit = limit;
    progress.reason = reason;
    const Clock::time_point from = waiting && until > clock_.Now() ? until : clock_.Now();
    progress.estimatedEnd = pacer_.EstimatedEnd(from, progress.remaining, perMessage_);
    OnProgress(progress);
}

MergeRunResult MergeRun::Run() {
    if (const auto row = journal_.State().maybeSent) return {MergeOutcome::MaybeSent, {}, row};
    pauses_ = 0;
    Report();
    for (const std::size_t row : journal_.State().ToSend()) {
        retries_ = 0;
        for (Next next = Next::SameRow; next == Next::SameRow;) {
            if (!WaitFor(pacer_.NextAllowed(clock_.Now()))) return {MergeOutcome::Stopped, {}, {}};
            if (const auto ended = SendRow(row, next)) return *ended;
        }
    }
    return {journal_.State().Finished() ? MergeOutcome::Finished : MergeOutcome::Stopped, {}, {}};
}

std::optional<MergeRunResult> MergeRun::SendRow(std::size_t row, Next& next) {
    std::optional<TIdMessage> composed;
    try {
        composed.emplace(compose_(row));
    } catch (const ERowFileUnavailable& error) {
        // The row's own file went since the check: that row fails with the reason, and the rows
        // after it still go. Any other fault (a shared file gone) meets every row and stops the run.
        journal_.Failed(row, Now(), ProgramTextToUtf8(error.Message()));
        next = Next::NextRow;
        Report();
        return std::nullopt;
    }
    TIdMessage& message = *composed;
    const Clock::time_point started = clock_.Now();
    session_.BeforeFinalDot = [this, row](const TIdMessage&) {
        const std::lock_guard lock(mutex_);
        // A Stop before the dot ends the message unsent (the connection is dropped).
        if (stopped_) throw EIdOperationCancelled();
        journal_.Sending(row, Now());
        finalDotOut_ = true;
    };
    const TDeliveryResult result = session_.Send(message, Clock::to_time_t(started));
    session_.BeforeFinalDot = nullptr;
    {
        const std::lock_guard lock(mutex_);
        finalDotOut_ = false;
    }
    const bool sending = journal_.State().rows[row].state == RowState::Sending;

    if (result.Delivered()) {
        journal_.Delivered(row, Now(), ReplyRecord(result.replyCode, result.reply));
        pacer_.Sent(clock_.Now());
        perMessage_ = (perMessage_ * static_cast<long>(timed_) + (clock_.Now() - started)) /
                      static_cast<long>(timed_ + 1);
        ++timed_;
        pauses_ = 0;
        next = Next::NextRow;
        Report();
        return std::nullopt;
    }
    // A reply, to the message or to the login: the server did not take the message.
    if (result.replyCode != 0) return Refused(row, result.replyCode, result.reply, next);
    // The row is Sending only once its final dot was about to go; whether it went is what the
    // SMTP client saw (a cancel at that moment is not a broken connection, but the server may
    // have the message all the same).
    if (sending && (result.mayHaveArrived || session_.Smtp().FinalDotWritten()))
        return MergeRunResult{MergeOutcome::MaybeSent, {}, row};
    // No reply: the session was cancelled, or the server cannot be reached; the dot did not go.
    if (sending) journal_.Retry(row, Now(), {});
    {
        const std::lock_guard lock(mutex_);
        if (stopped_) return MergeRunResult{MergeOutcome::Stopped, {}, {}};
    }
    return MergeRunResult{MergeOutcome::ServerStop, ErrorText(result.error), {}};
}

std::optional<MergeRunResult> MergeRun::Refused(std::size_t row, int code, const std::string& reply,
                                                Next& next) {
    const std::string text = ReplyText(reply);
    const std::string record = ReplyRecord(code, reply);
    ReplyVerdict verdict = ClassifyReply(code, text, retries_);
    if (verdict.action == ReplyAction::PauseRun) verdict = ClassifyReply(code, text, pauses_);
    switch (verdict.action) {
    case ReplyAction::Retry:
    case ReplyAction::PauseRun: {
        journal_.Retry(row, Now(), record);
        const Clock::time_point until = clock_.Now() + verdict.wait;
        ++(verdict.action == ReplyAction::Retry ? retries_ : pauses_);
        Report(true, until, verdict.limit, record);
        if (!WaitFor(until)) return MergeRunResult{MergeOutcome::Stopped, {}, {}};
        next = Next::SameRow;
        return std::nullopt;
    }
    case ReplyAction::FailRow:
        journal_.Failed(row, Now(), record);
        next = Next::NextRow;
        Report();
        return std::nullopt;
    case ReplyAction::Accepted:
    case ReplyAction::StopRun:
        break;
    }
    journal_.Retry(row, Now(), record);
    return MergeRunResult{MergeOutcome::ServerStop, record, {}};
}

}  // namespace quillory
