#include "base/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/error.h"
#include "support/error_of.h"
#include "base/formatsettings.h"
#include "base/rounding.h"

namespace talven {
namespace {

TEST(Convert, IntegersFromText) {
  struct Case {
    const char* text;
    long long value;
  } cases[] = {
      {"0", 0}, {"42", 42}, {"  17", 17}, {"-5", -5}, {"+5", 5}, {"$1F", 31}, {"0x10", 16},
      {"2147483647", 2147483647}, {"-2147483648", -2147483648LL}, {"$FFFFFFFF", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
  for (const char* bad : {"abc", "", " ", "12 ", "1.5", "2147483648", "-2147483649", "--1", "$"}) {
    EXPECT_FALSE(TryStrToInt(bad).has_value()) << bad;
  }
  EXPECT_EQ(ErrorOf([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
  EXPECT_EQ(ErrorOf([] { StrToInt("x"); }), "'x' is not a valid integer value");
  EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<long long>::max());
  EXPECT_EQ(StrToIntDef("q", 7), 7);
}

TEST(Convert, FloatsFromText) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"9.00", 9.0}, {" 14.30 ", 14.3}, {"-2.5", -2.5}, {".5", 0.5}, {"5.", 5.0}, {"1E3", 1000.0},
               {"1.5e-2", 0.015}, {"+7", 7.0}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(StrToFloat(c.text), c.value) << c.text;
  for (const char* bad : {"", "abc", "1,5", "1.2.3", "e5", "1e", "9:00", "."}) {
    EXPECT_FALSE(TryStrToFloat(bad).has_value()) << bad;
  }
  EXPECT_EQ(ErrorOf([] { StrToFloat("9:00"); }), "'9:00' is not a valid floating point value");
  DecimalSeparatorScope comma(',');
  EXPECT_DOUBLE_EQ(StrToFloat("1,5"), 1.5);
  EXPECT_FALSE(TryStrToFloat("1.5").has_value());
}

TEST(Convert, FloatToTextInTheShortestForm) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {7, "7"}, {2.5, "2.5"}, {0.1, "0.1"}, {0.1 + 0.2, "0.3"}, {-3.25, "-3.25"}, {0, "0"},
      {1e20, "1E20"}, {1.5e20, "1.5E20"}, {1e15, "1E15"}, {123456789012345.0, "123456789012345"},
      {0.0001, "0.0001"}, {0.00001, "1E-5"}, {1.0 / 3, "0.333333333333333"}, {2.0 / 3, "0.666666666666667"},
      {-1.5e-7, "-1.5E-7"},
  };
  for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
  DecimalSeparatorScope comma(',');
  EXPECT_EQ(FloatToStr(2.5), "2,5");
}

TEST(Convert, DecimalDigitsRoundHalfAwayFromZero) {
  // 0.125 is exact in binary: the runtime rounds its decimal digits up.
  EXPECT_EQ(FormatFixed(0.125, 2, false), "0.13");
  EXPECT_EQ(FormatFixed(-0.125, 2, false), "-0.13");
  // 2.675 is 2.67499999... in binary.
  EXPECT_EQ(FormatFixed(2.675, 2, false), "2.67");
  EXPECT_EQ(FormatFixed(9.995, 2, false), "9.99");
  EXPECT_EQ(FormatFixed(99.995001, 2, false), "100.00");
  EXPECT_EQ(FormatFixed(-0.001, 2, false), "0.00");  // no "-0.00"
  EXPECT_EQ(FormatFixed(0.009, 2, false), "0.01");  // the rounding digit is the first one
  EXPECT_EQ(FormatFixed(0.5, 0, false), "1");
  EXPECT_EQ(FormatFixed(1234567.891, 1, true), "1,234,567.9");
  EXPECT_EQ(FormatFixed(5, 0, false), "5");
  // Fewer significant digits hide the binary noise.
  EXPECT_EQ(FormatFixed(0.1 + 0.2, 17, false), "0.30000000000000004");
  EXPECT_EQ(FormatFixed(0.1 + 0.2, 17, false, 15), "0.30000000000000000");
}

TEST(Rounding, HalfToEven) {
  struct Case {
    double value;
    int rounded;
  } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4999, 2}, {2.5001, 3},
               {-0.4, 0}, {7, 7}};
  for (const Case& c : cases) EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
  EXPECT_EQ(RoundHalfEven64(4503599627370497.0), 4503599627370497LL);
  EXPECT_EQ(RoundHalfEven64(-4.5), -4);
  EXPECT_EQ(RoundHalfEven(1e20), std::numeric_limits<int>::max());
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

}  // namespace
}  // namespace talven
