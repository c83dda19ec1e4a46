#include "report/expr/functions.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/text.h"
#include "base/ui.h"
#include "engine_fixture.h"

namespace talven {
namespace {

using Functions = EngineTest;

TEST_F(Functions, StandardLibrary) {
  struct Case {
    std::string expression;
    Variant expected;
  };
  const Case cases[] = {
      {"FORMATFLOAT('#,##0.00', 1234.5)", Variant("1,234.50")},
      {"POS('b', 'abc')", Variant(2)},
      {"POS('x', 'abc')", Variant(0)},
      {"NAMECASE('hELLO wORLD')", Variant("Hello world")},
      {"NAMECASE('')", Variant("")},
      {"MAXNUM(2, 3)", Variant(3.0)},
      {"MINNUM(2, 2)", Variant(2.0)},
      {"MINNUM('b', 'a')", Variant("a")},
      {"LENGTH('汉字')"_gbk, Variant(4)},
      {"UPPERCASE('ab汉c')"_gbk, Variant("AB汉C"_gbk)},
      {"LOWERCASE('AB')", Variant("ab")},
      {"TRIM('  a b \t')", Variant("a b")},
      {"DAYOF(STRTODATE('2024-3-15'))", Variant(15)},
      {"MONTHOF('2024-3-15')", Variant(3)},
      {"YEAROF(STRTODATE('2024-3-15') + 1)", Variant(2024)},
      {"FORMATDATETIME('yyyy.mm.dd', STRTODATE('2024-3-15'))", Variant("2024.03.15")},
      {"FORMATTEXT('000-0000', '1234567')", Variant("123-4567")},
      {"FORMATTEXT('(000) 00', 12)", Variant("(12 )   ")},
      {"formatfloat('0.0', 2.25) + 'x'", Variant("2.3x")},
  };
  for (const Case& c : cases) {
    try {
      EXPECT_EQ(Eval(c.expression), c.expected) << c.expression;
    } catch (const Error& e) {
      ADD_FAILURE() << c.expression << ": " << e.message();
    }
  }
  EXPECT_EQ(ErrorOf("DAYOF('abc')"), "'abc' is not a valid date and time");
}

TEST_F(Functions, InputAndMessageBoxGoThroughTheUi) {
  RecordingUi ui;
  UiScope use(ui);
  ui.inputAnswers = {std::string("Li"), std::nullopt};
  ui.answers = {IDYES};
  EXPECT_EQ(Eval("INPUT('Name?', 'x')"), Variant("Li"));
  EXPECT_EQ(Eval("INPUT('Name?', 'x')"), Variant("x"));  // cancelled: the default
  EXPECT_EQ(ui.inputs[0].caption, "");
  EXPECT_EQ(ui.inputs[0].prompt, "Name?");
  EXPECT_EQ(Eval("MESSAGEBOX('Sure?', 'Q', mb_YesNo + mb_IconQuestion)"), Variant(IDYES));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Sure?");
  EXPECT_EQ(ui.boxes[0].flags, MB_YESNO | MB_ICONQUESTION);
}

TEST_F(Functions, ArraysLiveInEngineVariables) {
  EXPECT_EQ(Eval("SETARRAY(A, 1, 5)"), Variant("0"));
  EXPECT_EQ(Eval("GETARRAY(A, 1)"), Variant(5.0));
  EXPECT_EQ(Eval("A[1] + A[0.6 + 0.4]"), Variant(10.0));
  EXPECT_EQ(EngineVariables().Get("Arr_A_1"), Variant(5.0));
  Eval("SETARRAY('A', 1, 6)");  // the name is the argument text, quotes and all
  EXPECT_EQ(EngineVariables().Get("Arr_'A'_1"), Variant(6.0));
  Eval("SETARRAY(A, 'key', 'v')");
  EXPECT_EQ(EngineVariables().Get("Arr_A_key"), Variant("v"));
  EXPECT_EQ(Eval("GETARRAY(B, 1)"), Variant::Null());
}

TEST_F(Functions, IncAndDecStoreThroughTheScope) {
  EngineVariables().Set("n", 1);
  Eval("INC(n)");
  Eval("INC( n )");
  EXPECT_EQ(EngineVariables().Get("n"), Variant(3));
  Eval("DEC(n)");
  EXPECT_EQ(EngineVariables().Get("n"), Variant(2));
  EXPECT_EQ(ErrorOf("INC(k)"), "符号没定义 \"K\""_gbk);
}

// A library of its own: SHOUT(text) gives the text in capitals.
class ShoutLibrary : public TfrFunctionLibrary {
 public:
  static constexpr const char* kClassName = "ShoutLibrary";
  ShoutLibrary() {
    AddFunction("SHOUT");
    AddFunctionDesc("SHOUT", "Text", "SHOUT(<text>) in capitals");
  }
  void DoFunction(int, const std::string& p1, const std::string&, const std::string&, Variant& result) override {
    result = Variant(UpperCase(EngineParser().Evaluate(p1).AsText()) + "!");
  }
};

TEST_F(Functions, DispatchOffersLibrariesThenTheReportThenTheHost) {
  std::vector<std::string> user;
  scope.onUserFunction = [&](const std::string& name, const std::string& p1, const std::string&, const std::string&,
                             Variant& result) {
    user.push_back(name + ":" + result.AsText());
    if (name == "MINE") result = Variant(p1);
  };
  const std::size_t before = FunctionLibraries().Count();
  FunctionLibraries().Register<ShoutLibrary>();
  FunctionLibraries().Register<ShoutLibrary>();  // one instance per class
  EXPECT_EQ(FunctionLibraries().Count(), before + 1);
  EXPECT_EQ(Eval("shout('hi')"), Variant("HI!"));
  EXPECT_EQ(FunctionLibraries().Installed().size(), 1u);
  EXPECT_EQ(Eval("MINE(abc)"), Variant("abc"));
  EXPECT_EQ(Eval("NOBODY(1)"), Variant("0"));  // nobody handles it: "0"
  EXPECT_EQ(Eval("SETARRAY(Z, 1, 2)"), Variant("0"));  // the report's own, then the host too
  FunctionLibraries().Unregister<ShoutLibrary>();
  EXPECT_EQ(FunctionLibraries().Count(), before);
  EXPECT_EQ(Eval("SHOUT('hi')"), Variant("0"));
  // The host hears about every call the libraries did not take, with the
  // result so far.
  EXPECT_EQ(user, (std::vector<std::string>{"MINE:0", "NOBODY:0", "SETARRAY:0", "SHOUT:0"}));
}

TEST_F(Functions, TheLibraryTableHoldsAtMost64) {
  std::vector<std::string> names;
  const std::size_t before = FunctionLibraries().Count();
  for (std::size_t i = before; i < TfrFunctionLibraries::kMaxLibraries; ++i) {
    names.push_back("Library" + std::to_string(i));
    FunctionLibraries().Register(names.back(), [] { return std::make_unique<ShoutLibrary>(); });
  }
  EXPECT_THROW(FunctionLibraries().Register("OneTooMany", [] { return std::make_unique<ShoutLibrary>(); }), Error);
  for (const std::string& n : names) FunctionLibraries().Unregister(n);
  EXPECT_EQ(FunctionLibraries().Count(), before);
}

TEST_F(Functions, AggregatesReachTheScope) {
  struct Scope : TfrPlainScope {
    void Aggregate(TfrAggregateKind kind, const std::string& p1, const std::string& p2, const std::string& p3,
                   Variant& result) override {
      calls.push_back(std::string(1, static_cast<char>('0' + static_cast<int>(kind) - 10)) + "|" + p1 + "|" + p2 +
                      "|" + p3 + "|" + result.AsText());
      result = Variant(42);
    }
    std::vector<std::string> calls;
  } s;
  TfrResolver r(s);
  TfrResolverBinding b(r);
  EXPECT_EQ(Eval("SUM([x], MasterData1, 1) + count(MasterData1)"), Variant(84));
  EXPECT_EQ(s.calls, (std::vector<std::string>{"1|[x]| MasterData1| 1|0", "5|MasterData1|||0"}));
}

}  // namespace
}  // namespace talven
