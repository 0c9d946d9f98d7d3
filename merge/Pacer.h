#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

namespace quillory {

// A provider's sending limits; 0: no such limit.
struct SendingLimits {
    int messagesPerMinute = 0;
    int messagesPerHour = 0;
    int messagesPerDay = 0;
    int recipientsPerDay = 0;

    bool operator==(const SendingLimits&) const = default;
};

// Says when the next message of a run may go so that no limit is exceeded in any window of a
// minute, an hour or a day (sliding windows: the sends of the last 60 seconds, 3600 seconds, 24
// hours). Messages are also spread evenly at the finest rate given (30 a minute: one every two
// seconds), so a run never goes out in a burst the server refuses.
class Pacer {
public:
    using Clock = std::chrono::system_clock;

    explicit Pacer(SendingLimits limits) : limits_(limits) {}

    const SendingLimits& Limits() const { return limits_; }

    // A message that went out at `time` to `recipients` recipients; also the sends of the run
    // before a restart, in their order. A time before the last one counts as the last one.
    void Sent(Clock::time_point time, int recipients = 1);

    // The earliest moment from `now` on when a message to `recipients` may go.
    Clock::time_point NextAllowed(Clock::time_point now, int recipients = 1) const;

    // When `messages` more messages (one recipient each), started at `now` and taking `perMessage`
    // each to send, will all have gone.
    Clock::time_point EstimatedEnd(Clock::time_point now, std::size_t messages,
                                   Clock::duration perMessage) const;

private:
    struct Send {
        Clock::time_point time;
        long long recipientsBefore;  // of every send before this one
        int recipients;
    };

    SendingLimits limits_;
    std::vector<Send> sends_;
};

}  // namespace quillory
