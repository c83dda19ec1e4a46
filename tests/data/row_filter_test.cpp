#include "data/row_filter.h"

#include <gtest/gtest.h>

#include "base/datetime.h"
#include "base/error.h"
#include "base/text.h"

namespace talven {
namespace {

const std::vector<FieldDef>& Fields() {
  static const std::vector<FieldDef> fields = {
      {"考点代码"_gbk, FieldKind::String},  {"考点名称"_gbk, FieldKind::WideString}, {"笔试考场号"_gbk, FieldKind::String},
      {"考生人数"_gbk, FieldKind::Integer}, {"bssj", FieldKind::Float},             {"级别语言"_gbk, FieldKind::String},
      {"日期"_gbk, FieldKind::DateTime},
  };
  return fields;
}

std::vector<Variant> Row(const char* centre, const char* name, const char* room, int count, std::optional<double> minutes,
                         const char* level, std::optional<TDateTime> date) {
  auto text = [](const char* s) { return s ? Variant(Utf8ToGbk(s)) : Variant::Null(); };
  return {text(centre), text(name), text(room), Variant(count), minutes ? Variant(*minutes) : Variant::Null(),
          text(level),  date ? Variant::FromDateTime(*date) : Variant::Null()};
}

const std::vector<std::vector<Variant>>& Rows() {
  static const std::vector<std::vector<Variant>> rows = {
      Row("3201", "某考点", "1401", 30, 120.0, "二级C", EncodeDate(2025, 3, 29)),
      Row("3201", "某考点", "1402", 25, 120.0, nullptr, EncodeDate(2025, 3, 30)),
      Row("3202", nullptr, "1501", 28, 90.5, "it's", std::nullopt),
      Row("1101", "北京", "1101", 0, std::nullopt, "一级", EncodeDate(2025, 3, 29)),
  };
  return rows;
}

std::vector<int> Matching(std::string_view text) {
  RowFilter f = RowFilter::Parse(text);
  f.Bind(Fields());
  std::vector<int> out;
  for (std::size_t r = 0; r < Rows().size(); ++r)
    if (f.Matches(Rows()[r].data())) out.push_back(static_cast<int>(r));
  return out;
}

TEST(RowFilter, ComparisonsJoinedByAndOrSelectTheRows) {
  struct Case {
    const char* text;
    std::vector<int> rows;
  } cases[] = {
      {"", {0, 1, 2, 3}},
      {"   ", {0, 1, 2, 3}},
      // The texts the filter dialog builds.
      {"考点代码 = '3201'", {0, 1}},
      {"考生人数 > 25", {0, 2}},
      {"级别语言 = null  and 考点代码 = '3201'", {1}},
      {"级别语言 <> null", {0, 2, 3}},
      {"级别语言 <> null  and 考点代码 = '3201'", {0}},
      {"考点代码 = '1101' or 级别语言 = null", {1, 3}},
      {"级别语言 = 'it''s'", {2}},
      // Comparisons with a null field value are false.
      {"bssj < 100", {2}},
      {"bssj <> 120", {2}},
      // "and" binds closer than "or"; brackets group; "not" negates.
      {"考点代码 = '3201' and 考生人数 < 30 or 笔试考场号 = '1101'", {1, 3}},
      {"考点代码 = '3201' and (考生人数 < 30 or 笔试考场号 = '1401')", {0, 1}},
      {"not 考点代码 = '3201'", {2, 3}},
      {"考生人数 = 0 OR 考生人数 = 30", {0, 3}},
      {"[考点代码] <> '3201'", {2, 3}},
      {"考生人数>=28", {0, 2}},
      {"考生人数 != 25", {0, 2, 3}},
      // Values in other forms that still fit their fields.
      {"考生人数 >= '28'", {0, 2}},
      {"考点代码 = 3201", {0, 1}},
      {"级别语言 = '二级c'", {0}},
      {"bssj = 90.5", {2}},
      {"日期 = '2025-03-29'", {0, 3}},
      {"日期 > #2025-03-29#", {1}},
  };
  for (const Case& c : cases) EXPECT_EQ(Matching(Utf8ToGbk(c.text)), c.rows) << c.text;
}

TEST(RowFilter, TextsTheGrammarOrTheFieldsRejectRaiseTheDataLayersMessage) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"考生人数 > abc", "abc is neither a number nor a quoted text"},
      {"考点名称 = 北京", "北京 is neither a number nor a quoted text"},
      {"考生人数 > 'abc'", "the value abc does not fit the numeric field 考生人数"},
      {"日期 = 'soon'", "the value soon does not fit the date field 日期"},
      {"kch = '1'", "there is no field kch"},
      {"考生人数 25", "an operator is expected after 考生人数"},
      {"考生人数 >", "a value is expected after 考生人数 >"},
      {"级别语言 = 'abc", "the quoted text that begins at position 12 has no closing quote"},
      {"考生人数 > null", "null can only be compared with = or <>, not with >"},
      {"考生人数 = 1 考点代码 = '1'", "'and' or 'or' is expected at position 14"},
      {"(考生人数 = 1", "')' is expected at position 14"},
      {"= 1", "a field name is expected at position 1"},
      {"and 考生人数 = 1", "a field name is expected at position 1"},
  };
  for (const Case& c : cases) {
    const std::string text = Utf8ToGbk(c.text);
    try {
      Matching(text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), "Bad filter \"" + text + "\": " + Utf8ToGbk(c.message)) << c.text;
    }
  }
  // A value typed for a numeric field goes in as it stands: a box full of
  // brackets is refused, not followed down until the stack runs out.
  for (const char* open : {"(", "not "}) {
    std::string deep = "考生人数 = 1 or "_gbk;
    for (int i = 0; i < 40000; ++i) deep += open;
    EXPECT_THROW(Matching(deep + "考生人数 = 1"_gbk), Error) << open;
  }
  EXPECT_EQ(Matching(std::string(100, '(') + "考生人数 = 0"_gbk + std::string(100, ')')), std::vector<int>{3});
}

}  // namespace
}  // namespace talven
