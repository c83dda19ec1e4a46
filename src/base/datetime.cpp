#include "base/datetime.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "base/error.h"
#include "base/formatsettings.h"
#include "base/text.h"

namespace talven {
namespace {

// Days from 1970-01-01 to y-m-d in the proleptic Gregorian calendar.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

DateParts CivilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);  // day 0 of TDateTime

// ---- reading dates and times -------------------------------------------

struct Scanner {
  std::string_view s;
  std::size_t pos = 0;

  void Blanks() {
    while (pos < s.size() && s[pos] == ' ') ++pos;
  }
  bool AtEnd() const { return pos >= s.size(); }
  bool Char(char c) {
    Blanks();
    if (pos < s.size() && s[pos] == c) {
      ++pos;
      return true;
    }
    return false;
  }
  // Up to four digits (reading stops once the number reaches 1000).
  bool Number(int& n, int& count) {
    Blanks();
    std::size_t i = pos;
    int v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && v < 1000) v = v * 10 + (s[i++] - '0');
    if (i == pos) return false;
    count = static_cast<int>(i - pos);
    pos = i;
    n = v;
    return true;
  }
  bool Word(std::string_view w) {
    if (w.empty()) return false;
    Blanks();
    if (s.size() - pos >= w.size() && SameText(s.substr(pos, w.size()), w)) {
      pos += w.size();
      return true;
    }
    return false;
  }
};

enum class DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(std::string_view format) {
  for (char c : format) {
    switch (c & 0xDF) {
      case 'E':
      case 'Y': return DateOrder::YMD;
      case 'M': return DateOrder::MDY;
      case 'D': return DateOrder::DMY;
      default: break;
    }
  }
  return DateOrder::MDY;
}

int CurrentYear() { return DecodeDate(Date()).year; }

bool ScanDate(Scanner& sc, TDateTime& out) {
  const FormatSettings& fs = Settings();
  DateOrder order = OrderOf(fs.shortDateFormat);
  int n1, n2, n3, l1, l2, l3;
  if (!(sc.Number(n1, l1) && sc.Char(fs.dateSeparator) && sc.Number(n2, l2))) return false;
  int y, m, d;
  if (sc.Char(fs.dateSeparator)) {
    if (!sc.Number(n3, l3)) return false;
    int yearLen;
    switch (order) {
      case DateOrder::MDY: y = n3, yearLen = l3, m = n1, d = n2; break;
      case DateOrder::DMY: y = n3, yearLen = l3, m = n2, d = n1; break;
      default: y = n1, yearLen = l1, m = n2, d = n3; break;
    }
    if (yearLen <= 2) {
      int centuryBase = CurrentYear() - fs.twoDigitYearCenturyWindow;
      y += centuryBase / 100 * 100;
      if (fs.twoDigitYearCenturyWindow > 0 && y < centuryBase) y += 100;
    }
  } else {
    y = CurrentYear();
    if (order == DateOrder::DMY) d = n1, m = n2;
    else m = n1, d = n2;
  }
  sc.Char(fs.dateSeparator);
  sc.Blanks();
  auto date = TryEncodeDate(y, m, d);
  if (!date) return false;
  out = *date;
  return true;
}

bool ScanTime(Scanner& sc, TDateTime& out) {
  const FormatSettings& fs = Settings();
  int baseHour = -1;
  if (sc.Word(fs.timeAMString) || sc.Word("AM")) baseHour = 0;
  else if (sc.Word(fs.timePMString) || sc.Word("PM")) baseHour = 12;
  if (baseHour >= 0) sc.Blanks();
  int hour, min = 0, sec = 0, msec = 0, count;
  if (!sc.Number(hour, count)) return false;
  if (sc.Char(fs.timeSeparator)) {
    if (!sc.Number(min, count)) return false;
    if (sc.Char(fs.timeSeparator)) {
      if (!sc.Number(sec, count)) return false;
      if (sc.Char(fs.decimalSeparator) && !sc.Number(msec, count)) return false;
    }
  }
  if (baseHour < 0) {
    if (sc.Word(fs.timeAMString) || sc.Word("AM")) baseHour = 0;
    else if (sc.Word(fs.timePMString) || sc.Word("PM")) baseHour = 12;
  }
  if (baseHour >= 0) {
    if (hour == 0 || hour > 12) return false;
    if (hour == 12) hour = 0;
    hour += baseHour;
  }
  sc.Blanks();
  auto t = TryEncodeTime(hour, min, sec, msec);
  if (!t) return false;
  out = *t;
  return true;
}

[[noreturn]] void Fail(const char* what, std::string_view s) {
  throw ConvertError("'" + std::string(s) + "' is not a valid " + what);
}

// ---- formatting ---------------------------------------------------------

std::string Pad2(int v) {
  std::string s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

std::string PadN(int v, std::size_t n) {
  std::string s = std::to_string(v);
  return s.size() < n ? std::string(n - s.size(), '0') + s : s;
}

bool StartsWithNoCase(std::string_view s, std::size_t i, std::string_view w) {
  return s.size() - i >= w.size() && SameText(s.substr(i, w.size()), w);
}

// Whether an am/pm marker follows before the next hour letter (outside
// quotes): then the hour before it is on the 12-hour clock.
bool Uses12HourClock(std::string_view f, std::size_t i) {
  bool quoted = false;
  for (; i < f.size(); ++i) {
    char c = f[i];
    if (IsLeadByte(c) && i + 1 < f.size()) {
      ++i;
      continue;
    }
    if (c == '\'' || c == '"') quoted = !quoted;
    else if (!quoted && (c == 'a' || c == 'A'))
      return StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") || StartsWithNoCase(f, i, "ampm");
    else if (!quoted && (c == 'h' || c == 'H')) return false;
  }
  return false;
}

void AppendDateTime(std::string& out, std::string_view f, TDateTime dt, int depth) {
  if (depth > 2) return;
  const FormatSettings& fs = Settings();
  const DateParts date = DecodeDate(dt);
  const TimeParts time = DecodeTime(dt);
  char lastToken = ' ';
  std::size_t i = 0;
  auto count = [&](char letter) {
    std::size_t n = 1;
    while (i + n < f.size() && (f[i + n] | 0x20) == letter) ++n;
    return n;
  };
  while (i < f.size()) {
    char c = f[i];
    if (IsLeadByte(c) && i + 1 < f.size()) {
      out.append(f.substr(i, 2));
      i += 2;
      continue;
    }
    char token = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    if (token >= 'A' && token <= 'Z') {
      if (token == 'M' && lastToken == 'H') token = 'N';
      lastToken = token;
    }
    switch (token) {
      case 'Y': {
        std::size_t n = count('y');
        out += n <= 2 ? Pad2(date.year % 100) : PadN(date.year, 4);
        i += n;
        break;
      }
      case 'M': {
        std::size_t n = count('m');
        if (n == 1) out += std::to_string(date.month);
        else if (n == 2) out += Pad2(date.month);
        else if (n == 3) out += fs.shortMonthNames[date.month - 1];
        else out += fs.longMonthNames[date.month - 1];
        i += n;
        break;
      }
      case 'D': {
        std::size_t n = count('d');
        if (n == 1) out += std::to_string(date.day);
        else if (n == 2) out += Pad2(date.day);
        else if (n == 3) out += fs.shortDayNames[DayOfWeek(dt) - 1];
        else if (n == 4) out += fs.longDayNames[DayOfWeek(dt) - 1];
        else if (n == 5) AppendDateTime(out, fs.shortDateFormat, dt, depth + 1);
        else AppendDateTime(out, fs.longDateFormat, dt, depth + 1);
        i += n;
        break;
      }
      case 'H': {
        std::size_t n = count('h');
        int h = time.hour;
        if (Uses12HourClock(f, i + n)) {
          h %= 12;
          if (h == 0) h = 12;
        }
        out += n <= 1 ? std::to_string(h) : Pad2(h);
        i += n;
        break;
      }
      case 'N': {
        std::size_t n = count(c | 0x20);
        n = std::min<std::size_t>(n, 2);  // "mmm" after h stays minutes
        out += n <= 1 ? std::to_string(time.minute) : Pad2(time.minute);
        i += n;
        break;
      }
      case 'S': {
        std::size_t n = std::min<std::size_t>(count('s'), 2);
        out += n <= 1 ? std::to_string(time.second) : Pad2(time.second);
        i += n;
        break;
      }
      case 'Z': {
        std::size_t n = std::min<std::size_t>(count('z'), 3);
        out += n <= 1 ? std::to_string(time.msec) : PadN(time.msec, 3);
        i += n;
        break;
      }
      case 'T': {
        std::size_t n = std::min<std::size_t>(count('t'), 2);
        AppendDateTime(out, n <= 1 ? fs.shortTimeFormat : fs.longTimeFormat, dt, depth + 1);
        i += n;
        break;
      }
      case 'C': {
        AppendDateTime(out, fs.shortDateFormat, dt, depth + 1);
        if (time.hour != 0 || time.minute != 0 || time.second != 0 || time.msec != 0) {
          out += ' ';
          AppendDateTime(out, fs.longTimeFormat, dt, depth + 1);
        }
        ++i;
        break;
      }
      case 'A': {
        bool pm = time.hour >= 12;
        if (StartsWithNoCase(f, i, "am/pm")) {
          out.append(f.substr(pm ? i + 3 : i, 2));
          i += 5;
        } else if (StartsWithNoCase(f, i, "a/p")) {
          out += f[pm ? i + 2 : i];
          i += 3;
        } else if (StartsWithNoCase(f, i, "ampm")) {
          out += pm ? fs.timePMString : fs.timeAMString;
          i += 4;
        } else {
          out += c;
          ++i;
        }
        break;
      }
      case '/':
        out += fs.dateSeparator;
        ++i;
        break;
      case ':':
        out += fs.timeSeparator;
        ++i;
        break;
      case '\'':
      case '"': {
        std::size_t close = f.find(c, i + 1);
        if (close == std::string_view::npos) close = f.size();
        out.append(f.substr(i + 1, close - i - 1));
        i = close + 1;
        break;
      }
      default:
        out += c;
        ++i;
        break;
    }
  }
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

std::optional<TDateTime> TryEncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return std::nullopt;
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                             kEpochOffset);
}

std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int msec) {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 || msec < 0 || msec >= 1000)
    return std::nullopt;
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / kMSecsPerDay;
}

TDateTime EncodeDate(int year, int month, int day) {
  if (auto d = TryEncodeDate(year, month, day)) return *d;
  throw ConvertError("Invalid argument to date encode");
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  if (auto t = TryEncodeTime(hour, minute, second, msec)) return *t;
  throw ConvertError("Invalid argument to time encode");
}

DateParts DecodeDate(TDateTime dt) {
  if (!std::isfinite(dt)) return {};
  double day = std::trunc(dt);
  if (day < -693593.0 || day > 2958465.0) return {};  // outside years 1..9999
  return CivilFromDays(static_cast<long long>(day) + kEpochOffset);
}

TimeParts DecodeTime(TDateTime dt) {
  if (!std::isfinite(dt)) return {};
  long long ms = std::llround(std::fabs(dt - std::trunc(dt)) * kMSecsPerDay);
  if (ms >= static_cast<long long>(kMSecsPerDay)) ms = static_cast<long long>(kMSecsPerDay) - 1;
  TimeParts t;
  t.msec = static_cast<int>(ms % 1000);
  ms /= 1000;
  t.second = static_cast<int>(ms % 60);
  ms /= 60;
  t.minute = static_cast<int>(ms % 60);
  t.hour = static_cast<int>(ms / 60);
  return t;
}

int DayOfWeek(TDateTime dt) {
  // 30 December 1899 was a Saturday.
  long long day = static_cast<long long>(std::trunc(dt));
  long long w = ((day + 6) % 7 + 7) % 7;  // 0 = Sunday
  return static_cast<int>(w) + 1;
}

TDateTime Now() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
         EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, ms);
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  TDateTime n = Now();
  return n - std::trunc(n);
}

std::optional<TDateTime> TryStrToDate(std::string_view s) {
  Scanner sc{s};
  TDateTime d;
  if (!ScanDate(sc, d) || !sc.AtEnd()) return std::nullopt;
  return d;
}

std::optional<TDateTime> TryStrToTime(std::string_view s) {
  Scanner sc{s};
  TDateTime t;
  if (!ScanTime(sc, t) || !sc.AtEnd()) return std::nullopt;
  return t;
}

std::optional<TDateTime> TryStrToDateTime(std::string_view s) {
  Scanner sc{s};
  TDateTime date, time = 0;
  if (ScanDate(sc, date) && (sc.AtEnd() || (ScanTime(sc, time) && sc.AtEnd())))
    return date >= 0 ? date + time : date - time;
  return TryStrToTime(s);
}

TDateTime StrToDate(std::string_view s) {
  if (auto d = TryStrToDate(s)) return *d;
  Fail("date", s);
}

TDateTime StrToTime(std::string_view s) {
  if (auto t = TryStrToTime(s)) return *t;
  Fail("time", s);
}

TDateTime StrToDateTime(std::string_view s) {
  if (auto d = TryStrToDateTime(s)) return *d;
  Fail("date and time", s);
}

std::string FormatDateTime(std::string_view format, TDateTime dt) {
  std::string out;
  AppendDateTime(out, format.empty() ? std::string_view("c") : format, dt, 0);
  return out;
}

std::string DateToStr(TDateTime dt) { return FormatDateTime("ddddd", dt); }
std::string TimeToStr(TDateTime dt) { return FormatDateTime("tt", dt); }
std::string DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }

}  // namespace talven
