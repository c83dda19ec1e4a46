#include "base/datetime.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "support/error_of.h"
#include "base/text.h"

namespace talven {
namespace {

TEST(DateTime, EncodesDaysSince30December1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2008, 4, 19), 39557.0);
  EXPECT_EQ(EncodeDate(2024, 3, 15), 45366.0);
  EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  DateParts d = DecodeDate(-1.25);
  EXPECT_EQ(d.year, 1899);
  EXPECT_EQ(d.month, 12);
  EXPECT_EQ(d.day, 29);
  EXPECT_EQ(DecodeTime(-1.25).hour, 6);
  TimeParts t = DecodeTime(EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.second, 59);
  EXPECT_EQ(t.msec, 999);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 15)), 6);  // a Friday
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29).has_value());
  EXPECT_EQ(ErrorOf([] { EncodeDate(2024, 13, 1); }), "Invalid argument to date encode");
}

TEST(DateTime, ReadsDatesInYearMonthDayOrder) {
  struct Case {
    const char* text;
    int y, m, d;
  } cases[] = {{"2008-04-19", 2008, 4, 19}, {"2008-4-9", 2008, 4, 9}, {" 2008 - 11 - 03 ", 2008, 11, 3},
               {"2008-04-19-", 2008, 4, 19}};
  for (const Case& c : cases) {
    TDateTime dt = StrToDate(c.text);
    DateParts p = DecodeDate(dt);
    EXPECT_EQ(p.year, c.y) << c.text;
    EXPECT_EQ(p.month, c.m) << c.text;
    EXPECT_EQ(p.day, c.d) << c.text;
  }
  for (const char* bad : {"", "2008/04/19", "2008-02-30", "2008-04-19x", "abc", "2008"})
    EXPECT_FALSE(TryStrToDate(bad).has_value()) << bad;
  EXPECT_EQ(ErrorOf([] { StrToDate("2008/04/19"); }), "'2008/04/19' is not a valid date");
}

TEST(DateTime, ReadsTimesAndDateTimes) {
  EXPECT_DOUBLE_EQ(StrToTime("9:00"), 9.0 / 24);
  EXPECT_DOUBLE_EQ(StrToTime("14:30:15"), EncodeTime(14, 30, 15, 0));
  EXPECT_DOUBLE_EQ(StrToTime("2:05 PM"), EncodeTime(14, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:00 am"), 0.0);
  EXPECT_DOUBLE_EQ(StrToTime(Utf8ToGbk("下午 3:00")), EncodeTime(15, 0, 0, 0));
  EXPECT_FALSE(TryStrToTime("25:00").has_value());
  EXPECT_FALSE(TryStrToTime("13:00 PM").has_value());
  EXPECT_EQ(ErrorOf([] { StrToTime("9.00"); }), "'9.00' is not a valid time");

  EXPECT_DOUBLE_EQ(StrToDateTime("2008-04-19"), EncodeDate(2008, 4, 19));
  EXPECT_DOUBLE_EQ(StrToDateTime("2008-04-19 9:30"), EncodeDate(2008, 4, 19) + EncodeTime(9, 30, 0, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime("9:30"), EncodeTime(9, 30, 0, 0));  // a time alone
  EXPECT_EQ(ErrorOf([] { StrToDateTime(""); }), "'' is not a valid date and time");
  EXPECT_EQ(ErrorOf([] { StrToDateTime("2008.04.19"); }), "'2008.04.19' is not a valid date and time");
  EXPECT_EQ(ErrorOf([] { StrToDateTime("2008-04-19 9:30 x"); }), "'2008-04-19 9:30 x' is not a valid date and time");
}

TEST(DateTime, FormatsWithThePatternLetters) {
  const TDateTime dt = EncodeDate(2024, 3, 15) + EncodeTime(14, 5, 9, 7);
  struct Case {
    const char* pattern;
    const char* text;
  } cases[] = {
      {"yyyy.mm.dd", "2024.03.15"},
      {"yy.m.d", "24.3.15"},
      {"yyyy''年''mm''月''dd''日''", "2024年03月15日"},
      {"yyyy'年'm'月'", "2024年3月"},
      {"yyyy/mm/dd", "2024-03-15"},  // "/" is the date separator
      {"hh:nn:ss", "14:05:09"},
      {"h:mm", "14:05"},  // m after h means minutes
      {"hh:mm:ss.zzz", "14:05:09.007"},
      {"h:nn am/pm", "2:05 pm"},
      {"h:nn AM/PM", "2:05 PM"},
      {"h a/p", "2 p"},
      {"h ampm", "2 下午"},
      {"mmm", "三月"},
      {"mmmm d", "三月 15"},
      {"ddd dddd", "周五 星期五"},
      {"ddddd", "2024-3-15"},
      {"dddddd", "2024年3月15日"},
      {"\"yy\"yy", "yy24"},
      {"c", "2024-3-15 14:05:09"},
      {"t", "14:05"},
      {"tt", "14:05:09"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GbkToUtf8(FormatDateTime(Utf8ToGbk(c.pattern), dt)), c.text) << c.pattern;
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2008, 4, 19)), "2008-4-19");
  EXPECT_EQ(FormatDateTime("", EncodeDate(2008, 4, 19)), "2008-4-19");
  EXPECT_EQ(FormatDateTime("hh:nn", 0.5 + 1e-12), "12:00");
  EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(2008, 4, 19)) + "年", "2008年");
}

}  // namespace
}  // namespace talven
