// The module-wide format settings that every conversion and formatting
// routine of the runtime reads. There is one set per loaded module; the
// module changes single items (the date separator when the window opens, the
// decimal separator while a display format is applied) and everything that
// converts afterwards sees the change.
#pragma once

#include <array>
#include <string>

namespace talven {

struct FormatSettings {
  char dateSeparator = '-';
  char timeSeparator = ':';
  char decimalSeparator = '.';
  char thousandSeparator = ',';
  // Date and time patterns in the letters of FormatDateTime. The short date
  // format also fixes the order in which StrToDate reads the numbers of a date
  // (year, month, day here).
  std::string shortDateFormat;
  std::string longDateFormat;
  std::string shortTimeFormat;
  std::string longTimeFormat;
  std::string timeAMString;
  std::string timePMString;
  std::array<std::string, 12> shortMonthNames;
  std::array<std::string, 12> longMonthNames;
  std::array<std::string, 7> shortDayNames;  // Sunday first
  std::array<std::string, 7> longDayNames;
  // Two-digit years are read within this many years before the current year.
  int twoDigitYearCenturyWindow = 50;

  // The settings of a Chinese (PRC) system, which the program was made for.
  static FormatSettings ChineseDefaults();
};

// The module-wide settings (GBK texts).
FormatSettings& Settings();

// Restores one changed item when leaving a scope.
class DecimalSeparatorScope {
 public:
  explicit DecimalSeparatorScope(char separator) : saved_(Settings().decimalSeparator) {
    Settings().decimalSeparator = separator;
  }
  ~DecimalSeparatorScope() { Settings().decimalSeparator = saved_; }
  DecimalSeparatorScope(const DecimalSeparatorScope&) = delete;
  DecimalSeparatorScope& operator=(const DecimalSeparatorScope&) = delete;

 private:
  char saved_;
};

}  // namespace talven
