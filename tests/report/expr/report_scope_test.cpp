// Resolution over a real report: the host's events, the dictionary, data
// fields, special names from the engine state, objects in names, the
// report's functions, aggregates and memo expansion.
#include "report/expr/report_scope.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "base/datetime.h"
#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "engine_fixture.h"
#include "report/engine/datasets.h"
#include "report/expr/displayformat.h"
#include "report/expr/functions.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/memory_data_set.h"
#include "report/model/band.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/variables.h"

namespace talven {
namespace {

using testing::MemoryDataSet;

class ReportScope : public ::testing::Test {
 protected:
  ReportScope() {
    EngineState().Reset();
    EngineVariables().Clear();
    form.Insert(report);
    EngineState().CurrentReport = &report;
    report.InFinalPass = true;
    memo1 = &AddMemo("Memo1");
    EngineState().CurrentObject = memo1;
  }
  ~ReportScope() override {
    EngineState().Reset();
    EngineVariables().Clear();
    ReportHooks() = TfrReportHooks{};
  }

  TfrMemoView& AddMemo(const std::string& name, int page = 0) {
    while (report.TemplatePages.Count() <= page) report.TemplatePages.Add();
    auto memo = std::make_unique<TfrMemoView>();
    memo->Name = name;
    return dynamic_cast<TfrMemoView&>(report.TemplatePages[page].Add(std::move(memo)));
  }

  // The output lines of memo1 holding these lines.
  std::vector<std::string> Expand(std::vector<std::string> lines) {
    memo1->Memo = std::move(lines);
    binding->Scope().ExpandMemo(*memo1);
    return memo1->OutputText;
  }
  // One memo line as it prints.
  std::string Line(const std::string& line) {
    std::string out;
    for (const std::string& l : Expand({line})) out += (out.empty() ? "" : "|") + l;
    return out;
  }
  Variant Eval(const std::string& expression) { return EngineParser().Evaluate(expression); }
  std::string ErrorOf(const std::string& line) {
    try {
      Line(line);
    } catch (const Error& e) {
      return e.message();
    }
    return "(no error)";
  }
  void Bind() { binding = std::make_unique<TfrReportBinding>(report); }

  TfrComponentOwner form{"Form1"};
  TfrReport report;
  TfrMemoView* memo1 = nullptr;
  std::unique_ptr<TfrReportBinding> binding = std::make_unique<TfrReportBinding>(report);
};

TEST_F(ReportScope, TheHostIsAskedWithTheNameAsWritten) {
  std::vector<std::string> asked;
  report.OnGetValue = [&](const std::string& name, Variant& value) {
    asked.push_back(name);
    if (name == "dwmc" || name == "DWMC") value = Variant("一中"_gbk);
  };
  EXPECT_EQ(Line("[dwmc]"), "一中"_gbk);
  EXPECT_EQ(asked, std::vector<std::string>{"dwmc"});
  asked.clear();
  EXPECT_EQ(Line("[dwmc + 'x']"), "一中x"_gbk);
  EXPECT_EQ(asked, (std::vector<std::string>{"dwmc + 'x'", "DWMC"}));
}

TEST_F(ReportScope, SpecialNamesReadTheEngineState) {
  PrepareState& state = EngineState();
  TfrPage& page = report.TemplatePages[0];
  page.PaperWidth = 2100;
  page.RightMargin = 20;
  page.PrintY = 100;
  page.BottomY = 1000;
  page.CrossColumn = 3;
  page.PagePosition = 7;
  // LINE# of a band without a dataset is the first band's of its kind.
  TfrUserDataset data;
  TfrBand first(btMasterData, &page), second(btMasterData, &page);
  first.BandDataset = &data;
  first.LineNo = 4;
  first.LineThroughNo = 9;
  second.PrevBand = &first;
  second.LineNo = 1;
  state.CurrentPage = &page;
  state.CurrentBand = &second;
  state.PageIndex = 1;
  state.RunDate = EncodeDate(2024, 3, 15);
  report.Info.InfoName = "Sheet";
  report.Info.InfoVersionMajor = "3";
  struct Case {
    const char* line;
    const char* printed;
  };
  for (const Case& c : {
           Case{"[PAGE#]/[page#]", "2/2"},
           Case{"[TOTALPAGES]", "0"},  // a single pass
           Case{"[LINE#] [LINETHROUGH#]", "4 9"},
           Case{"[COLUMN#] [CURRENT#]", "3 7"},
           Case{"[CURY] [FREESPACE] [PAGEHEIGHT] [PAGEWIDTH]", "100 900 1000 736"},
           Case{"[REPORTNAME] [VMAJOR] [FINALPASS]", "Sheet 3 True"},
           Case{"[DATE]", "2024-3-15"},
       })
    EXPECT_EQ(Line(c.line), c.printed) << c.line;
  // PAGEWIDTH is the right limit: the printable area's edge without a right
  // margin, the whole sheet when the page is fitted to the printable area.
  page.PrinterMetrics.PaperWidthUnits = 760;
  page.PrinterMetrics.OffsetXUnits = 10;
  page.PrinterMetrics.PrintWidthUnits = 700;
  for (auto [margin, keep, width] : {std::tuple{20, true, 740}, {0, true, 710}, {20, false, 760}}) {
    page.RightMargin = margin;
    page.KeepMargins = keep;
    EXPECT_EQ(Eval("PAGEWIDTH"), Variant(width)) << margin << keep;
  }
  // A band with a dataset counts for itself.
  state.CurrentBand = &first;
  EXPECT_EQ(Line("[LINE#]"), "4");
  state.TotalPages = 5;
  EXPECT_EQ(Line("[TOTALPAGES]"), "5");
}

TEST_F(ReportScope, MemoOutputLines) {
  EngineVariables().Set("two", "first\r\nsecond");
  EngineVariables().Set("n", 0);
  EngineVariables().Set("t", "0");
  EXPECT_EQ(Expand({"[two]", "", "a [two] b"}), (std::vector<std::string>{"first", "second", "", "a first", "second b"}));
  memo1->SetFlag(flHideZeros, true);
  EXPECT_EQ(Line("[n]|[t]"), "|0");
  memo1->SetFlag(flTextOnly, true);
  EXPECT_EQ(Line("[dwmc]"), "[dwmc]");
  memo1->Flags = flStretched;
  // The memo's own display format.
  memo1->DisplayFormat = MakeDisplayFormat(fmtNumber, 1, 2, ',');
  EngineVariables().Set("x", 1234.5);
  EXPECT_EQ(Line("[x]"), "1234,50");
  // The engine's function for the band engine works on the bound report.
  TfrMemoView& other = AddMemo("Memo2");
  other.Memo = {"[x #N##0.0]"};
  ExpandMemoView(other);
  EXPECT_EQ(other.OutputText, std::vector<std::string>{"1234.5"});
  EXPECT_EQ(EngineState().CurrentObject, &other);
}

TEST_F(ReportScope, ObjectPropertiesInNames) {
  TfrMemoView& memo2 = AddMemo("Memo2");
  memo2.Visible = false;
  memo2.Font.Name = "SimSun";
  AddMemo("Page1Title", 1).Tag = "title";
  report.TemplatePages[1].PaperHeight = 2970;
  memo1->Left = 12;
  struct Case {
    const char* line;
    const char* printed;
  };
  for (const Case& c : {
           Case{"[Memo2.Visible] [MEMO2.FONT.NAME]", "False SimSun"},
           Case{"[memo2.visible + 0]", "0"},  // through evaluation, in upper case
           Case{"[Font.Name] [Left] [Font.Size]", "Arial 12 10"},  // the current object
           Case{"[PAGE2.Height] [page1.Name]", "1069 Page1"},
           Case{"[Page1Title.Tag]", "title"},  // an object named like a page
       })
    EXPECT_EQ(Line(c.line), c.printed) << c.line;
  EXPECT_EQ(ErrorOf("[Memo2.Nothing]"), "符号没定义 \"MEMO2.NOTHING\""_gbk);
  EXPECT_EQ(ErrorOf("[Page9.Height]"), "符号没定义 \"PAGE9.HEIGHT\""_gbk);
}

TEST_F(ReportScope, ArraysOnIndexedProperties) {
  TfrMemoView& memo2 = AddMemo("Memo2");
  memo2.Memo = {"a", "b"};
  Eval("SETARRAY(Memo2.Lines, 1, 'x' + 'y')");
  EXPECT_EQ(memo2.Memo, (std::vector<std::string>{"a", "xy"}));
  EXPECT_EQ(Eval("GETARRAY(Memo2.Lines, 0) + Memo2.Lines[1]"), Variant("axy"));
  EXPECT_THROW(Eval("SETARRAY(Memo2.Lines, 5, 1)"), Error);
  // Names without a point stay engine variables.
  Eval("SETARRAY(A, 1, 5)");
  EXPECT_EQ(EngineVariables().Get("Arr_A_1"), Variant(5.0));
}

TEST_F(ReportScope, ReportFunctionsAndObjectMethods) {
  TfrPage& page = report.TemplatePages[0];
  TfrBandView bandView;
  bandView.Name = "Summary1";
  TfrBand title(btReportTitle, &page), summary(btReportSummary, &page), data(btMasterData, &page);
  summary.BandView = &bandView;
  page.KindBands[btReportTitle] = &title;
  page.KindBands[btReportSummary] = &summary;
  EngineState().CurrentPage = &page;
  EngineState().CurrentBand = &data;
  std::vector<TfrBand*> shown;
  ReportHooks().ShowBand = [&](TfrBand& band) { shown.push_back(&band); };

  Eval("NEWPAGE(0) + NEWPAGE(0) + NEWCOLUMN(0)");
  EXPECT_EQ(data.NewPageRequests, 2);
  EXPECT_EQ(data.NewColumnRequests, 1);
  Eval("SHOWBAND(summary1)");
  Eval("SHOWBAND(Nothing)");
  EXPECT_EQ(shown, std::vector<TfrBand*>{&summary});
  EXPECT_FALSE(report.Cancelled);
  Eval("STOPREPORT(0)");
  EXPECT_TRUE(report.Cancelled);

  // Methods: of a named object, or of the current object; the host hears
  // about them after.
  std::vector<std::string> user;
  report.OnUserFunction = [&](const std::string& name, const Variant& p1, const Variant&, const Variant&,
                              Variant& result) { user.push_back(name + ":" + p1.AsText() + ":" + result.AsText()); };
  TfrMemoView& memo2 = AddMemo("Memo2");
  Eval("MEMO2.LINES.ADD('one' + 'two')");
  EXPECT_EQ(memo2.Memo, std::vector<std::string>{"onetwo"});
  Eval("HIDE(0)");
  EXPECT_FALSE(memo1->Visible);
  EXPECT_TRUE(Eval("NOSUCHMETHOD(1)").IsUnassigned());  // what CallMethod leaves
  EngineState().CurrentObject = nullptr;
  EXPECT_EQ(Eval("NOSUCHMETHOD(1)"), Variant("0"));  // no object to receive it
  EXPECT_EQ(user, (std::vector<std::string>{"MEMO2.LINES.ADD:'one' + 'two':", "HIDE:0:", "NOSUCHMETHOD:1:",
                                            "NOSUCHMETHOD:1:0"}));
}

TEST_F(ReportScope, ScriptValuesGoWhereTheirNamesPoint) {
  TfrResolveScope& scope = binding->Scope();
  RecordingUi ui;
  UiScope uiScope(ui);
  EngineVariables().Set("n", 1);
  Eval("INC(n)");
  EXPECT_EQ(EngineVariables().Get("n"), Variant(2));
  // A dictionary variable takes the value, before any object property.
  report.Dictionary.VariableList.Set("Left", "1 + 1");
  scope.SetScriptValue("left", 5);
  EXPECT_EQ(report.Dictionary.VariableList.Get("Left"), Variant(5));
  EXPECT_EQ(memo1->Left, 0);
  report.Dictionary.VariableList.Clear();
  // Properties of named objects and of the current object.
  memo1->Left = 10;
  Eval("DEC(Memo1.Left)");
  EXPECT_EQ(memo1->Left, 9);
  scope.SetScriptValue("Visible", false);
  EXPECT_FALSE(memo1->Visible);
  // CURY moves the page's position; after a page break request the band
  // engine is told to put it back.
  TfrPage& page = report.TemplatePages[0];
  TfrBand band(5, &page);
  EngineState().CurrentPage = &page;
  EngineState().CurrentBand = &band;
  scope.SetScriptValue("CurY", 120.4);
  EXPECT_EQ(page.PrintY, 120);
  EXPECT_FALSE(band.RestoreY);
  band.NewPageRequests = 1;
  scope.SetScriptValue("cury", 40);
  EXPECT_TRUE(band.RestoreY);
  // MODALRESULT only on a dialog page; PROGRESS through the Ui.
  scope.SetScriptValue("ModalResult", 1);
  EXPECT_EQ(page.ModalResult, 0);
  page.Type = ptDialog;
  scope.SetScriptValue("MODALRESULT", 2);
  EXPECT_EQ(page.ModalResult, 2);
  scope.SetScriptValue("Progress", "page 3");
  EXPECT_EQ(ui.progressTexts, std::vector<std::string>{"page 3"});
  // Anything else becomes an engine variable.
  scope.SetScriptValue("fresh", "x");
  EXPECT_EQ(EngineVariables().Get("FRESH"), Variant("x"));
}

TEST_F(ReportScope, CalcWidthMeasuresTheExpandedText) {
  memo1->Width = 80;
  EngineVariables().Set("x", "wide");
  EXPECT_EQ(Line("[CALCWIDTH]"), "80");  // no text layout: the design width
  std::vector<TfrStrings> measured;
  ReportHooks().MemoWidth = [&](TfrMemoView&, const TfrStrings& lines) {
    measured.push_back(lines);
    return 10 * static_cast<int>(lines.front().size());
  };
  memo1->Memo = {"[x]!"};
  EXPECT_EQ(Eval("CALCWIDTH"), Variant(50));
  // A memo that prints its own width measures the rest with its design width.
  EXPECT_EQ(Line("[CALCWIDTH]"), "20");
  EXPECT_EQ(measured.back(), TfrStrings{"80"});
  EngineState().CurrentObject = nullptr;
  EXPECT_EQ(Eval("CALCWIDTH"), Variant(0));
}

class DataFields : public ReportScope {
 protected:
  DataFields() {
    db.Name = "Data1";
    db.SetDataSet(&table);
    form.Insert(db);
  }
  MemoryDataSet table{"Table1",
                      {{"xm", TfrFieldKind::Text},
                       {"n", TfrFieldKind::Integer},
                       {"big", TfrFieldKind::LargeInt},
                       {"ok", TfrFieldKind::Boolean},
                       {"x m", TfrFieldKind::Text}},
                      {{Variant("张三"_gbk), Variant(1), Variant(std::int64_t{1} << 40), Variant(true), Variant("a")},
                       {Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()}}};
  TfrDBDataSet db;
};

TEST_F(DataFields, FieldsOfDatasetsByReference) {
  EXPECT_EQ(Line("[Data1.xm] [data1.N] [Data1.big] [Data1.ok] [Data1.\"x m\"]"), "张三 1 1099511627776 True a"_gbk);
  EXPECT_EQ(table.opens, 1);  // opened on first need
  EXPECT_EQ(Eval("[Data1.big]"), Variant("1099511627776"));  // 64-bit integers as their text
  // The current row each time; null as "", 0 and false by the field's kind.
  table.row_ = 1;
  EXPECT_EQ(Eval("[Data1.xm]"), Variant(""));
  EXPECT_EQ(Eval("[Data1.n]"), Variant(0));
  EXPECT_EQ(Eval("[Data1.ok]"), Variant(false));
  EXPECT_EQ(Eval("[Data1.big]"), Variant(0));
  EXPECT_EQ(report.Dictionary.Cache.count("DATA1.XM"), 1u);

  // Owner prefixes: a registered form, or a form and a data module.
  TfrComponentOwner module{"DataModule1"};
  RegisterOwner(form);
  RegisterOwner(module);
  TfrDBDataSet db2("Data2");
  db2.SetDataSet(&table);
  module.Insert(db2);
  table.row_ = 0;
  EXPECT_EQ(Line("[Form1.Data1.n] [DataModule1.Data2.n] [Form1.DataModule1.Data2.n]"), "1 1 1");
  UnregisterOwner(form);

  // A plain name: a field of the current band's database dataset.
  TfrUserDataset user;
  TfrBand band(btMasterData, &report.TemplatePages[0]);
  band.BandDataset = &db;
  EngineState().CurrentBand = &band;
  EXPECT_EQ(Line("[xm]"), "张三"_gbk);
  EXPECT_EQ(report.Dictionary.Cache.count("XM"), 0u);
  band.BandDataset = &user;  // a user dataset has no fields
  EXPECT_EQ(ErrorOf("[xm]"), "符号没定义 \"XM\""_gbk);
}

TEST_F(DataFields, DictionaryVariablesAndAliases) {
  TfrDataDictionary& d = report.Dictionary;
  d.VariableList.Set("Total", "[Data1.n] + 1");
  d.VariableList.Set("Name", "Data1.xm");
  d.VariableList.Set("Path", "unused");
  d.VariableList.Set("Count", 3);
  d.VariableList.Set(" Heading", "");
  d.FieldAliasList.Set("姓名"_gbk, "Data1.xm");
  d.FieldAliasList.Set("考生"_gbk, "Data1");
  EngineVariables().Set("path", "/photos");
  EXPECT_EQ(Line("[Total] [Name] [Path] [Count]"), "2 张三 /photos 3"_gbk);
  EXPECT_EQ(d.Cache.count("NAME"), 1u);  // a variable naming a field is remembered as it
  EXPECT_EQ(d.Cache.count("TOTAL"), 0u);
  EXPECT_EQ(Line("[姓名] [考生.n] [total * 2]"_gbk), "张三 1 4"_gbk);
  EXPECT_EQ(ErrorOf("[ Heading]"), "符号没定义 \"HEADING\""_gbk);
  // A variable whose expression leads back to itself fails clearly.
  d.VariableList.Set("Loop", "Loop + 1");
  EXPECT_EQ(ErrorOf("[Loop]"), "Expression nested too deeply");
  // The binding forgets the remembered fields.
  binding.reset();
  EXPECT_TRUE(d.Cache.empty());
}

TEST_F(DataFields, FieldIsNull) {
  report.Dictionary.FieldAliasList.Set("Ok", "Data1.ok");
  TfrBand band(btMasterData, &report.TemplatePages[0]);
  EngineState().CurrentBand = &band;
  struct Case {
    int row;
    const char* expression;
    bool isNull;
  };
  for (const Case& c : {
           Case{0, "FIELDISNULL('Data1.xm')", false},
           Case{1, "FIELDISNULL('Data1.xm')", true},
           Case{1, "FIELDISNULL('Ok')", true},
           Case{0, "FIELDISNULL('No.xm')", true},  // no dataset
           Case{0, "FIELDISNULL('n')", true},      // the band has no dataset
       }) {
    table.row_ = c.row;
    EXPECT_EQ(Eval(c.expression), Variant(c.isNull)) << c.expression;
  }
  band.BandDataset = &db;
  EXPECT_EQ(Eval("FIELDISNULL('n')"), Variant(false));
  EXPECT_THROW(Eval("FIELDISNULL('Data1.nothing')"), Error);
  // Registered right after the standard library.
  EXPECT_EQ(FunctionLibraries().ClassNameAt(0), TfrStdFunctionLibrary::kClassName);
  EXPECT_EQ(FunctionLibraries().ClassNameAt(1), "TDatabaseFunctionLibrary");
}

TEST_F(ReportScope, UndefinedNamesAndRegistrationMode) {
  EXPECT_EQ(ErrorOf("[Nothing + 1]"), "符号没定义 \"NOTHING\""_gbk);
  EngineState().RegistrationMode = true;
  EXPECT_EQ(Line("[Nothing + 1]"), "");
}

class Aggregates : public ReportScope {
 protected:
  Aggregates() {
    masterData.Name = "MasterData1";
    detailData.Name = "DetailData1";
    footer.Name = "MasterFooter1";
  }
  // Evaluates every call on the footer, in registration mode for a target.
  std::vector<Variant> Run(const std::vector<std::string>& calls) {
    EngineState().CurrentBand = &footer;
    std::vector<Variant> out;
    for (const std::string& call : calls) out.push_back(Eval(call));
    return out;
  }
  static std::string Key(const std::string& band, char kind, const std::string& argument, const std::string& flags) {
    return band + "\x01" + std::string(1, kind) + "\x01" + argument + "\x01" + flags + "\x01";
  }
  TfrPage& page = report.TemplatePages[0];
  TfrBand masterData{btMasterData, &page}, detailData{btDetailData, &page}, footer{btMasterFooter, &page};
};

TEST_F(Aggregates, RegistrationRegistersOnTheTargetBand) {
  const std::vector<std::string> calls = {"SUM([x])", "MIN([x], MasterData1)", "COUNT( masterdata1 , 1)",
                                          "MAX([x], DetailData1)", "AVG([x])"};
  EngineState().RegistrationMode = true;
  EngineState().AggregateTarget = &masterData;
  EXPECT_EQ(Run(calls), std::vector<Variant>(5, Variant("0")));  // no values meanwhile, no names resolved
  const TfrVariables& a = masterData.Aggregates;
  EXPECT_EQ(a.Count(), 4);
  EXPECT_EQ(a.Get(Key("MasterFooter1", 11, "[x]", "")), Variant(0));
  EXPECT_EQ(a.Get(Key("MasterFooter1", 12, "[x]", "")), Variant(1e300));
  EXPECT_EQ(a.Get(Key("MasterFooter1", 15, " masterdata1 ", " 1")), Variant(0));
  EXPECT_EQ(a.Get(Key("MasterFooter1", 14, "[x]", "")), Variant(0));
  EXPECT_EQ(footer.AggregateSource, &masterData);
  // The detail data band as target takes only the call that names it.
  EngineState().AggregateTarget = &detailData;
  Run(calls);
  EXPECT_EQ(detailData.Aggregates.Count(), 1);
  EXPECT_EQ(detailData.Aggregates.NameAt(0), Key("MasterFooter1", 13, "[x]", ""));
}

TEST_F(Aggregates, OutsideRegistrationTheStoredValuesAnswer) {
  footer.AggregateSource = &masterData;
  masterData.Aggregates.Set(Key("MasterFooter1", 11, "[x]", ""), 12.5);
  masterData.Aggregates.Set(Key("MasterFooter1", 14, "[x]", ""), 10.0);
  masterData.Aggregates.Set(Key("MasterFooter1", 15, "MasterData1", ""), 4);
  masterData.AggregateCount = 4;
  EXPECT_EQ(Run({"SUM([x])", "AVG([x])", "COUNT(MasterData1)", "MIN([x])"}),
            (std::vector<Variant>{Variant(12.5), Variant(2.5), Variant(4), Variant("0")}));
  masterData.AggregateCount = 0;
  EXPECT_EQ(Run({"AVG([x])"}), std::vector<Variant>{Variant(0.0)});
  footer.AggregateSource = nullptr;
  EXPECT_EQ(Run({"SUM([x])"}), std::vector<Variant>{Variant("0")});
}

TEST_F(Aggregates, CrossTabCellsKeepOneAccumulatorPerColumn) {
  // A footer row whose object also lies in the cross data column.
  TfrBand cross(btCrossData, &page);
  cross.Name = "CrossData1";
  memo1->ParentBand = &cross;
  footer.Objects.push_back(memo1);
  EngineState().RegistrationMode = true;
  EngineState().AggregateTarget = &masterData;
  Run({"SUM([x])"});
  EXPECT_EQ(masterData.Aggregates.NameAt(0), "0\x01" + Key("MasterFooter1", 11, "[x]", ""));
  // Printing the cell of column 2: the cross data band prints for the row.
  EngineState().RegistrationMode = false;
  masterData.Aggregates.Set("2\x01" + Key("MasterFooter1", 11, "[x]", ""), 7);
  page.CrossColumn = 2;
  EngineState().CurrentPage = &page;
  cross.AggregateSource = &footer;
  EngineState().CurrentBand = &cross;
  EXPECT_EQ(Eval("SUM([x])"), Variant(7));
}

TEST_F(ReportScope, BindingStartsTheEngineAndGivesTheParserBack) {
  binding.reset();
  Hooks() = EngineHooks{};
  EngineParser().OnGetValue = [](const std::string&, Variant& v) { v = Variant("before"); };
  Bind();
  EngineVariables().Set("x", 2);
  // The model evaluates method arguments through the engine now.
  TfrMemoView& memo2 = AddMemo("Memo2");
  memo2.CallMethod("LINES.ADD", Variant("x * 3"), Variant(), Variant());
  EXPECT_EQ(memo2.Memo, std::vector<std::string>{"6"});
  ASSERT_TRUE(Hooks().ToPostfix);
  EXPECT_EQ(Hooks().ToPostfix("1 + 2"), EngineParser().ToPostfix("1 + 2"));
  binding.reset();
  EXPECT_EQ(Eval("anything"), Variant("before"));
  EngineParser().OnGetValue = nullptr;
  Bind();
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

// Object scripts run over the report being prepared: bare names are
// properties of the current object, dotted names reach named objects.
TEST_F(ReportScope, ScriptsReachTheReportsObjects) {
  TfrMemoView& memo2 = AddMemo("Memo2");
  const auto run = [&](std::vector<std::string> source) {
    std::vector<std::string> code, errors;
    EngineInterpreter().CompileScript(source, code, errors);
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors[0]);
    EngineInterpreter().RunScript(code);
  };
  EngineVariables().Set("a", 1);
  run({"if a = 1 then Visible := False else Memo2.Visible := False"});
  EXPECT_FALSE(memo1->Visible);
  EXPECT_TRUE(memo2.Visible);
  memo1->Visible = true;
  EngineVariables().Set("a", 2);
  run({"if a = 1 then Visible := False else Memo2.Visible := False"});
  EXPECT_TRUE(memo1->Visible);
  EXPECT_FALSE(memo2.Visible);
  run({"begin", "  Memo1.Visible := False;", "  Memo2.Memo := 'set by ' + Name", "end"});
  EXPECT_FALSE(memo1->Visible);
  EXPECT_EQ(memo2.Memo, std::vector<std::string>{"set by Memo1"});
  run({"begin inc(Memo1.Left); total := Memo1.Left * 2 end"});
  EXPECT_EQ(memo1->Left, 1);
  EXPECT_EQ(EngineVariables().Get("total"), Variant(2.0));
}

// A script that never ends stops when the preparation is cancelled: the
// cancel check lets window events run (where a cancel button is pressed) and
// reads the report's flag, also when the script itself calls STOPREPORT.
TEST_F(ReportScope, RunawayScriptsStopWhenThePreparationIsCancelled) {
  const auto run = [&](std::vector<std::string> source) {
    std::vector<std::string> code, errors;
    EngineInterpreter().CompileScript(source, code, errors);
    ASSERT_TRUE(errors.empty()) << errors[0];
    EngineInterpreter().RunScript(code);
  };
  int events = 0;
  ReportHooks().ProcessMessages = [&] {
    if (++events == 3) report.Cancelled = true;
  };
  run({"begin i := 0; while 1 = 1 do i := i + 1 end"});
  EXPECT_EQ(events, 3);
  // Three code lines a pass, a check every kCheckInterval lines.
  EXPECT_EQ(EngineVariables().Get("i"), Variant(static_cast<double>(3 * TfrInterpretator::kCheckInterval / 3)));

  ReportHooks() = TfrReportHooks{};
  report.Cancelled = false;
  run({"begin n := 0; repeat n := n + 1; if n = 10 then STOPREPORT; until 0 > 1 end"});
  EXPECT_TRUE(report.Cancelled);
  EXPECT_GE(EngineVariables().Get("n").AsFloat(), 10);
}

// A Chinese template names its objects, variables and fields in Chinese:
// such names work bare in scripts and expressions, not only in brackets.
TEST_F(ReportScope, ChineseNamesInScriptsAndExpressions) {
  TfrMemoView& title = AddMemo("标题Memo"_gbk);
  report.OnGetValue = [](const std::string& name, Variant& value) {
    if (name == "考场名称"_gbk) value = Variant("一号楼"_gbk);
  };
  std::vector<std::string> code, errors;
  EngineInterpreter().CompileScript({"begin"_gbk, "  标题Memo.Visible := False;"_gbk, "  x := 考场名称 + '101';"_gbk,
                                     "  计数 := 0; for 序号 := 1 to 3 do inc(计数)"_gbk, "end"},
                                    code, errors);
  ASSERT_TRUE(errors.empty()) << errors[0];
  EngineInterpreter().RunScript(code);
  EXPECT_FALSE(title.Visible);
  EXPECT_EQ(EngineVariables().Get("x"), Variant("一号楼101"_gbk));
  EXPECT_EQ(EngineVariables().Get("计数"_gbk), Variant(3.0));
  EXPECT_EQ(Line("[考场名称 + '室'] [标题Memo.Visible] [计数 * 2]"_gbk), "一号楼室 False 6"_gbk);
}

}  // namespace
}  // namespace talven
