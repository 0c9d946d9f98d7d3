#include "mail/IdDateTime.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "mail/IdException.h"
#include "mail/IdGlobal.h"

namespace quillory {

namespace {

constexpr std::array<const char*, 7> kDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Days from 1970-01-01 to 1899-12-30, the day count's epoch.
constexpr long long kEpochShift = 25569;
constexpr double kSecondsPerDay = 86400.0;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

// Whole seconds of a day count, rounded to the nearest second like the day-count arithmetic of
// the system (a time written as 20:11:46 stays 20:11:46 after the round trip through a double).
long long TotalSeconds(TDateTime value) { return std::llround(value * kSecondsPerDay); }

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
    const long long days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochShift;
    return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / kSecondsPerDay;
}

TDateParts DecodeDateTime(TDateTime value) {
    const long long seconds = TotalSeconds(value);
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    TDateParts parts;
    CivilFromDays(days - kEpochShift, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(rest / 3600);
    parts.minute = static_cast<int>(rest / 60 % 60);
    parts.second = static_cast<int>(rest % 60);
    // 1899-12-30 was a Saturday.
    parts.dayOfWeek = static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
    return parts;
}

TDateTime Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) throw EIdFailedToRetreiveTimeZoneInfo();
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec);
}

TDateTime OffsetFromTimeZoneInfo(const TTimeZoneInfo& info) {
    int bias = 0;
    switch (info.state) {
    case TTimeZoneInfo::TState::Unknown:
        bias = info.bias;
        break;
    case TTimeZoneInfo::TState::Standard:
        bias = info.bias + info.standardBias;
        break;
    case TTimeZoneInfo::TState::Daylight:
        bias = info.bias + info.daylightBias;
        break;
    default:
        throw EIdFailedToRetreiveTimeZoneInfo();
    }
    const int magnitude = bias < 0 ? -bias : bias;
    const double offset = (magnitude / 60) / 24.0 + (magnitude % 60) / 1440.0;
    return bias > 0 ? -offset : offset;
}

TTimeZoneInfo CurrentTimeZoneInfo() {
    // The zone database gives the offset in force now (tm_gmtoff, seconds east of UTC) and
    // whether it is daylight time; the bias is its negation in minutes.
    TTimeZoneInfo info;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return info;
    info.bias = static_cast<int>(-local.tm_gmtoff / 60);
    info.state = local.tm_isdst > 0    ? TTimeZoneInfo::TState::Daylight
                 : local.tm_isdst == 0 ? TTimeZoneInfo::TState::Standard
                                       : TTimeZoneInfo::TState::Unknown;
    return info;
}

TDateTime LocalOffsetFromUtc() { return OffsetFromTimeZoneInfo(CurrentTimeZoneInfo()); }

std::string FormatZoneOffset(TDateTime offset, bool asUtcWord) {
    if (offset == 0 && asUtcWord) return "GMT";
    const long long minutes = std::llround(std::fabs(offset) * 1440.0);
    char text[32];
    std::snprintf(text, sizeof text, "%c%02lld%02lld", offset >= 0 ? '+' : '-', minutes / 60 % 24,
                  minutes % 60);
    return text;
}

std::string FormatMailDate(TDateTime value, bool asUtcWord) {
    const TDateParts d = DecodeDateTime(value);
    char text[96];
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %s", kDayNames[d.dayOfWeek - 1], d.day,
                  kMonthNames[d.month - 1], d.year, d.hour, d.minute, d.second,
                  FormatZoneOffset(LocalOffsetFromUtc(), asUtcWord).c_str());
    return text;
}

namespace {

// 1-based month of a three-letter (upper-case) name, 0 when it is none.
int MonthOfName(std::string_view name) {
    for (std::size_t i = 0; i < kMonthNames.size(); ++i)
        if (SameText(kMonthNames[i], name)) return static_cast<int>(i + 1);
    return 0;
}

bool ToInt(const std::string& text, int& value) {
    const std::string t(Trim(text));
    if (t.empty() || t.size() > 9) return false;
    std::size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size()) return false;
    for (std::size_t j = i; j < t.size(); ++j)
        if (t[j] < '0' || t[j] > '9') return false;
    value = std::stoi(t);
    return true;
}

bool IsDayName(std::string_view text) {
    for (const char* name : kDayNames)
        if (SameText(text, name)) return true;
    return false;
}

}  // namespace

TDateTime MailDateToDateTime(const std::string& source) {
    std::string text(Trim(source));
    if (text.size() >= 3 && IsDayName(text.substr(0, 3))) CutToken(text, " ");
    text = std::string(Trim(text));
    const std::size_t firstSpace = Pos(" ", text);
    const std::size_t dash = Pos("-", text);
    const std::string delimiter = (dash >= 2 && (firstSpace == 0 || dash < firstSpace)) ? "-" : " ";

    int day = 1;
    int month = 0;
    std::string peek = text;
    const std::string firstField = CutToken(peek, delimiter);
    if (MonthOfName(Trim(firstField)) != 0) {
        month = MonthOfName(Trim(CutToken(text, delimiter)));
        if (!ToInt(CutToken(text, delimiter), day)) day = 1;
    } else {
        if (!ToInt(CutToken(text, delimiter), day)) day = 1;
        month = MonthOfName(Trim(CutToken(text, delimiter)));
    }
    text = std::string(Trim(text));
    std::string yearText = CutToken(text, " ");
    int year = 0;
    if (!ToInt(yearText, year)) {
        std::swap(yearText, text);
        if (!ToInt(CutToken(yearText, " "), year)) return 0;
        text = yearText;
    }
    if (year >= 0 && year < 80) year += 2000;
    else if (year >= 80 && year < 100) year += 1900;

    int hour = 0, minute = 0, second = 0;
    text = std::string(Trim(text));
    if (Pos(":", text) != 0) {
        std::string timeText = CutToken(text, " ");
        int* fields[] = {&hour, &minute, &second};
        for (int* field : fields) {
            const std::string piece = CutToken(timeText, ":");
            if (!piece.empty() && !ToInt(piece, *field)) return 0;
        }
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59 ||
        hour < 0 || minute < 0 || second < 0)
        return 0;

    TDateTime result = EncodeDateTime(year, month, day, hour, minute, second);
    const std::string zone(Trim(text));
    if (zone.size() > 4 && (zone[0] == '+' || zone[0] == '-')) {
        int zoneHours = 0, zoneMinutes = 0;
        if (ToInt(zone.substr(1, 2), zoneHours) && ToInt(zone.substr(3, 2), zoneMinutes)) {
            const double offset = zoneHours / 24.0 + zoneMinutes / 1440.0;
            result -= zone[0] == '-' ? -offset : offset;
        }
    }
    try {
        result += LocalOffsetFromUtc();
    } catch (const EIdFailedToRetreiveTimeZoneInfo&) {
        return 0;
    }
    return result;
}

}  // namespace quillory
