#include "rooms/filter_text.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace talven {
namespace {

bool PlainString(const std::string& field) { return field != "考生人数"_gbk; }

// The finished filter text in UTF-8, or "(no field)".
std::string Filter(FilterCondition a, FilterCondition b, bool andJoin = true) {
  a.field = Utf8ToGbk(a.field);
  a.value = Utf8ToGbk(a.value);
  b.field = Utf8ToGbk(b.field);
  b.value = Utf8ToGbk(b.value);
  auto raw = BuildFilterText(a, b, andJoin, PlainString);
  if (!raw) return "(no field)";
  return GbkToUtf8(FinishFilterText(*raw, a.operatorPos > 0));
}

TEST(FilterText, BuildsTheDialogsTexts) {
  struct Case {
    FilterCondition first, second;
    bool andJoin;
    const char* text;
  } cases[] = {
      {{"考点代码", 1, "3201"}, {}, true, "考点代码 = '3201'"},
      {{"考生人数", 5, "25"}, {}, true, "考生人数 > 25"},
      {{"级别语言", 8, "x"}, {"考点代码", 1, "3201"}, true, "级别语言 = null  and 考点代码 = '3201'"},
      {{"级别语言", 7, ""}, {"考点代码", 1, "3201"}, true, "级别语言 <> null  and 考点代码 = '3201'"},
      {{}, {"级别语言", 7, ""}, false, "级别语言 <> null"},
      // The dialog cuts three characters, "and", and keeps the blank after it.
      {{}, {"考点代码", 1, "3201"}, true, " 考点代码 = '3201'"},
      {{"考点代码", 1, "32"}, {"级别语言", 8, "ignored"}, false, "考点代码 = '32'  or 级别语言 = null"},
      {{"考点名称", 2, "O'Neil"}, {}, true, "考点名称 <> 'O''Neil'"},
      {{"考生人数", 6, ""}, {}, true, "考生人数 >="},
      {{"考点代码", 0, "x"}, {"考点代码", 0, "y"}, true, ""},
      {{"", 3, "1"}, {}, true, "(no field)"},
      {{"考点代码", 1, "1"}, {"", 1, "1"}, true, "(no field)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Filter(c.first, c.second, c.andJoin), c.text) << c.text;
}

TEST(FilterText, AFieldNamedLikeAJoinWordStaysWhole) {
  EXPECT_EQ(FinishFilterText("order = 1", true), "order = 1");
  EXPECT_EQ(FinishFilterText("  and x = 1", false), " x = 1");
}

TEST(FilterText, OperatorTable) {
  const auto& ops = FilterOperators();
  EXPECT_EQ(ops[0].item, "");
  EXPECT_EQ(GbkToUtf8(ops[4].item), "小于等于");
  EXPECT_EQ(ops[4].op, "<=");
  EXPECT_TRUE(ops[7].testsNull);
  EXPECT_EQ(ops[7].op, "<>");
  EXPECT_EQ(ops[8].op, "=");
  EXPECT_EQ(SavedFieldIndex1(), -1);
}

}  // namespace
}  // namespace talven
