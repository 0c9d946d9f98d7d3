#pragma once

#include <string>

namespace quillory {

// A date-time as a day count: whole days since 30 December 1899, the fraction the time of day.
using TDateTime = double;

TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
struct TDateParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int dayOfWeek = 0;  // 1 = Sunday ... 7 = Saturday
};
TDateParts DecodeDateTime(TDateTime value);
// The current local time.
TDateTime Now();

// What the operating system says about the local zone; biases in minutes, UTC = local time + bias.
struct TTimeZoneInfo {
    enum class TState { Unknown, Standard, Daylight, Invalid };
    TState state = TState::Invalid;
    int bias = 0;
    int standardBias = 0;
    int daylightBias = 0;
};

// The offset (local time minus UTC, as a day fraction) that `info` describes; raises
// EIdFailedToRetreiveTimeZoneInfo for an invalid answer.
TDateTime OffsetFromTimeZoneInfo(const TTimeZoneInfo& info);
// The operating system's zone information for the current moment.
TTimeZoneInfo CurrentTimeZoneInfo();
// The current local offset from UTC, positive east of UTC.
TDateTime LocalOffsetFromUtc();

// "+0100", "-0500", "+0530"; "GMT" for a zero offset when `asUtcWord`.
std::string FormatZoneOffset(TDateTime offset, bool asUtcWord);
// "Tue, 8 Dec 2026 20:11:46 +0100" for a local date-time, with the current local offset.
std::string FormatMailDate(TDateTime value, bool asUtcWord = false);
// Reads a Date header text back into a local date-time; 0 when it cannot be read.
TDateTime MailDateToDateTime(const std::string& text);

}  // namespace quillory
