#include "report/expr/resolver.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/formatsettings.h"
#include "base/text.h"
#include "engine_fixture.h"
#include "report/expr/displayformat.h"

namespace talven {
namespace {

using Resolver = EngineTest;

TEST_F(Resolver, AsksTheHostWithTheNameAsWrittenThenEvaluates) {
  std::vector<std::string> asked;
  scope.onGetValue = [&](const std::string& name, Variant& value) {
    asked.push_back(name);
    if (name == "dwmc" || name == "DWMC") value = Variant("一中"_gbk);
  };
  EXPECT_EQ(resolver.ExpandBrackets("[dwmc]"), "一中"_gbk);
  EXPECT_EQ(asked, std::vector<std::string>{"dwmc"});
  asked.clear();
  EXPECT_EQ(resolver.ExpandBrackets("[dwmc + 'x']"), "一中"_gbk + "x");
  EXPECT_EQ(asked, (std::vector<std::string>{"dwmc + 'x'", "DWMC"}));
}

TEST_F(Resolver, SearchesInTheFixedOrder) {
  // A scope whose dictionary knows "REPORTNAME", and whose current object
  // has the property "clRed".
  struct Scope : TfrPlainScope {
    bool DictionaryValue(const std::string& name, Variant& value) override {
      if (name != "REPORTNAME") return false;
      value = Variant("dictionary");
      return true;
    }
    bool PropertyValue(const std::string& name, Variant& value) override {
      if (name != "clRed") return false;
      value = Variant("property");
      return true;
    }
    Variant SpecialValue(TfrSpecialName name) override {
      return name == TfrSpecialName::CurY ? Variant(120) : TfrPlainScope::SpecialValue(name);
    }
  } s;
  s.pageIndex = 2;
  TfrResolver r(s);
  TfrResolverBinding b(r);
  auto value = [&](const std::string& name) {
    Variant v;
    r.ResolveVariable(name, v);
    return v;
  };
  EngineVariables().Set("TOTALPAGES", 99);
  EngineVariables().Set("CURY", 7);
  EngineVariables().Set("x", 5);
  EXPECT_EQ(value("REPORTNAME"), Variant("dictionary"));  // the dictionary first
  EXPECT_EQ(value("PAGE#"), Variant(3));
  EXPECT_EQ(value("TOTALPAGES"), Variant(0));        // special names before engine variables
  EXPECT_EQ(value("CURY"), Variant(7));              // ... but not the late ones
  EXPECT_EQ(value("FREESPACE"), Variant(0));
  EXPECT_EQ(value("X"), Variant(5));                 // engine variables in any case
  EXPECT_EQ(value("clRed"), Variant("property"));    // properties before constants
  EXPECT_EQ(value("CLRED"), Variant(0x0000FF));      // constants in any case
  EXPECT_EQ(value("page#"), Variant(3));             // through evaluation: PAGE# again
  EXPECT_EQ(value("1 + x"), Variant(6.0));
  s.onGetValue = [](const std::string& name, Variant& v) {
    if (name == "x") v = Variant("host");
  };
  EXPECT_EQ(value("x"), Variant("host"));  // the host before everything
}

TEST_F(Resolver, UndefinedNamesAreNamedInUpperCase) {
  try {
    Print("Nothing + 1");
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), "符号没定义 \"NOTHING\""_gbk);
  }
  // The pending name is given back after the failure.
  EngineVariables().Set("nothing", 1);
  EXPECT_EQ(Print("Nothing + 1"), "2");
  // In registration mode an undefined name stays unassigned and brackets
  // print nothing.
  scope.registrationMode = true;
  EXPECT_EQ(Print("unknown"), "");
  EXPECT_TRUE(resolver.Value().IsUnassigned());
}

TEST_F(Resolver, SpecialNamesReadThePreparationState) {
  scope.pageIndex = 4;
  scope.runDate = EncodeDate(2024, 3, 15);
  scope.format.displayFormat = MakeDisplayFormat(fmtText, 0, 2, '.');
  EXPECT_EQ(resolver.ExpandBrackets("[PAGE#]/[page#]/[TOTALPAGES]"), "5/5/0");
  EXPECT_EQ(resolver.ExpandBrackets("[DATE]"), "2024-3-15");
  EXPECT_EQ(resolver.ExpandBrackets("[FINALPASS]"), "True");
}

TEST_F(Resolver, BracketFormatSpecifications) {
  EngineVariables().Set("x", 3.14159);
  EngineVariables().Set("d", Variant::FromDateTime(EncodeDate(2024, 3, 5)));
  EngineVariables().Set("b", true);
  EXPECT_EQ(Print("x #N##0.00"), "3.14");
  EXPECT_EQ(Print("x #N1,2"), "3,14");
  EXPECT_EQ(Print("x #1,2"), "3,14");
  EXPECT_EQ(Print("x #N0.00"), "3");  // the digits after the separator: 0 decimals
  EXPECT_EQ(Print("x #N##0,000"), "3,142");
  EXPECT_EQ(Print("d #Ddd.mm.yyyy"), "05.03.2024");
  EXPECT_EQ(Print("b #Bno;yes"), "yes");
  EXPECT_EQ(Print("x"), "3.14159");  // the object's own format: text
  EXPECT_EQ(resolver.BracketName(), "x");
  EXPECT_EQ(Settings().decimalSeparator, '.');
}

TEST_F(Resolver, HideZerosHidesNumbersOnly) {
  EngineVariables().Set("n", 0);
  EngineVariables().Set("t", "0");
  scope.format.hideZeros = true;
  EXPECT_EQ(resolver.ExpandBrackets("[n]|[t]|[0.0]|[Null]"), "|0||");
  EXPECT_EQ(resolver.Value(), Variant::Null());
  scope.format.hideZeros = false;
  EXPECT_EQ(resolver.ExpandBrackets("[n]"), "0");
}

TEST_F(Resolver, ExpandsEachBracketOnce) {
  EngineVariables().Set("x", 5);
  // Brackets nest and quoted brackets do not count; inserted text is left
  // as it is; VALUE is the last bracket's value.
  EXPECT_EQ(resolver.ExpandBrackets("a[IF(x > 1, '[x]', 'y')]b [x]=[VALUE]"), "a[x]b 5=5");
  EXPECT_EQ(resolver.ExpandBrackets("[x] and [unclosed"), "5 and [unclosed");
  EXPECT_EQ(resolver.ExpandBrackets("no brackets"), "no brackets");
}

TEST_F(Resolver, MemoLinesBreakAtLineBreaksInValues) {
  EngineVariables().Set("two", "first\r\nsecond");
  EngineVariables().Set("empty", "");
  const std::vector<std::string> memo = {"[two]", "", "[empty]", "end: [two]\r\n"};
  EXPECT_EQ(resolver.ExpandMemo(memo, false),
            (std::vector<std::string>{"first", "second", "", "", "end: first", "second"}));
  EXPECT_EQ(resolver.ExpandMemo({"[dwmc]"}, true), std::vector<std::string>{"[dwmc]"});
  // Values that are nothing but line breaks break the line too.
  EngineVariables().Set("breaks", "\r\n\r\n");
  EXPECT_EQ(resolver.ExpandMemo({"a[CRLF]b"}, false), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(resolver.ExpandMemo({"a[breaks]b"}, false), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(resolver.ExpandMemo({"[breaks]", "c"}, false), (std::vector<std::string>{"", "", "c"}));
}

}  // namespace
}  // namespace talven
