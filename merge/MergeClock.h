#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace quillory {

// The time a mail merge run reads and the waits it makes (the pace, a retry's wait, a pause on a
// sending limit), behind one seam: the program waits on the system clock, a test on a clock of its
// own that moves on at once.
class MergeClock {
public:
    using Clock = std::chrono::system_clock;

    virtual ~MergeClock() = default;
    virtual Clock::time_point Now() = 0;
    // Waits until `until`; returns early when Wake is called (from any thread) meanwhile. A Wake
    // between two waits ends the next one at once.
    virtual void WaitUntil(Clock::time_point until) = 0;
    virtual void Wake() = 0;
};

// The system's clock; the waits block the calling thread.
class SystemMergeClock : public MergeClock {
public:
    Clock::time_point Now() override { return Clock::now(); }
    void WaitUntil(Clock::time_point until) override;
    void Wake() override;

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    bool wake_ = false;
};

}  // namespace quillory
