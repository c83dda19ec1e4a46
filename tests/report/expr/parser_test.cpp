#include "report/expr/parser.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/error.h"
#include "engine_fixture.h"
#include "report/expr/tokens.h"

namespace talven {
namespace {

TEST(Parser, EvaluatesTheLanguage) {
  struct Case {
    const char* expression;
    Variant expected;
  };
  const Case cases[] = {
      {"1 + 2 * 3", Variant(7.0)},
      {"(1 + 2) * 3", Variant(9.0)},
      {"7 / 0", Variant(0.0)},
      {"7 mod 3", Variant(1)},
      {"10 - 4 - 3", Variant(3.0)},  // equal priorities group from the left
      {"2 > 1", Variant(1)},          // comparisons give integers, not booleans
      {"2 <> 2", Variant(0)},
      {"2 >= 2", Variant(1)},
      {"not 0", Variant(1)},
      {"not 5", Variant(0)},
      {"'it''s'", Variant("it's")},
      {"'a' + 'b'", Variant("ab")},
      {"1,5 + 1", Variant(2.5)},
      {"int(2.9999999999999)", Variant(3.0)},
      {"int(2.99)", Variant(2.0)},
      {"int(-2.5)", Variant(-2.0)},
      {"frac(-2.5)", Variant(-0.5)},
      {"round(2.5)", Variant(2.0)},
      {"round(3.5)", Variant(4.0)},
      {"int 2.5 * 2", Variant(4.0)},  // INT binds tightest
      {"str(2.5) + 'x'", Variant("2.5x")},
      {"TRUE", Variant(true)},
      {"true or False", Variant(true)},
      {"6 and 3", Variant(2)},
      // AND binds like "*": 3 > (2 and 1) gives 3 > 0.
      {"3 > 2 and 1", Variant(1)},
      {"(3 > 2) and 0", Variant(0)},
      {"-2 + 3", Variant(1.0)},
      {"2 * -3", Variant(-6.0)},
      {"1 - -1", Variant(2.0)},
      {"3 * not 0", Variant(3.0)},
      {"- - 4", Variant(4.0)},
      {"if(1 > 2, 'a', 'b')", Variant("b")},
      {"if(TRUE, 'a', 'b')", Variant("a")},
      {"IF('0.5', 'a', 'b')", Variant("b")},  // the integer part decides
      {"copy('abcdef', 2, 3)", Variant("bcd")},
      {"copy('abc', 0, 2)", Variant("ab")},
      {"copy('abc', 3, 9)", Variant("c")},
      {"strtodate('2024-3-15')", Variant::FromDateTime(EncodeDate(2024, 3, 15))},
      {"strtotime('10:30')", Variant::FromDateTime(EncodeTime(10, 30, 0, 0))},
      {"1 + 2 ; garbage (", Variant(3.0)},
      {"\r\n 1 +\r\n 2", Variant(3.0)},
      {"", Variant()},
  };
  TfrParser parser;
  for (const Case& c : cases) {
    try {
      EXPECT_EQ(parser.Evaluate(c.expression), c.expected) << c.expression;
    } catch (const Error& e) {
      ADD_FAILURE() << c.expression << ": " << e.message();
    }
  }
}

TEST(Parser, FailsWithClearMessages) {
  struct Case {
    const char* expression;
    const char* message;
  };
  const Case cases[] = {
      {"1.2.3", "'1.2.3' is not a valid floating point value"},
      {"copy('abc', 'x', 1)", "'x' is not a valid integer value"},
      {"if('x', 1, 2)", "'x' is not a valid floating point value"},
      {"'a' * 2", "Could not convert variant of type (String) into type (Double)"},
      {"pos('a', 'b'", ""},  // unbalanced call parentheses: an empty message
      {"(1 + 2", "Unbalanced parentheses in expression"},
      {"1 + 2)", "Unbalanced parentheses in expression"},
      {"1 +", "Missing operand in expression"},
      {"* 2", "Missing operand in expression"},
      {"'abc", "Unterminated text in expression"},
      {"[abc", "Missing \"]\" in expression"},
  };
  TfrParser parser;
  for (const Case& c : cases) {
    try {
      parser.Evaluate(c.expression);
      ADD_FAILURE() << c.expression << " did not fail";
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), c.message) << c.expression;
    }
  }
}

TEST(Parser, PostfixHasOneCharacterPerOperator) {
  TfrParser parser;
  using namespace postfix;
  EXPECT_EQ(parser.ToPostfix("1 + 2 * 3"), "1 2 3 *+");
  EXPECT_EQ(parser.ToPostfix("2 * -3"), std::string("2 3 ") + kNegate + "*");
  EXPECT_EQ(parser.ToPostfix("a > 1 and b < 2"), std::string("a 1 b ") + kAnd + ">2 <");
  EXPECT_EQ(parser.ToPostfix("x <> 1 or not y >= 2"), std::string("x 1 y ") + kNot + kOr + kNotEqual + "2 " + kGreaterEqual);
  // Calls are copied whole, without a blank; arrays and brackets with theirs.
  EXPECT_EQ(parser.ToPostfix("f(1, (2)) + A[1] - [x y]"), "f(1, (2))A[1] +[x y] -");
  EXPECT_EQ(parser.ToPostfix("ds.\"a b\" mod 2"), std::string("ds.\"a b\" 2 ") + kMod);
}

TEST(Parser, NamesAndCallsReachTheCallbacks) {
  TfrParser parser;
  std::vector<std::string> seen;
  parser.OnGetValue = [&](const std::string& name, Variant& value) {
    seen.push_back(name);
    EXPECT_TRUE(value.IsNull());
    value = Variant(1);
  };
  parser.OnFunction = [&](const std::string& name, const std::string& p1, const std::string& p2,
                          const std::string& p3, Variant& result) {
    seen.push_back(name + "|" + p1 + "|" + p2 + "|" + p3);
    result = Variant(2);
  };
  EXPECT_EQ(parser.Evaluate("[Memo1.Left] + dwmc + ds.\"my field\""), Variant(3));
  EXPECT_EQ(parser.Evaluate("Foo(a, 'x,y', (1,2), b) + Bar() + Baz(1, g(2, 3))"), Variant(6));
  EXPECT_EQ(parser.Evaluate("A[i + 1]"), Variant(2));
  const std::vector<std::string> expected = {
      "Memo1.Left", "DWMC", "DS.\"MY FIELD\"",
      // more than three arguments: the first, the second-to-last, nothing
      "FOO|a| (1,2)|", "BAR|||", "BAZ|1| g(2, 3)|",
      "GETARRAY|A| i + 1|",
  };
  EXPECT_EQ(seen, expected);
}

TEST(Parser, IfEvaluatesOnlyTheChosenBranch) {
  TfrParser parser;
  std::vector<std::string> called;
  parser.OnFunction = [&](const std::string& name, const std::string&, const std::string&, const std::string&,
                          Variant& result) {
    called.push_back(name);
    result = Variant(name);
  };
  EXPECT_EQ(parser.Evaluate("if(1 > 2, f(1), g(2))"), Variant("G"));
  EXPECT_EQ(called, std::vector<std::string>{"G"});
}

TEST(Parser, DeepExpressionsFailInsteadOfOverrunning) {
  TfrParser parser;
  // k values pending at once: 1+(1+(1+ ... 1)).
  auto nested = [](int k) {
    std::string s;
    for (int i = 1; i < k; ++i) s += "1+(";
    s += "1";
    s.append(static_cast<std::size_t>(k - 1), ')');
    return s;
  };
  EXPECT_EQ(parser.Evaluate(nested(32)), Variant(32.0));
  try {
    parser.Evaluate(nested(33));
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), "Expression too complex: more than 32 values pending");
  }
  std::string calls = "'x'";
  for (int i = 0; i < 1000; ++i) calls = "copy(" + calls + ", 1, 1)";
  try {
    parser.Evaluate(calls);
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), "Expression nested too deeply");
  }
  EXPECT_EQ(parser.Evaluate("copy(copy('abc', 2, 2), 2, 1)"), Variant("c"));  // the counter came back down
}

TEST(Parser, GbkTrailBytesAreNoDelimiters) {
  // Double-byte characters whose trail bytes are "[" and "]" belong to the
  // name, both bare and inside a bracket.
  TfrParser parser;
  std::vector<std::string> seen;
  parser.OnGetValue = [&](const std::string& name, Variant& value) {
    seen.push_back(name);
    value = Variant(name);
  };
  const std::string name = "\x81\x5B\x81\x5D";
  EXPECT_EQ(parser.Evaluate(name + " + [" + name + "]"), Variant(name + name));
  EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
}  // namespace talven
