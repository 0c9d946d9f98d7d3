#include "merge/MergeClock.h"

namespace quillory {

void SystemMergeClock::WaitUntil(Clock::time_point until) {
    std::unique_lock lock(mutex_);
    woken_.wait_until(lock, until, [this] { return wake_; });
    wake_ = false;
}

void SystemMergeClock::Wake() {
    {
        const std::lock_guard lock(mutex_);
        wake_ = true;
    }
    woken_.notify_all();
}

}  // namespace quillory
