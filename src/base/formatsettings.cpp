#include "base/formatsettings.h"

#include "base/text.h"

namespace talven {

FormatSettings FormatSettings::ChineseDefaults() {
  FormatSettings s;
  s.shortDateFormat = "yyyy-m-d";
  s.longDateFormat = "yyyy'年'm'月'd'日'"_gbk;
  s.shortTimeFormat = "h:nn";
  s.longTimeFormat = "h:nn:ss";
  s.timeAMString = "上午"_gbk;
  s.timePMString = "下午"_gbk;
  static const char* const months[12] = {"一月", "二月", "三月", "四月", "五月", "六月",
                                         "七月", "八月", "九月", "十月", "十一月", "十二月"};
  for (int i = 0; i < 12; ++i) {
    s.shortMonthNames[i] = Utf8ToGbk(months[i]);
    s.longMonthNames[i] = s.shortMonthNames[i];
  }
  static const char* const shortDays[7] = {"周日", "周一", "周二", "周三", "周四", "周五", "周六"};
  static const char* const longDays[7] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
  for (int i = 0; i < 7; ++i) {
    s.shortDayNames[i] = Utf8ToGbk(shortDays[i]);
    s.longDayNames[i] = Utf8ToGbk(longDays[i]);
  }
  return s;
}

FormatSettings& Settings() {
  static FormatSettings settings = FormatSettings::ChineseDefaults();
  return settings;
}

}  // namespace talven
