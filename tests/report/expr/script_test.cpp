#include "report/expr/script.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine_fixture.h"
#include "support/error_of.h"
#include "report/expr/interpreter.h"
#include "report/expr/splitter.h"

namespace talven {
namespace {

using Lines = std::vector<std::string>;

// Script texts are written with "\n" between their lines.
Lines SourceLines(std::string_view text) {
  Lines lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string_view::npos; start = nl + 1)
    lines.emplace_back(text.substr(start, nl - start));
  lines.emplace_back(text.substr(start));
  return lines;
}

struct Compiled {
  Lines code;    // compiled
  Lines listed;  // CodeLineText of every line
  std::string error;
};

Compiled Compile(std::string_view text) {
  Compiled c;
  Lines errors;
  EngineInterpreter().CompileScript(SourceLines(text), c.code, errors);
  for (const std::string& line : c.code) c.listed.push_back(CodeLineText(line));
  EXPECT_LE(errors.size(), 1u);
  if (!errors.empty()) c.error = errors[0];
  return c;
}

class Script : public EngineTest {
 protected:
  // Compiles (expecting no error) and runs the script.
  void Run(std::string_view text) {
    const Compiled c = Compile(text);
    ASSERT_EQ(c.error, "") << text;
    EngineInterpreter().RunScript(c.code);
  }
  // The engine variables as "name=text" in name order.
  static std::string Variables() {
    std::string out;
    for (int i = 0; i < EngineVariables().Count(); ++i) {
      if (!out.empty()) out += ' ';
      out += EngineVariables().NameAt(i) + "=" + EngineVariables().ValueAt(i).AsText();
    }
    return out;
  }
};

struct CompileCase {
  const char* script;
  Lines code;
  const char* error;
};

TEST_F(Script, CompilesStatementsIntoCodeLines) {
  const CompileCase cases[] = {
      {"begin i := 0; while i < 3 do i := i + 1; end",
       {"i := 0", "unless i 3 < goto 4", "i := i 1 +", "goto 1"}, ""},
      {"if [x] > 1 then Visible := False else Visible := True",
       {"unless [x] 1 > goto 3", "Visible := False", "goto 4", "Visible := True"}, ""},
      {"for n := 1 to 3 do k := k + n",
       {"n := 1", "unless n 3 <= goto 5", "k := k n +", "n := n 1 +", "goto 1"}, ""},
      {"for i:=1 to n*2 do begin end", {"i := 1", "unless i n 2 * <= goto 4", "i := i 1 +", "goto 1"}, ""},
      {"repeat k := k + 1 until k > 2", {"k := k 1 +", "unless k 2 > goto 0"}, ""},
      {"repeat until (a <> 1) or not b", {"unless a 1 <> b not or goto 0"}, ""},
      // bare names are calls with the argument 0, but only before ";", END or ELSE
      {"NewPage", {}, "Line 1/8: Need \":=\" here"},
      {"NewPage;", {"call NewPage(0)"}, ""},
      {"begin NewPage end", {"call NewPage(0)"}, ""},
      {"begin NewPage end;", {}, "Line 1/15: Need \":=\" here"},
      {"begin NewPage;NewColumn end", {"call NewPage(0)", "call NewColumn(0)"}, ""},
      {"if a then exit else NewPage;", {"unless a goto 3", "call exit(0)", "goto 4", "call NewPage(0)"}, ""},
      {"begin exit; x := 1 end", {"call exit(0)", "x := 1"}, ""},
      // keywords may follow an operand directly, but must be followed by a blank
      {"if a=1then x := 1", {"unless a 1 = goto 2", "x := 1"}, ""},
      {"begin if(a=1) then x := 1 end", {"call if(a=1)"}, "Line 1/15: Need \";\" or \"end\" here"},
      {"begin goto 10; x := 1; 10: y := 2 end", {"goto 2", "x := 1", "y := 2"}, ""},
      {"begin 5: x := x + 1; if x < 3 then goto 5 end", {"x := x 1 +", "unless x 3 < goto 3", "goto 0"}, ""},
      {"begin a[i + 1] := 5; SHOWBAND(Band1); Memo1.Visible := False end",
       {"call SETARRAY(a, i + 1, 5)", "call SHOWBAND(Band1)", "Memo1.Visible := False"}, ""},
      {"x := -f(1, 'it''s', [a b]) * not 2", {"x := f(1, 'it''s', [a b]) 2 not * neg"}, ""},
      {"x := f() + g(h(1), 2)", {"x := f() g(h(1), 2) +"}, ""},
      {"begin ; x := 1;; end", {"x := 1"}, ""},
      {"", {}, ""},
      // comments are cut out; error columns count them as written
      {"begin\n  x := 1; { note }\n  y := 2 // note\nend", {"x := 1", "y := 2"}, ""},
      {"begin x := 1 { a note } y end", {"x := 1"}, "Line 1/25: Need \";\" or \"end\" here"},
      {"begin x := 1 // note\n  y end", {"x := 1"}, "Line 2/3: Need \";\" or \"end\" here"},
      {"begin x{a}:= {b}1 end", {"x := 1"}, ""},
      // quoted text keeps what looks like a comment; double-byte characters
      // whose second byte is "{" or "}" are neither comments nor their end
      {"s:='http://host/{x}'", {"s := 'http://host/{x}'"}, ""},
      {"begin s := '\xB0\x7B' { \xB0\x7D y } end", {"s := '\xB0\x7B'"}, ""},
      // double-byte characters are letters of names, whatever their second byte
      {"\xB1\xEA\xCC\xE2Memo.Visible := \xBF\xBC\xB3\xA1", {"\xB1\xEA\xCC\xE2Memo.Visible := \xBF\xBC\xB3\xA1"}, ""},
      {"begin x\xB0\x5B := 1; \xB0\x5D(2) end", {"x\xB0\x5B := 1", "call \xB0\x5D(2)"}, ""},
      // syntax errors
      {"begin x := 1 y := 2 end", {"x := 1"}, "Line 1/14: Need \";\" or \"end\" here"},
      {"if a x := 1", {"unless a goto 65535"}, "Line 1/6: Need \"then\" here"},
      {"repeat x := 1 y", {"x := 1"}, "Line 1/15: Need \";\" or \"until\" here"},
      {"while a x := 1", {"unless a goto 65535"}, "Line 1/9: Need \"do\" here"},
      {"for i := 1 do x", {"i := 1"}, "Line 1/12: Need \"to\" here"},
      {"for i := 1 to 2 x", {"i := 1", "unless i 2 <= goto 65535"}, "Line 1/17: Need \"do\" here"},
      {"for 1 to 2 do x", {}, "Line 1/5: Need \":=\" here"},
      {"goto x", {}, "Line 1/6: \"goto\" label must be a number"},
      {"x := (1 + 2", {}, "Line 1/12: Need \")\" here"},
      {"x := [a + 1", {}, "Line 1/6: Need \"]\" here"},
      {"x := a[1", {}, "Line 1/9: Need \"]\" here"},
      {"x := f(1 2)", {}, "Line 1/10: Need \",\" or \")\" here"},
      {"x := 'abc", {}, "Line 1/6: Need \"'\" here"},
      {"begin\n  x := ;\nend", {}, "Line 2/8: Need an expression here"},
      {"x := 1; y := 2", {"x := 1"}, "Line 1/9: Need the end of the script here"},
      // the grammar lets it pass, the postfix conversion does not: the code ends before it
      {"begin x := 1; y := f([a)]) end", {"x := 1"}, "Line 1/15: Unbalanced parentheses in expression"},
  };
  for (const CompileCase& c : cases) {
    const Compiled compiled = Compile(c.script);
    EXPECT_EQ(compiled.listed, c.code) << c.script;
    EXPECT_EQ(compiled.error, c.error) << c.script;
  }

  // A long line without blanks, with a comment far into it.
  std::string terms = "x:=a", postfix = "x := a";
  for (int i = 0; i < 100; ++i) {
    terms += "+a";
    postfix += " a +";
  }
  const Compiled longLine = Compile(terms + "{note}-b");
  EXPECT_EQ(longLine.listed, Lines{postfix + " b -"});
  EXPECT_EQ(longLine.error, "");
}

TEST_F(Script, CodeLinesHoldTargetsInTwoBytesAndPostfixTexts) {
  const Compiled loop = Compile("begin i := 0; while i < 3 do i := i + 1; end");
  EXPECT_EQ(loop.code, (Lines{"i 0 ", std::string("\x01\x04\x00", 3) + "i 3 <", "i i 1 +",
                              std::string("\x02\x01\x00", 3)}));

  std::string body;
  for (int i = 0; i < 300; ++i) body += "x := 1; ";
  const Compiled wide = Compile("if c then begin " + body + "end");
  ASSERT_EQ(wide.code.size(), 301u);
  EXPECT_EQ(wide.code[0], std::string("\x01\x2D\x01", 3) + "c ");  // line 301, low byte first

  // The code list may be the source list itself.
  Lines list = {"begin", "  NewPage", "end"};
  Lines errors;
  EngineInterpreter().CompileScript(list, list, errors);
  EXPECT_EQ(list, Lines{"\x03NewPage(0)"});
  EXPECT_TRUE(errors.empty());
}

struct RunCase {
  std::map<std::string, Variant> variables;
  const char* script;
  const char* result;  // the engine variables afterwards, or the error
};

TEST_F(Script, RunsItsCode) {
  const RunCase cases[] = {
      {{}, "begin i := 0; while i < 3 do i := i + 1; end", "i=3"},
      {{{"k", 0}}, "for n := 1 to 3 do k := k + n", "k=6 n=4"},
      {{}, "for n := 1 to 3 do k := k + n", "符号没定义 \"K\""},
      {{{"k", 0}}, "repeat k := k + 1 until k > 2", "k=3"},
      {{{"k", 5}}, "repeat k := k + 1 until k > 2", "k=6"},
      {{{"x", 2}}, "if [x] > 1 then y := 'big' else y := 'small'", "x=2 y=big"},
      {{{"x", 0}}, "if [x] > 1 then y := 'big' else y := 'small'", "x=0 y=small"},
      {{}, "begin exit; x := 1 end", ""},
      {{}, "begin goto 10; x := 1; 10: y := 2 end", "y=2"},
      {{}, "begin n := 0; 1: inc(n); if n < 4 then goto 1; dec(n) end", "n=3"},
      {{}, "begin a[2] := 7; b := a[2] + 1; for a[1] := 1 to 2 do c := a[1] end",
       "Arr_a_1=3 Arr_a_2=7 b=8 c=2"},
      {{}, "begin s := copy('abcdef', 2, 3) + if(1 > 2, 'a', 'b'); Nothing := 1 end", "Nothing=1 s=bcdb"},
      {{}, "x := 'a' + 1", "Could not convert variant of type (String) into type (Double)"},
      {{}, "if 'abc' then x := 1", "Could not convert variant of type (String) into type (Double)"},
  };
  for (const RunCase& c : cases) {
    EngineVariables().Clear();
    for (const auto& [name, value] : c.variables) EngineVariables().Set(name, value);
    const Compiled compiled = Compile(c.script);
    ASSERT_EQ(compiled.error, "") << c.script;
    std::string result;
    try {
      EngineInterpreter().RunScript(compiled.code);
      result = Variables();
    } catch (const Error& e) {
      result = e.message();
    }
    EXPECT_EQ(result, c.result == std::string_view("") ? "" : Utf8ToGbk(c.result)) << c.script;
  }
}

// What an object model gives scripts: objects with properties, a current
// object, a dictionary, a dialog page, the page position and the progress
// window.
struct ModelScope : TfrPlainScope {
  std::map<std::string, std::map<std::string, Variant>> objects = {
      {"MEMO1", {{"VISIBLE", true}, {"LEFT", 10}}},
      {"MEMO2", {{"VISIBLE", true}, {"FONT.NAME", "Arial"}}},
  };
  std::string current = "MEMO2";
  std::map<std::string, Variant> dictionary = {{"TOTAL", 0}};
  Variant modalResult;
  std::vector<std::int32_t> curY;
  Lines progress;

  Variant* Property(const std::string& name) {
    const std::string n = UpperCase(name);
    std::string object = current, property = n;
    if (const std::size_t dot = n.find('.'); dot != std::string::npos && objects.count(n.substr(0, dot))) {
      object = n.substr(0, dot);
      property = n.substr(dot + 1);
    }
    auto& properties = objects[object];
    auto p = properties.find(property);
    return p == properties.end() ? nullptr : &p->second;
  }
  bool PropertyValue(const std::string& name, Variant& value) override {
    Variant* p = Property(name);
    if (p) value = *p;
    return p != nullptr;
  }
  bool SetPropertyValue(const std::string& name, const Variant& value) override {
    Variant* p = Property(name);
    if (p) *p = value;
    return p != nullptr;
  }
  bool DictionaryValue(const std::string& name, Variant& value) override {
    auto d = dictionary.find(UpperCase(name));
    if (d != dictionary.end()) value = d->second;
    return d != dictionary.end();
  }
  bool SetDictionaryValue(const std::string& name, const Variant& value) override {
    auto d = dictionary.find(UpperCase(name));
    if (d != dictionary.end()) d->second = value;
    return d != dictionary.end();
  }
  void SetModalResult(const Variant& value) override { modalResult = value; }
  void SetCurY(std::int32_t y) override { curY.push_back(y); }
  void ShowProgressText(const std::string& text) override { progress.push_back(text); }
};

class ScriptOnModel : public Script {
 protected:
  ModelScope model;
  TfrResolver modelResolver{model};
  TfrResolverBinding modelBinding{modelResolver};
};

TEST_F(ScriptOnModel, BareNamesReachTheCurrentObjectAndPointedNamesOthers) {
  EngineVariables().Set("x", 2);
  Run("if [x] > 1 then Visible := False else Visible := True");
  EXPECT_EQ(model.objects["MEMO2"]["VISIBLE"], Variant(false));
  EngineVariables().Set("x", 0);
  Run("if [x] > 1 then Visible := False else Visible := True");
  EXPECT_EQ(model.objects["MEMO2"]["VISIBLE"], Variant(true));

  Run("begin Memo1.Visible := False; Font.Name := 'Song'; inc(Memo1.Left); w := Memo1.Left * 2 end");
  EXPECT_EQ(model.objects["MEMO1"]["VISIBLE"], Variant(false));
  EXPECT_EQ(model.objects["MEMO2"]["VISIBLE"], Variant(true));
  EXPECT_EQ(model.objects["MEMO2"]["FONT.NAME"], Variant("Song"));
  EXPECT_EQ(model.objects["MEMO1"]["LEFT"], Variant(11));
  EXPECT_EQ(Variables(), "w=22 x=0");
}

TEST_F(ScriptOnModel, AssignmentsTakeTheSetterStepsInTurn) {
  EngineVariables().Set("Cury", 1);  // an engine variable comes first
  EngineVariables().Set("Total", "engine");
  Run("begin cury := 5; total := 1; Left := 3; modalResult := 1.5; CURY := 7; Progress := 'page 2'; "
      "Visible := 0; Fresh := 1 end");
  // Left is no property of the current object: a new engine variable.
  EXPECT_EQ(Variables(), "Cury=7 Fresh=1 Left=3 Total=1");
  EXPECT_EQ(model.dictionary["TOTAL"], Variant(0));  // the engine variable took it
  EXPECT_EQ(model.objects["MEMO2"]["VISIBLE"], Variant(0.0));
  EXPECT_TRUE(model.curY.empty());
  EXPECT_EQ(model.modalResult, Variant(1.5));

  EngineVariables().Clear();
  Run("begin Total := 2; CurY := 12.5; CURY := '40'; PROGRESS := 3; MODALRESULT := mrOk end");
  EXPECT_EQ(model.dictionary["TOTAL"], Variant(2.0));
  EXPECT_EQ(model.curY, (std::vector<std::int32_t>{12, 40}));
  EXPECT_EQ(model.progress, (Lines{"page 2", "3"}));
  EXPECT_EQ(model.modalResult, Variant(1));
  EXPECT_EQ(Variables(), "");
}

TEST_F(Script, LimitsEndCompilationWithAnError) {
  // 32000 bytes, a line break counting as one, is the most a script holds.
  const std::string fits = "x := 1" + std::string(32000 - 7, ' ');
  EXPECT_EQ(Compile(fits).error, "");
  const Compiled longer = Compile(fits + " ");
  EXPECT_EQ(longer.error, "Line 1/32001: Script longer than 32000 bytes");
  EXPECT_TRUE(longer.code.empty());

  std::string labels = "begin ";
  for (int i = 1; i <= 101; ++i) labels += std::to_string(i) + ": x := 1; ";
  EXPECT_EQ(Compile(labels + "1: x := 2 end").error, "");  // a label again is no new label
  const Compiled many = Compile(labels + "102: x := 2 end");
  EXPECT_EQ(many.error, "Line 1/" + std::to_string(labels.size() + 1) + ": More than 101 labels");
  EXPECT_EQ(many.code.size(), 101u);

  EXPECT_EQ(Compile("begin 12345678901234: x := 1 end").error, "");
  EXPECT_EQ(Compile("begin 123456789012345: x := 1 end").error, "Line 1/7: Label longer than 15 characters");

  // Nesting is bounded rather than left to the machine's stack.
  const std::string deep = "x := " + std::string(10000, '(') + "1" + std::string(10000, ')');
  EXPECT_EQ(Compile(deep).error, "Line 1/204: Script nested too deeply");  // at the 199th "("
  std::string blocks, ends;
  for (int i = 0; i < 60; ++i) {
    blocks += "if a then begin ";
    ends += " end";
  }
  EXPECT_EQ(Compile(blocks + "x := (((1)))" + ends).error, "");
  EXPECT_EQ(Compile(blocks + blocks).error, "Line 1/1595: Script nested too deeply");  // at the 100th BEGIN

  // A jump to a label that is nowhere ends the script there.
  const Compiled undefined = Compile("begin x := 1; goto 7; y := 1; 8: z := 1 end");
  EXPECT_EQ(undefined.error, "Line 1/20: Undefined label \"7\"");
  EXPECT_EQ(undefined.listed, (Lines{"x := 1", "goto 65535", "y := 1", "z := 1"}));
  EngineInterpreter().RunScript(undefined.code);
  EXPECT_EQ(Variables(), "x=1");
}

TEST_F(Script, MaxStepsBoundsARun) {
  struct Bound {
    std::uint64_t previous = EngineInterpreter().MaxSteps;
    ~Bound() { EngineInterpreter().MaxSteps = previous; }
  } bound;
  const Compiled loop = Compile("while 1 = 1 do i := 1");
  const Compiled two = Compile("begin a := 1; b := 2 end");
  EngineInterpreter().MaxSteps = 1000;
  EXPECT_EQ(talven::ErrorOf([&] { EngineInterpreter().RunScript(loop.code); }), "Script stopped after 1000 steps");
  EngineInterpreter().MaxSteps = 2;
  EngineInterpreter().RunScript(two.code);  // exactly the bound
  EXPECT_EQ(Variables(), "a=1 b=2 i=1");
  EngineInterpreter().MaxSteps = 1;
  EXPECT_EQ(talven::ErrorOf([&] { EngineInterpreter().RunScript(two.code); }), "Script stopped after 1 steps");
}

TEST_F(Script, CodeLeftUnfinishedByAnErrorRunsToItsEnd) {
  // The loop's jump back was never written and its test points at the end:
  // the partial code runs once instead of jumping to line 0 for ever.
  const Compiled partial = Compile("begin i := 0; while i < 3 do begin i := i + 1; y := ( end end");
  EXPECT_EQ(partial.error, "Line 1/59: Need \")\" here");
  EngineInterpreter().RunScript(partial.code);
  EXPECT_EQ(Variables(), "i=1");

  EXPECT_EQ(talven::ErrorOf([] { EngineInterpreter().RunScript({"\x01\x05"}); }),
            "Invalid script code line: a jump without its target");
}

TEST_F(Script, AggregateCallsAreFoundInEveryExpression) {
  const Compiled c =
      Compile("begin if SUM([a]) > 1 then x := MAX(b) + 1; COUNT(Band1); goto 1; 1: y := AVG([c], Band1) end");
  ASSERT_EQ(c.error, "");
  Lines found;
  TfrVariables dictionary;
  TAggregateFunctionsSplitter(found, dictionary).SplitScript(c.code);
  EXPECT_EQ(found, (Lines{"SUM([a])", "MAX(b)", "COUNT(Band1)", "AVG([c], Band1)"}));
  found.clear();
  SplitScriptExpressions(c.code, {"max"}, dictionary, found);
  EXPECT_EQ(found, Lines{"MAX(b)"});
}

}  // namespace
}  // namespace talven
