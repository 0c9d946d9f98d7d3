// The pacer: no window of a minute, an hour or a day ever holds more than the limits allow, the
// next send is never later than it must be, and the estimated end of a run.

#include <gtest/gtest.h>

#include <random>

#include "merge/Pacer.h"

using namespace quillory;
using Clock = Pacer::Clock;
using std::chrono::days;
using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;

namespace {

const Clock::time_point kStart = Clock::time_point(seconds(1'765'400'000));

struct Sent {
    Clock::time_point time;
    int recipients;
};

// Whether a send at `at` keeps every limit, counted the slow way.
bool Allowed(const SendingLimits& limits, const std::vector<Sent>& sent, Clock::time_point at,
             int recipients) {
    const auto inside = [&](Clock::duration window, bool countRecipients) {
        long long total = countRecipients ? recipients : 1;
        for (const Sent& send : sent)
            if (send.time > at - window) total += countRecipients ? send.recipients : 1;
        return total;
    };
    if (limits.messagesPerMinute > 0 && inside(minutes(1), false) > limits.messagesPerMinute) return false;
    if (limits.messagesPerHour > 0 && inside(hours(1), false) > limits.messagesPerHour) return false;
    if (limits.messagesPerDay > 0 && inside(days(1), false) > limits.messagesPerDay) return false;
    if (limits.recipientsPerDay > 0 && inside(days(1), true) > limits.recipientsPerDay) return false;
    return true;
}

TEST(Pacer, RandomRunsKeepEveryLimitAndWaitNoLongerThanTheyMust) {
    std::mt19937 random(28);
    const SendingLimits presets[] = {
        {30, 0, 0, 10'000},  // Microsoft 365
        {0, 0, 500, 0},      // Gmail
        {10, 200, 500, 0},   // cautious
        {0, 7, 0, 20},      {3, 0, 0, 0},
    };
    for (const SendingLimits& limits : presets) {
        Pacer pacer(limits);
        std::vector<Sent> sent;
        Clock::time_point now = kStart;
        for (int i = 0; i < 700; ++i) {
            const int recipients = 1 + static_cast<int>(random() % 3);
            const Clock::time_point at = pacer.NextAllowed(now, recipients);
            ASSERT_GE(at, now);
            ASSERT_TRUE(Allowed(limits, sent, at, recipients)) << i;
            // Only the even spread may hold a send back beyond what the windows need.
            const Clock::time_point spread =
                sent.empty() ? now
                : limits.messagesPerMinute > 0
                    ? sent.back().time + Clock::duration(minutes(1)) / limits.messagesPerMinute
                : limits.messagesPerHour > 0
                    ? sent.back().time + Clock::duration(hours(1)) / limits.messagesPerHour
                    : now;
            if (at > std::max(now, spread)) {
                ASSERT_FALSE(Allowed(limits, sent, at - milliseconds(1), recipients)) << i;
            }
            pacer.Sent(at, recipients);
            sent.push_back({at, recipients});
            now = at + milliseconds(random() % 5000);
        }
    }
}

TEST(Pacer, ProvidersPaces) {
    // Thirty a minute: one every two seconds.
    Pacer microsoft({30, 0, 0, 10'000});
    microsoft.Sent(kStart);
    EXPECT_EQ(microsoft.NextAllowed(kStart), kStart + seconds(2));
    // Five hundred a day: the 501st waits until the first has left the day.
    Pacer gmail({0, 0, 500, 0});
    for (int i = 0; i < 500; ++i) gmail.Sent(kStart + seconds(i));
    EXPECT_EQ(gmail.NextAllowed(kStart + seconds(600)), kStart + days(1));
    // A message to more recipients than are left today waits for as many to leave the day.
    Pacer recipients({0, 0, 0, 10});
    recipients.Sent(kStart, 4);
    recipients.Sent(kStart + hours(1), 4);
    EXPECT_EQ(recipients.NextAllowed(kStart + hours(2), 2), kStart + hours(2));
    EXPECT_EQ(recipients.NextAllowed(kStart + hours(2), 3), kStart + days(1));
    EXPECT_EQ(recipients.NextAllowed(kStart + hours(2), 50),
              kStart + days(1) + hours(1));  // all ten, at most
    // No limits: now.
    EXPECT_EQ(Pacer({}).NextAllowed(kStart), kStart);
}

TEST(Pacer, EstimatedEnd) {
    // 600 messages at thirty a minute, a second each: the last goes after 599 × 2 s.
    EXPECT_EQ(Pacer({30, 0, 0, 10'000}).EstimatedEnd(kStart, 600, seconds(1)), kStart + seconds(599 * 2 + 1));
    // 1,200 at 500 a day, a second each, after a restart that had sent 100 an hour before: 400 go at
    // once, 100 when the earlier ones leave the day (in 23 hours), 400 as the first 400 leave it (in a
    // day), 100 in 47 hours, and the last 200 from two days on.
    Pacer gmail({0, 0, 500, 0});
    for (int i = 0; i < 100; ++i) gmail.Sent(kStart - hours(1));
    EXPECT_EQ(gmail.EstimatedEnd(kStart, 1200, seconds(1)), kStart + days(2) + seconds(200));
    EXPECT_EQ(Pacer({}).EstimatedEnd(kStart, 0, seconds(1)), kStart);
}

}  // namespace
