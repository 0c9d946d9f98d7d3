#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "mail/IdDateTime.h"
#include "mail/IdException.h"
#include "mail/IdGlobal.h"

namespace quillory {
namespace {

// Sets the process's time zone (a POSIX TZ rule) for one test and restores the previous one.
class ZoneFixture : public ::testing::Test {
protected:
    void SetZone(const char* rule) {
        setenv("TZ", rule, 1);
        tzset();
    }
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadZone_ = old != nullptr;
        if (hadZone_) oldZone_ = old;
    }
    void TearDown() override {
        if (hadZone_) setenv("TZ", oldZone_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    bool hadZone_ = false;
    std::string oldZone_;
};

using FormatMailDateTest = ZoneFixture;

TEST_F(FormatMailDateTest, WritesDayWithoutLeadingZeroAndTwoDigitTimeFieldsWithTheLocalOffset) {
    SetZone("CET-1");
    EXPECT_EQ(FormatMailDate(EncodeDateTime(2026, 12, 8, 20, 11, 46)), "Tue, 8 Dec 2026 20:11:46 +0100");
    EXPECT_EQ(FormatMailDate(EncodeDateTime(2024, 2, 5, 9, 5, 3)), "Mon, 5 Feb 2024 09:05:03 +0100");
    EXPECT_EQ(FormatMailDate(EncodeDateTime(2000, 1, 1)), "Sat, 1 Jan 2000 00:00:00 +0100");
    SetZone("UTC0");
    EXPECT_EQ(FormatMailDate(EncodeDateTime(2026, 7, 19, 23, 59, 59)), "Sun, 19 Jul 2026 23:59:59 +0000");
    EXPECT_EQ(FormatMailDate(EncodeDateTime(2026, 7, 19, 23, 59, 59), true), "Sun, 19 Jul 2026 23:59:59 GMT");
    SetZone("IST-5:30");
    EXPECT_EQ(FormatZoneOffset(LocalOffsetFromUtc(), false), "+0530");
    SetZone("EST5");
    EXPECT_EQ(FormatZoneOffset(LocalOffsetFromUtc(), false), "-0500");
}

TEST(ZoneOffset, FollowsTheBiasOfTheZoneInformation) {
    using S = TTimeZoneInfo::TState;
    EXPECT_EQ(FormatZoneOffset(OffsetFromTimeZoneInfo({S::Standard, -60, 0, -60}), false), "+0100");
    EXPECT_EQ(FormatZoneOffset(OffsetFromTimeZoneInfo({S::Daylight, -60, 0, -60}), false), "+0200");
    EXPECT_EQ(FormatZoneOffset(OffsetFromTimeZoneInfo({S::Unknown, -330, 0, 0}), false), "+0530");
    EXPECT_EQ(FormatZoneOffset(OffsetFromTimeZoneInfo({S::Unknown, 300, 0, 0}), false), "-0500");
    EXPECT_EQ(FormatZoneOffset(0, false), "+0000");
    EXPECT_EQ(FormatZoneOffset(0, true), "GMT");
    try {
        OffsetFromTimeZoneInfo({S::Invalid, 0, 0, 0});
        FAIL() << "no error";
    } catch (const EIdFailedToRetreiveTimeZoneInfo& e) {
        EXPECT_EQ(e.Message(), "Failed attempting to retrieve time zone information.");
    }
}

using MailDateReadTest = ZoneFixture;

TEST_F(MailDateReadTest, ReadsDateHeadersIntoLocalTime) {
    SetZone("CET-1");
    // Day counts are compared to well under a second.
    constexpr double kSecond = 1.0 / 86400;
    EXPECT_NEAR(MailDateToDateTime("Tue, 8 Dec 2026 20:11:46 +0100"), EncodeDateTime(2026, 12, 8, 20, 11, 46),
                kSecond);
    EXPECT_NEAR(MailDateToDateTime("8 Dec 2026 19:11:46 +0000"), EncodeDateTime(2026, 12, 8, 20, 11, 46),
                kSecond);
    EXPECT_NEAR(MailDateToDateTime("Dec 8 2026 20:11"), EncodeDateTime(2026, 12, 8, 21, 11, 0), kSecond);
    EXPECT_NEAR(MailDateToDateTime("08-Dec-99"), EncodeDateTime(1999, 12, 8, 1), kSecond);
    EXPECT_NEAR(MailDateToDateTime("8 Dec 26 20:11:46 -0130"), EncodeDateTime(2026, 12, 8, 22, 41, 46),
                kSecond);
    EXPECT_EQ(MailDateToDateTime("rubbish"), 0);
    EXPECT_EQ(MailDateToDateTime(""), 0);
    const TDateTime now = EncodeDateTime(2026, 3, 1, 12, 0, 0);
    EXPECT_NEAR(MailDateToDateTime(FormatMailDate(now)), now, kSecond) << "round trip";
}

TEST(CutToken, CutsAtTheFirstDelimiter) {
    std::string input = "MAIL FROM:<a@b.cz>";
    EXPECT_EQ(CutToken(input), "MAIL");
    EXPECT_EQ(input, "FROM:<a@b.cz>");
    EXPECT_EQ(CutToken(input, ":", false), "FROM");
    EXPECT_EQ(input, "FROM:<a@b.cz>");
    EXPECT_EQ(CutToken(input, "from", true, false), "");
    EXPECT_EQ(input, ":<a@b.cz>");
    EXPECT_EQ(CutToken(input, "|"), ":<a@b.cz>");
    EXPECT_EQ(input, "");
    std::string atStart = ", b";
    EXPECT_EQ(CutToken(atStart, ","), "");
    EXPECT_EQ(atStart, " b");
}

}  // namespace
}  // namespace quillory
