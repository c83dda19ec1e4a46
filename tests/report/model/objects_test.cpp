// The report object model: defaults, the factory, names, property access
// by name and object methods.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/convert.h"
#include "base/jpeg.h"
#include "base/text.h"
#include "report/model/band.h"
#include "report/model/band_view.h"
#include "report/model/dataset.h"
#include "report/model/factory.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/rich_view.h"
#include "report/model/subreport_view.h"
#include "report/model/variables.h"

namespace talven {
namespace {

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineState().Reset();
    Hooks() = EngineHooks{};
    EngineState().CurrentReport = &report;
  }
  void TearDown() override {
    EngineState().Reset();
    Hooks() = EngineHooks{};
  }

  template <class T = TfrView>
  T& AddObject(int type, const std::string& name, int page = 0) {
    while (report.TemplatePages.Count() <= page) report.TemplatePages.Add();
    TfrView& v = report.TemplatePages[page].Add(MakeObject(type, ""));
    v.Name = name;
    return dynamic_cast<T&>(v);
  }

  TfrReport report;
};

TEST_F(ModelTest, NewMemoAndBandHaveTheirDefaults) {
  TfrMemoView memo;
  EXPECT_EQ(memo.Flags, 3);
  EXPECT_EQ(memo.Font, (TfrFont{"Arial", 10, 0, clBlack, 1}));
  EXPECT_EQ(memo.GapX, 2);
  EXPECT_EQ(memo.GapY, 1);
  EXPECT_EQ(memo.FrameWidth, 1.0f);
  EXPECT_EQ(memo.FillColor, 0x1FFFFFFF);
  EXPECT_TRUE(memo.Visible);
  EXPECT_EQ(memo.NameStem, "Memo");
  EXPECT_EQ(memo.DisplayFormat, 0x200 + '.');
  EXPECT_EQ(memo.HighlightFontStyle, 2);
  EXPECT_EQ(memo.HighlightFillColor, 0xFFFFFF);
  EXPECT_EQ(memo.LineSpacing, 2);

  TfrBandView band;
  EXPECT_EQ(band.Flags, 0x30);
  EXPECT_EQ(band.Columns, 1);
  EXPECT_EQ(band.ColumnWidth, 200);
  EXPECT_EQ(band.ColumnGap, 20);
  EXPECT_EQ(band.NewColumnAfter, 1);
  EXPECT_EQ(band.DisplayFormat, 0);
  EXPECT_EQ(BandKindName(btPageHeader), "页头"_gbk);
  EXPECT_EQ(BandKindName(btCrossData), "交叉表数据"_gbk);
  EXPECT_EQ(BandKindName(btNone), "无"_gbk);
  EXPECT_EQ(BandKindName(23), "");
  EXPECT_TRUE(IsVerticalBand(btCrossHeader));
  EXPECT_FALSE(IsVerticalBand(btChild));
}

TEST_F(ModelTest, ObjectsThatGoLeaveTheEngineState) {
  auto memo = MakeObject(gtMemo, "");
  EngineState().CurrentObject = memo.get();
  EngineState().HookObjects = {memo.get()};
  memo.reset();
  EXPECT_EQ(EngineState().CurrentObject, nullptr);
  EXPECT_TRUE(EngineState().HookObjects.empty());
  {
    TfrReport other;
    EngineState().CurrentPage = &other.TemplatePages.Add();
  }
  EXPECT_EQ(EngineState().CurrentPage, nullptr);
}

TEST_F(ModelTest, FactoryMakesEachTypeAndCountsObjects) {
  struct Case {
    int type;
    const char* className;
    const char* cls;
    const char* stem;
  };
  for (const Case& c : {Case{0, "", "TfrMemoView", "Memo"}, Case{1, "", "TfrPictureView", "Picture"},
                        Case{2, "", "TfrBandView", "Band"}, Case{3, "", "TfrSubReportView", "SubReport"},
                        Case{4, "", "TfrLineView", "Line"}, Case{10, "TfrRichView", "TfrRichView", "Rich"}}) {
    int before = ObjectCounter();
    auto v = MakeObject(c.type, c.className);
    ASSERT_NE(v, nullptr) << c.cls;
    EXPECT_STREQ(v->ClassName(), c.cls);
    EXPECT_EQ(v->NameStem, c.stem);
    EXPECT_EQ(v->TypeCode, c.type);
    EXPECT_EQ(v->ObjectId, before);
    EXPECT_EQ(ObjectCounter(), before + 1);
  }
  EXPECT_EQ(TfrView().NameStem, "View");
  EXPECT_EQ(TfrView().TypeCode, gtAddIn);

  const TfrPictureView picture;
  EXPECT_EQ(picture.Flags, 5);
  const TfrLineView line;
  EXPECT_EQ(line.FrameTyp, 4);
  EXPECT_EQ(line.FillColor, 0xFFFFFF);

  for (int type : {5, 6, 7, 8, 9, 11, 255}) {
    int before = ObjectCounter();
    EXPECT_EQ(MakeObject(type, "TfrRichView"), nullptr) << type;
    EXPECT_EQ(ObjectCounter(), before);
  }
}

TEST_F(ModelTest, UnknownAddInCollectsItsNameAndFails) {
  EXPECT_THROW(MakeObject(10, "tfrrichview"), TfrClassNotFound);  // letter case counts
  try {
    MakeObject(10, "TfrChartView");
    FAIL();
  } catch (const TfrClassNotFound& e) {
    EXPECT_EQ(e.message(), "tfrrichview\rTfrChartView\r");
  }
  EXPECT_TRUE(EngineState().ErrorFlag);
}

TEST_F(ModelTest, AddInRegistryHoldsTheRichTextClassOnce) {
  ASSERT_FALSE(AddIns().empty());
  EXPECT_EQ(AddIns().front().ClassName, "TfrRichView");
  EXPECT_EQ(AddIns().front().Hint, "55223");
  std::size_t count = AddIns().size();
  RegisterAddIn<TfrRichView>("again");
  EXPECT_EQ(AddIns().size(), count);
}

TEST_F(ModelTest, MakeUniqueNameFillsTheFirstGap) {
  AddObject(gtMemo, "Memo1");
  AddObject(gtMemo, "Memo3", 1);
  TfrView& fresh = AddObject(gtMemo, "");
  MakeUniqueName(fresh);
  EXPECT_EQ(fresh.Name, "Memo2");
  TfrView& band = AddObject(gtBand, "ignored");
  MakeUniqueName(band);
  EXPECT_EQ(band.Name, "Band1");
}

TEST_F(ModelTest, ObjectByNameIgnoresCaseAndPrefersTheLowerPage) {
  TfrView& first = AddObject(gtMemo, "memo5", 0);
  AddObject(gtMemo, "memo5", 1);
  EXPECT_EQ(report.ObjectByName("MEMO5"), &first);
  EXPECT_EQ(report.ObjectByName("memo6"), nullptr);
}

TEST_F(ModelTest, PagesGetGeneratedNames) {
  report.TemplatePages.Add();
  report.TemplatePages.Add();
  report.TemplatePages[0].Name = "Page3";
  TfrPage& third = report.TemplatePages.Add();
  EXPECT_EQ(report.TemplatePages[1].Name, "Page2");
  EXPECT_EQ(third.Name, "Page1");
}

TEST_F(ModelTest, CommonPropertiesByNameInAnyCase) {
  TfrMemoView& m = AddObject<TfrMemoView>(gtMemo, "Memo1");
  m.Memo = {"first", "second"};
  EXPECT_EQ(m.GetPropertyValue("memo"), Variant("first\r\nsecond"));
  EXPECT_EQ(m.GetPropertyValue("MEMO.COUNT"), Variant(2));
  EXPECT_EQ(m.GetPropertyValue("DataField"), Variant("first"));
  m.SetPropertyValue("DataField", "a\r\nb\nc");
  EXPECT_EQ(m.Memo, (TfrStrings{"a", "b", "c"}));
  m.Memo.clear();
  EXPECT_EQ(m.GetPropertyValue("datafield"), Variant(""));

  m.SetPropertyValue("LEFT", 12);
  m.SetPropertyValue("Visible", false);
  m.SetPropertyValue("stretched", false);
  m.SetPropertyValue("font.name", "宋体"_gbk);
  m.SetPropertyValue("Font.Style", EngineConstants().Get("fsBold"));
  m.SetPropertyValue("WordBreak", true);
  m.SetPropertyValue("FrameWidth", 0.5);
  EXPECT_EQ(m.Left, 12);
  EXPECT_FALSE(m.Visible);
  EXPECT_EQ(m.Flags, flWordWrap | flWordBreak);
  EXPECT_EQ(m.Font.Name, "宋体"_gbk);
  EXPECT_EQ(m.Font.Style, fsBoldBit);
  EXPECT_EQ(m.GetPropertyValue("FONT.STYLE"), Variant(2));
  EXPECT_EQ(m.FrameWidth, 0.5f);
  EXPECT_EQ(m.GetPropertyValue("wordwrap"), Variant(true));

  // A memo copies another's font through "Font".
  TfrMemoView& other = AddObject<TfrMemoView>(gtMemo, "Memo2");
  other.SetPropertyValue("Font", m.GetPropertyValue("Font"));
  EXPECT_EQ(other.Font, m.Font);

  // Unknown names: reading gives unassigned, writing is ignored.
  EXPECT_TRUE(m.GetPropertyValue("NoSuchThing").IsUnassigned());
  m.SetPropertyValue("NoSuchThing", 5);
}

TEST_F(ModelTest, PropertyListsFollowTheClass) {
  TfrMemoView memo;
  TfrBandView band;
  TfrPictureView picture;
  EXPECT_TRUE(memo.HasProperty("lines.count"));
  EXPECT_TRUE(memo.HasProperty("FrameTyp"));
  EXPECT_TRUE(band.HasProperty("EOF"));
  EXPECT_TRUE(band.HasProperty("Memo.Count"));
  EXPECT_FALSE(band.HasProperty("FrameTyp"));
  EXPECT_FALSE(band.HasProperty("Tag"));
  EXPECT_TRUE(picture.HasProperty("BLOBTYPE"));
  const TfrProperty* blob = picture.FindProperty("BlobType");
  ASSERT_NE(blob, nullptr);
  EXPECT_EQ(blob->EnumNames, (std::vector<std::string>{"btBMP", "btJPG", "btICO", "btWMF"}));

  TfrPage page(9, 0, 0, -1, 0);
  EXPECT_TRUE(page.HasProperty("StretchToPrintable"));
  EXPECT_TRUE(page.HasProperty("onactivate"));
}

TEST_F(ModelTest, EveryClassRegistersAndAnswersItsPropertyNames) {
  using Names = std::vector<std::string>;
  const Names common = {"Name",      "Left",     "Top",      "Width",       "Height",     "Flags",      "FrameTyp",
                        "FrameWidth", "FrameColor", "FrameStyle", "FillColor", "Tag",        "BandAlign",  "Visible",
                        "Memo",      "Memo.Count", "Restrictions", "GapX",     "GapY",       "Stretched",  "DataField"};
  const Names shortList = {"Name", "Left", "Top", "Width", "Height", "Flags", "Visible", "Memo", "Memo.Count",
                           "Restrictions"};
  const Names notOnBands = {"FrameTyp", "FrameWidth", "FrameColor", "FrameStyle", "FillColor", "Tag", "BandAlign"};
  auto plus = [](Names a, const Names& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  TfrMemoView memo;
  TfrBandView band;
  TfrSubReportView subreport;
  TfrPictureView picture;
  TfrLineView line;
  TfrRichView rich;
  TfrControl control;
  TfrPage page(9, 0, 0, -1, 0);
  struct Case {
    const char* cls;
    TfrObject& object;
    Names has, hasNot;
  };
  const Case cases[] = {
      {"memo", memo,
       plus(common, {"Font.Name", "Font.Size", "Font.Style", "Font.Color", "Font", "Alignment", "DisplayFormat",
                     "Highlight", "LineSpacing", "CharSpacing", "WordWrap", "WordBreak", "AutoWidth", "TextOnly",
                     "Suppress", "HideZeros", "Lines.Count", "Underlines", "RTLReading"}),
       {}},
      {"band", band,
       plus(shortList, {"ChildBand", "PrintChildIfInvisible", "Stretched", "FormNewPage", "PrintIfSubsetEmpty",
                        "Breaked", "OnFirstPage", "OnLastPage", "RepeatHeader", "DataSource", "Columns",
                        "ColumnWidth", "ColumnGap", "NewColumnAfter", "Condition", "Master", "EOF"}),
       notOnBands},
      {"subreport", subreport, shortList, notOnBands},
      {"picture", picture, plus(common, {"Picture", "Center", "KeepAspect", "BlobType"}), {}},
      {"line", line, common, {}},
      {"rich", rich, plus(common, {"Lines", "TextOnly"}), {}},
      {"control", control, {"Name", "Left", "Top", "Width", "Height", "Visible", "Restrictions"}, {"Memo", "Flags"}},
      {"page", page,
       {"Type", "Visible", "BorderStyle", "Caption", "Color", "Left", "Top", "Width", "Height", "Position",
        "OnActivate", "Size", "LeftMargin", "TopMargin", "RightMargin", "BottomMargin", "Orientation",
        "PrintToPrevPage", "StretchToPrintable", "Columns", "ColumnWidth", "ColumnGap", "OnBeforePrint", "Name"},
       {}},
  };
  for (const Case& c : cases) {
    for (const std::string& name : c.has) {
      EXPECT_TRUE(c.object.HasProperty(UpperCase(name))) << c.cls << " " << name;
      EXPECT_FALSE(c.object.GetPropertyValue(name).IsUnassigned()) << c.cls << " " << name;
    }
    for (const std::string& name : c.hasNot) EXPECT_FALSE(c.object.HasProperty(name)) << c.cls << " " << name;
  }
}

TEST_F(ModelTest, HideShowAndMemoLineMethods) {
  TfrMemoView& m = AddObject<TfrMemoView>(gtMemo, "Memo1");
  m.CallMethod("HIDE", {}, {}, {});
  EXPECT_FALSE(m.Visible);
  m.CallMethod("SHOW", {}, {}, {});
  EXPECT_TRUE(m.Visible);

  // Arguments arrive as expression texts; the installed evaluator reads
  // quoted literals here.
  Hooks().Evaluate = [](const std::string& e) -> Variant {
    if (e.size() >= 2 && e.front() == '\'') return e.substr(1, e.size() - 2);
    return StrToInt(e);
  };
  m.CallMethod("LINES.ADD", "'a'", "", "");
  m.CallMethod("lines.add", "'b'", "", "");
  m.CallMethod("LINES.ADD", "'c'", "", "");
  EXPECT_EQ(m.CallMethod("LINES.INDEXOF", "'B'", "", ""), Variant(1));
  EXPECT_EQ(m.CallMethod("LINES.INDEXOF", "'z'", "", ""), Variant(-1));
  m.CallMethod("LINES.DELETE", "0", "", "");
  EXPECT_EQ(m.Memo, (TfrStrings{"b", "c"}));
  m.CallMethod("SETINDEXPROPERTY", "LINES", 1, "x");
  EXPECT_EQ(m.CallMethod("GETINDEXPROPERTY", "LINES", 1, {}), Variant("x"));
  EXPECT_THROW(m.CallMethod("GETINDEXPROPERTY", "LINES", 2, {}), Error);
  m.CallMethod("LINES.CLEAR", "", "", "");
  EXPECT_TRUE(m.Memo.empty());
  EXPECT_TRUE(m.CallMethod("NOSUCHMETHOD", "", "", "").IsUnassigned());
}

TEST_F(ModelTest, CalcHeightAsksTheLayoutHook) {
  TfrMemoView& m = AddObject<TfrMemoView>(gtMemo, "Memo1");
  m.Height = 18;
  EXPECT_EQ(m.CallMethod("CALCHEIGHT", {}, {}, {}), Variant(18));
  Hooks().Height = [](TfrStretcheable&, TfrHeightKind kind) { return kind == TfrHeightKind::Content ? 54 : 0; };
  EXPECT_EQ(m.CallMethod("calcheight", {}, {}, {}), Variant(54));
  TfrLineView line;
  line.Height = 7;
  EXPECT_EQ(line.CallMethod("CALCHEIGHT", {}, {}, {}), Variant(7));
  EXPECT_EQ(line.MinimumHeight(), 1);
}

TEST_F(ModelTest, BandObjectReachesItsRuntimeBand) {
  TfrBandView& view = AddObject<TfrBandView>(gtBand, "MasterData1");
  TfrBand band(btMasterData, &report.TemplatePages[0]);
  TfrDataset data;
  data.RangeEnd = reCount;
  data.RangeEndCount = 2;
  int firsts = 0, nexts = 0, priors = 0;
  data.OnFirst = [&](TfrDataset&) { ++firsts; };
  data.OnNext = [&](TfrDataset&) { ++nexts; };
  data.OnPrior = [&](TfrDataset&) { ++priors; };

  // Without a run-time band the methods do nothing.
  view.CallMethod("FIRST", {}, {}, {});
  EXPECT_EQ(view.GetPropertyValue("EOF"), Variant(true));

  view.RuntimeBand = &band;
  band.BandDataset = &data;
  view.CallMethod("FIRST", {}, {}, {});
  view.CallMethod("NEXT", {}, {}, {});
  EXPECT_EQ(view.GetPropertyValue("eof"), Variant(false));
  view.CallMethod("NEXT", {}, {}, {});
  EXPECT_EQ(view.GetPropertyValue("EOF"), Variant(true));
  view.CallMethod("PRIOR", {}, {}, {});
  EXPECT_EQ(firsts, 1);
  EXPECT_EQ(nexts, 1);
  EXPECT_EQ(priors, 1);

  std::string resolved;
  Hooks().ToPostfix = [](const std::string& e) { return e + " postfix"; };
  Hooks().BandDataSourceChanged = [&](TfrBand&, const std::string& text) { resolved = text; };
  view.SetPropertyValue("Top", 140);
  view.SetPropertyValue("Visible", false);
  view.SetPropertyValue("Breaked", true);
  view.SetPropertyValue("Condition", "[kch]");
  view.SetPropertyValue("DataSource", "frUserDataset1");
  EXPECT_EQ(band.Top, 140);
  EXPECT_FALSE(band.Visible);
  EXPECT_TRUE(band.Breaked);
  EXPECT_EQ(band.GroupExpr, "[kch] postfix");
  EXPECT_EQ(resolved, "frUserDataset1");
  EXPECT_EQ(view.DataSource(), "frUserDataset1");
  band.BandDataset = nullptr;
}

TEST_F(ModelTest, PictureLoadsFromFileOrEmptiesItself) {
  TfrPictureView& p = AddObject<TfrPictureView>(gtPicture, "Picture1");
  EXPECT_EQ(EngineConstants().Get("btJPG"), Variant(1));
  EXPECT_EQ(EngineConstants().Get("btwmf"), Variant(3));

  RgbImage image{3, 2, std::vector<std::uint8_t>(18, 200)};
  const std::string path = (std::filesystem::path(::testing::TempDir()) / "photo.jpg").string();
  std::ofstream(path, std::ios::binary) << EncodeJpeg(image);
  p.CallMethod("LOADFROMFILE", path, {}, {});
  EXPECT_EQ(p.Picture.Kind(), TfrGraphicKind::Jpeg);
  EXPECT_EQ(p.Picture.Width(), 3);
  EXPECT_EQ(p.GetPropertyValue("Picture"), Variant("jpeg"));
  EXPECT_EQ(p.Picture.DecodeJpeg().height, 2);

  p.CallMethod("LOADFROMFILE", path + ".missing", {}, {});
  EXPECT_TRUE(p.Picture.Empty());
  EXPECT_EQ(p.Picture.Kind(), TfrGraphicKind::None);
}

TEST_F(ModelTest, ClipRegionGrowsByTheFrameLines) {
  TfrMemoView m;
  m.Left = 10;
  m.Top = 10;
  m.Width = 100;
  m.Height = 20;
  m.FrameTyp = 15;
  EXPECT_EQ(m.GetClipRegion(false), (TfrRect{10, 10, 111, 31}));
  EXPECT_EQ(m.GetClipRegion(true), (TfrRect{0, 0, 121, 41}));
  m.FrameWidth = 3;
  m.FrameStyle = psDouble;  // outer round(4.5) = 4, inner round(4) = 4
  EXPECT_EQ(m.GetClipRegion(false), (TfrRect{6, 6, 115, 35}));
  m.FrameTyp = frbRight;
  EXPECT_EQ(m.GetClipRegion(false), (TfrRect{10, 10, 115, 31}));
}

TEST_F(ModelTest, LineBecomesHorizontalOrVertical) {
  TfrLineView wide;
  wide.Width = 100;
  wide.Height = 20;
  wide.Normalize();
  EXPECT_EQ(wide.Height, 0);
  EXPECT_EQ(wide.FrameTyp, frbTop);
  wide.Normalize();
  EXPECT_EQ(wide.Height, 0);
  EXPECT_EQ(wide.Width, 100);

  TfrLineView tall;
  tall.Width = 5;
  tall.Height = 20;
  tall.Normalize();
  EXPECT_EQ(tall.Width, 0);
  EXPECT_EQ(tall.FrameTyp, frbLeft);
}

TEST_F(ModelTest, PagePropertiesInReportUnits) {
  TfrPage& page = report.TemplatePages.Add(9, 2100, 2970, -1, 0);
  EXPECT_EQ(page.GetPropertyValue("Width"), Variant(756));  // round(2100 / 10 × 18 / 5)
  EXPECT_EQ(page.GetPropertyValue("height"), Variant(1069));
  page.SetPropertyValue("StretchToPrintable", true);
  EXPECT_FALSE(page.KeepMargins);
  page.SetPropertyValue("OnBeforePrint", "a\r\nb");
  EXPECT_EQ(page.PageScript, (TfrStrings{"a", "b"}));
  page.Type = ptDialog;
  page.SetPropertyValue("Width", 400);
  EXPECT_EQ(page.FormWidth, 400);
  EXPECT_EQ(page.GetPropertyValue("Left"), Variant(220));
}

TEST_F(ModelTest, ReportDatasetReferenceIsClearedWithTheDataset) {
  auto data = std::make_unique<TfrDataset>("frUserDataset1");
  report.SetDataset(data.get());
  EXPECT_EQ(report.Dataset(), data.get());
  data.reset();
  EXPECT_EQ(report.Dataset(), nullptr);
}

}  // namespace
}  // namespace talven
