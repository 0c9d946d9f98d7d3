#include "merge/Pacer.h"

#include <algorithm>

namespace quillory {
namespace {

using std::chrono::days;
using std::chrono::hours;
using std::chrono::minutes;

}  // namespace

void Pacer::Sent(Clock::time_point time, int recipients) {
    recipients = std::max(recipients, 0);
    if (!sends_.empty()) time = std::max(time, sends_.back().time);
    const long long before = sends_.empty() ? 0 : sends_.back().recipientsBefore + sends_.back().recipients;
    sends_.push_back({time, before, recipients});
}

Pacer::Clock::time_point Pacer::NextAllowed(Clock::time_point now, int recipients) const {
    Clock::time_point at = now;
    if (sends_.empty()) return at;
    // Evenly spread at the finest rate given.
    if (limits_.messagesPerMinute > 0)
        at = std::max(at, sends_.back().time + Clock::duration(minutes(1)) / limits_.messagesPerMinute);
    else if (limits_.messagesPerHour > 0)
        at = std::max(at, sends_.back().time + Clock::duration(hours(1)) / limits_.messagesPerHour);

    // The first send still inside the window (at - window, at].
    const auto firstInside = [this](Clock::time_point at, Clock::duration window) {
        return std::upper_bound(sends_.begin(), sends_.end(), at - window,
                                [](Clock::time_point time, const Send& send) { return time < send.time; });
    };
    // Moving `at` on for one window only lowers the counts of the others, so a few rounds settle.
    for (bool moved = true; moved;) {
        moved = false;
        const auto messages = [&](int limit, Clock::duration window) {
            if (limit <= 0) return;
            const auto first = firstInside(at, window);
            const auto count = sends_.end() - first;
            if (count < limit) return;
            // When the oldest sends that are too many have left the window.
            at = (first + (count - limit))->time + window;
            moved = true;
        };
        messages(limits_.messagesPerMinute, minutes(1));
        messages(limits_.messagesPerHour, hours(1));
        messages(limits_.messagesPerDay, days(1));
        if (limits_.recipientsPerDay > 0) {
            const long long wanted = std::min(recipients, limits_.recipientsPerDay);
            const long long total = sends_.back().recipientsBefore + sends_.back().recipients;
            const auto first = firstInside(at, days(1));
            if (first != sends_.end() &&
                total - first->recipientsBefore + wanted > limits_.recipientsPerDay) {
                // The first send whose leaving makes room: after it, the rest plus this message fit.
                const auto leaving = std::lower_bound(first, sends_.end(), 0, [&](const Send& send, int) {
                    return total - (send.recipientsBefore + send.recipients) + wanted >
                           limits_.recipientsPerDay;
                });
                at = leaving->time + Clock::duration(days(1));
                moved = true;
            }
        }
    }
    return at;
}

Pacer::Clock::time_point Pacer::EstimatedEnd(Clock::time_point now, std::size_t messages,
                                             Clock::duration perMessage) const {
    Pacer planned = *this;
    Clock::time_point at = now;
    for (std::size_t i = 0; i < messages; ++i) {
        at = planned.NextAllowed(at);
        planned.Sent(at);
        at += perMessage;
    }
    return at;
}

}  // namespace quillory
