// Dates and times as the runtime keeps them: a floating number of days since
// 30 December 1899, the time of day as the fraction. For dates before that
// day the integer part counts backwards and the fraction still adds time
// (-1.25 is 29 December 1899, 06:00).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talven {

using TDateTime = double;

constexpr double kMSecsPerDay = 86400000.0;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

std::optional<TDateTime> TryEncodeDate(int year, int month, int day);
std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int msec);
// Fail with "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);

struct DateParts {
  int year = 0, month = 0, day = 0;
};
struct TimeParts {
  int hour = 0, minute = 0, second = 0, msec = 0;
};
DateParts DecodeDate(TDateTime dt);
TimeParts DecodeTime(TDateTime dt);
// 1 for Sunday ... 7 for Saturday.
int DayOfWeek(TDateTime dt);

TDateTime Now();
TDateTime Date();
TDateTime Time();

// Text -> date-time with the module's format settings: the numbers of a date
// in the order of the short date format, separated by the date separator
// ("2008-04-19"); a time as hours[:minutes[:seconds[.msec]]] with optional
// AM/PM. Fail with "'%s' is not a valid date", "'%s' is not a valid time",
// "'%s' is not a valid date and time".
TDateTime StrToDate(std::string_view s);
TDateTime StrToTime(std::string_view s);
TDateTime StrToDateTime(std::string_view s);
std::optional<TDateTime> TryStrToDate(std::string_view s);
std::optional<TDateTime> TryStrToTime(std::string_view s);
std::optional<TDateTime> TryStrToDateTime(std::string_view s);

// Formats dt with the runtime's pattern letters:
//   c            short date, then the long time unless the time is 0
//   d dd ddd dddd ddddd dddddd  day, 2-digit day, short/long day name,
//                short/long date format
//   m mm mmm mmmm  month, 2-digit month, short/long month name; right after
//                an h or hh they mean minutes
//   yy yyyy      2- or 4-digit year
//   h hh n nn s ss z zzz  hour, minute, second, millisecond
//   t tt         short/long time format
//   am/pm a/p ampm  12-hour clock for the preceding h, with the marker
//   / :          the date and time separators
//   '...' "..."  literal text ('' is an empty literal)
// Letters are case-insensitive; double-byte characters are copied as they
// are. An empty pattern means "c".
std::string FormatDateTime(std::string_view format, TDateTime dt);
std::string DateToStr(TDateTime dt);
std::string TimeToStr(TDateTime dt);
std::string DateTimeToStr(TDateTime dt);

}  // namespace talven
