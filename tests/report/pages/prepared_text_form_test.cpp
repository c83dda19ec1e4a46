// The JSON text form of prepared-report files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "report/model/line_view.h"
#include "report/model/rich_view.h"
#include "report/pages/pages_fixture.h"
#include "report/pages/prepared_text_form.h"

namespace talven {
namespace {

class PreparedTextFormTest : public PagesTest {
 protected:
  // Two pages of different paper with every kind of object a page holds.
  std::string TwoPageFile() {
    TfrPage& a4 = TemplatePage();
    a4.LeftMargin = 5;
    pages.AppendPage(a4);
    TfrMemoView memo = Memo("Memo1", 18, 18, 300, 40, {"考场一", "", "第三行"});
    for (std::string& line : memo.OutputText) line = Utf8ToGbk(line);
    memo.Font = {"宋体"_gbk, 12, fsBoldBit, 0x0000FF, 134};
    memo.Alignment = frtaCenter | frtaMiddle;
    memo.FrameTyp = frbLeft | frbTop;
    memo.FrameWidth = 0.5f;
    memo.FillColor = 0x00FFEEDD;
    memo.Tag = "@2";
    memo.Flags |= flAutoWidth;
    Emit(memo);
    TfrPictureView picture;
    picture.Name = "Picture1";
    picture.Picture = TfrGraphic::FromImage(RgbImage{4, 3, std::vector<std::uint8_t>(36, 90)});
    Emit(picture);

    pages.AppendPage(TemplatePage(256, 2001, 1000, 1));
    pages.PageAt(1).KeepMargins = false;
    TfrLineView line;
    line.Name = "Line1";
    line.Width = 300;
    Emit(line);
    TfrRichView rich;
    rich.Name = "Rich1";
    rich.RichText = "{\\rtf1 x}";
    Emit(rich);
    report.Info.InfoGeneratorVersion = 88;
    return Saved();
  }
};

TEST_F(PreparedTextFormTest, BuildOfDumpGivesTheFileBackByteForByte) {
  const std::string file = TwoPageFile();
  const std::string json = DumpPrepared(file);
  EXPECT_EQ(BuildPrepared(json), file);

  const auto doc = nlohmann::ordered_json::parse(json);
  EXPECT_EQ(doc["format"], "talven-prepared");
  EXPECT_EQ(doc["version"], 25);
  EXPECT_EQ(doc["PrinterName"], "虚拟打印机");
  ASSERT_EQ(doc["pages"].size(), 2u);
  const auto& first = doc["pages"][0];
  EXPECT_EQ(first["SheetCode"], 9);
  EXPECT_EQ(first["Margins"], nlohmann::ordered_json::parse("[5, 0, 0, 0]"));
  EXPECT_EQ(first["StreamVersion"], 25);
  const auto& memo = first["objects"][0];
  EXPECT_EQ(memo["class"], "TfrMemoView");
  EXPECT_EQ(memo["Memo"], nlohmann::ordered_json::parse(R"(["考场一", "", "第三行"])"));
  EXPECT_EQ(memo["Font"]["Name"], "宋体");
  EXPECT_EQ(memo["Tag"], "@2");
  // Only what a prepared page stores is shown.
  for (const char* key : {"DisplayFormat", "BeforePrintScript", "Visible", "HighlightCondition"})
    EXPECT_FALSE(memo.contains(key)) << key;
  EXPECT_EQ(first["objects"][1]["Picture"]["kind"], "jpeg");
  EXPECT_EQ(doc["pages"][1]["objects"][1]["class"], "TfrRichView");
  EXPECT_EQ(doc["pages"][1]["KeepMargins"], false);
}

TEST_F(PreparedTextFormTest, UnreadablePageStreamsAreKeptAsTheyStand) {
  pages.AppendPage(TemplatePage());
  EmitMemo("Memo1", 1, 2, 3, 4, {"x"});
  pages.PageAt(0).ObjectStream.WriteU8(7);
  pages.AppendPage(TemplatePage());
  pages.PageAt(1).ObjectStream = TfrStream();  // as a compressed file loads
  const std::string file = Saved();
  const std::string json = DumpPrepared(file);
  const auto doc = nlohmann::ordered_json::parse(json);
  EXPECT_EQ(doc["pages"][0]["damage"], "Unknown object type 7");
  EXPECT_TRUE(doc["pages"][0].contains("ObjectStream"));
  EXPECT_EQ(doc["pages"][1]["ObjectStream"], "");
  EXPECT_EQ(BuildPrepared(json), file);
}

TEST_F(PreparedTextFormTest, BuildingChecksTheDocument) {
  // A short document takes the defaults.
  const std::string built = BuildPrepared(R"({"pages": [{"objects": [{"class": "TfrMemoView", "Memo": ["考"]}]}]})");
  Load(built);
  ASSERT_EQ(pages.PageCount(), 1);
  EXPECT_EQ(pages.PageAt(0).SheetBin, -1);
  EXPECT_TRUE(pages.PageAt(0).KeepMargins);
  pages.MaterializePage(0);
  EXPECT_EQ(pages.PageAt(0).LoadedPage->ObjectList[0]->Memo, TfrStrings{"考"_gbk});

  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"pages": [{"objects": [{"class": "TfrMemoView", "Visible": false}]}]})",
       "document.pages[0].objects[0].Visible: not stored on prepared pages"},
      {R"({"pages": [{"Margins": [1, 2]}]})", "document.pages[0].Margins: expected [left, top, right, bottom]"},
      {R"({"pages": [{"SheetCode": 70000}]})", "document.pages[0].SheetCode: value 70000 out of range"},
      {R"({"pages": [{"objects": [], "ObjectStream": ""}]})",
       "document.pages[0]: a page has either objects or an ObjectStream"},
      {R"({"pages": [{"objects": [{"class": "TfrNoSuchView"}]}]})",
       "document.pages[0].objects[0].class: unknown object class TfrNoSuchView"},
      {R"({"format": "talven-template"})", "document.format: expected \"talven-prepared\""},
      {R"({"Pages": []})", "document.Pages: unknown field"},
  };
  for (const auto& [json, message] : cases) {
    SCOPED_TRACE(json);
    try {
      BuildPrepared(json);
      ADD_FAILURE() << "built";
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), message);
    }
  }
}

}  // namespace
}  // namespace talven
