#include "base/format.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/formatsettings.h"
#include "base/text.h"

namespace talven {
namespace {

TEST(Format, PrintfStyleSpecifiers) {
  EXPECT_EQ(Format("%0.2f", {9.3}), "9.30");
  EXPECT_EQ(Format("%2.2f", {9.0}), "9.00");
  EXPECT_EQ(Format("%2.2f", {11.666667}), "11.67");
  EXPECT_EQ(Format("%0.2f", {0.125}), "0.13");
  EXPECT_EQ(Format("%d", {42}), "42");
  EXPECT_EQ(Format("%5d|%-5d|%.3d", {7, 7, 7}), "    7|7    |007");
  EXPECT_EQ(Format("%s and %s", {"a", std::string("b")}), "a and b");
  EXPECT_EQ(Format("%.2s", {"abc"}), "ab");
  EXPECT_EQ(Format("%x %u", {255, 3}), "FF 3");
  EXPECT_EQ(Format("%n", {1234567.5}), "1,234,567.50");
  EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
  EXPECT_EQ(Format("%g", {0.5}), "0.5");
  EXPECT_EQ(Format("100%%", {}), "100%");
  EXPECT_EQ(Format("Unable to write to %s", {"/x/qelvane.ini"}), "Unable to write to /x/qelvane.ini");
  EXPECT_EQ(Format("%1:s%0:s", {"a", "b"}), "ba");
  struct Bad {
    const char* pattern;
    FormatArg arg;
  } bad[] = {{"%d", "x"}, {"%s", 1}, {"%d %d", 1}, {"%q", 1}, {"%", 1}};
  for (const Bad& b : bad) {
    try {
      Format(b.pattern, {b.arg});
      ADD_FAILURE() << b.pattern;
    } catch (const ConvertError& e) {
      EXPECT_EQ(e.message(), std::string("Format '") + b.pattern + "' invalid or incompatible with argument");
    }
  }
  DecimalSeparatorScope comma(',');
  EXPECT_EQ(Format("%0.2f", {9.3}), "9,30");
}

TEST(Format, FloatPatterns) {
  struct Case {
    const char* pattern;
    double value;
    const char* text;
  } cases[] = {
      {"#,##0.00", 1234.5, "1,234.50"},
      {"##0.00", 3.14159, "3.14"},
      {"0.00", 0.125, "0.13"},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"0", 1234, "1234"},
      {"#,##0", 1234567, "1,234,567"},
      {"#,##0", 12, "12"},
      {"#.##", 0.5, ".5"},
      {"#.##", 1, "1"},
      {"0.#0", 1.5, "1.50"},
      {"000", 7, "007"},
      {"#", 0, ""},
      {"0.00", -0.001, "0.00"},
      {"0.00;(0.00)", -1.5, "(1.50)"},
      {"0.00;(0.00);zero", 0, "zero"},
      {"0.00;(0.00);zero", 0.001, "zero"},
      {"0.00;;zero", -2, "-2.00"},
      {"'$'#,##0.00", 1234.5, "$1,234.50"},
      {"\"No.\"000", 5, "No.005"},
      {"(000) 000-0000", 1234567890, "(123) 456-7890"},
      {"0.00E+00", 1234.5, "1.23E+03"},
      {"0.0E-0", 0.00015, "1.5E-4"},
      {"00.0e+0", 1234.5, "12.3e+2"},
      {"0.00E+00", 0, "0.00E+00"},
      {".00", 12.5, "12.50"},
      {"", 2.5, "2.5"},
      {"0", 1e25, "1E25"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.pattern, c.value), c.text) << c.pattern << " " << c.value;
  EXPECT_EQ(GbkToUtf8(FormatFloat(Utf8ToGbk("0.00元"), 3)), "3.00元");
  DecimalSeparatorScope comma(',');
  Settings().thousandSeparator = '.';
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
  Settings().thousandSeparator = ',';
}

}  // namespace
}  // namespace talven
