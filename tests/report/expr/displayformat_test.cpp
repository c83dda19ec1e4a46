#include "report/expr/displayformat.h"

#include <gtest/gtest.h>

#include "base/formatsettings.h"
#include "base/text.h"
#include "engine_fixture.h"

namespace talven {
namespace {

TEST(DisplayFormat, FormatsByCategoryAndIndex) {
  const Variant number(1234.5);
  const Variant date = Variant::FromDateTime(EncodeDate(2024, 3, 15) + EncodeTime(9, 5, 7, 0));
  struct Case {
    Variant value;
    std::int32_t code;
    const char* custom;
    std::string expected;
  };
  const Case cases[] = {
      {number, MakeDisplayFormat(fmtNumber, 1, 2, ','), "", "1234,50"},
      {number, MakeDisplayFormat(fmtNumber, 3, 2, ','), "", "1,234,50"},
      {number, MakeDisplayFormat(fmtNumber, 3, 2, '.'), "", "1,234.50"},
      {number, MakeDisplayFormat(fmtNumber, 0, 2, '.'), "", "1234.5"},
      {number, MakeDisplayFormat(fmtNumber, 2, 0, '.'), "", "1,235"},
      {number, MakeDisplayFormat(fmtNumber, 4, 0, '.'), "0.000", "1234.500"},
      {Variant("12.5"), MakeDisplayFormat(fmtNumber, 1, 0, '.'), "", "13"},
      {Variant(0.1 + 0.2), MakeDisplayFormat(fmtNumber, 1, 17, '.'), "", "0.30000000000000000"},
      {Variant("abc"), MakeDisplayFormat(fmtNumber, 1, 2, '.'), "", "abc"},
      {Variant(true), MakeDisplayFormat(fmtBoolean, 1, 0, 0), "", "是"_gbk},
      {Variant(false), MakeDisplayFormat(fmtBoolean, 1, 0, 0), "", "否"_gbk},
      {Variant(2), MakeDisplayFormat(fmtBoolean, 0, 0, 0), "", "1"},
      {Variant(0), MakeDisplayFormat(fmtBoolean, 4, 0, 0), "no;yes", "no"},
      {date, MakeDisplayFormat(fmtDate, 0, 0, 0), "", "24.03.15"},
      {date, MakeDisplayFormat(fmtDate, 1, 0, 0), "", "2024.03.15"},
      {date, MakeDisplayFormat(fmtDate, 2, 0, 0), "", "2024年03月15日"_gbk},
      {date, MakeDisplayFormat(fmtDate, 3, 0, 0), "", "2024年3月15日"_gbk},
      {Variant("2024-3-15"), MakeDisplayFormat(fmtDate, 4, 0, 0), "d/m", "15-3"},
      {date, MakeDisplayFormat(fmtTime, 0, 0, 0), "", "09:05:07"},
      {date, MakeDisplayFormat(fmtTime, 3, 0, 0), "", "9:05"},
      {Variant(7), MakeDisplayFormat(fmtText, 0, 2, '.'), "", "7"},
      {Variant(7), MakeDisplayFormat(5, 0, 0, 0), "", ""},
      {Variant(""), MakeDisplayFormat(fmtNumber, 1, 2, '.'), "", ""},
      {Variant("   "), MakeDisplayFormat(fmtText, 0, 0, 0), "", ""},
      {Variant("\r\n"), MakeDisplayFormat(fmtText, 0, 0, 0), "", "\r\n"},  // a line break is not blank
      {Variant::Null(), MakeDisplayFormat(fmtBoolean, 1, 0, 0), "", ""},
      {Variant(), MakeDisplayFormat(fmtNumber, 1, 2, '.'), "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyDisplayFormat(c.value, c.code, c.custom), c.expected)
        << c.value.AsText() << " with " << std::hex << c.code;
  }
  EXPECT_EQ(Settings().decimalSeparator, '.');  // given back
}

TEST(DisplayFormat, BracketSpecifications) {
  struct Case {
    const char* format;
    std::int32_t code;
    const char* custom;
  };
  const std::int32_t object = MakeDisplayFormat(fmtText, 0, 2, '.');
  const Case cases[] = {
      {"N##0.00", MakeDisplayFormat(fmtNumber, 4, 2, '.'), "##0.00"},
      {"n#,##0", MakeDisplayFormat(fmtNumber, 4, 2, ','), "#.##0"},  // the last "," is the separator
      {"N1,2", MakeDisplayFormat(fmtNumber, 1, 2, ','), ""},
      {"1,2", MakeDisplayFormat(fmtNumber, 1, 2, ','), ""},
      {"N0.00", MakeDisplayFormat(fmtNumber, 1, 0, '.'), ""},
      {"2-10", MakeDisplayFormat(fmtNumber, 1, 10, '-'), ""},
      {"N2", MakeDisplayFormat(fmtNumber, 1, 2, '.'), ""},  // no separator: the object's stay
      {"Ddd.mm.yyyy", MakeDisplayFormat(fmtDate, 4, 2, '.'), "dd.mm.yyyy"},
      {"thh:nn", MakeDisplayFormat(fmtDate, 4, 2, '.'), "hh:nn"},
      {"B否;是", MakeDisplayFormat(fmtBoolean, 4, 2, '.'), "否;是"},
      {"X", object, ""},
      {"", object, ""},
  };
  for (const Case& c : cases) {
    std::int32_t code = object;
    std::string custom;
    ApplyBracketFormat(c.format, code, custom);
    EXPECT_EQ(code, c.code) << c.format;
    EXPECT_EQ(custom, c.custom) << c.format;
  }
}

TEST(DisplayFormat, EditMasks) {
  EXPECT_EQ(FormatMaskText("000-0000;0; ", "1234567"), "123-4567");
  EXPECT_EQ(FormatMaskText("(000);0;_", "12"), "(12_)");
  EXPECT_EQ(FormatMaskText("!000;0;*", "12"), "*12");
  EXPECT_EQ(FormatMaskText(">LL<ll;0; ", "abCD"), "ABcd");
  EXPECT_EQ(FormatMaskText("\\0\\L00;0; ", "12"), "0L12");
  EXPECT_EQ(FormatMaskText("00:00;0; ", "1230"), "12:30");
  EXPECT_EQ(FormatMaskText("CC-CC;0; ", "汉字ab"_gbk), "汉字-ab"_gbk);
}

}  // namespace
}  // namespace talven
