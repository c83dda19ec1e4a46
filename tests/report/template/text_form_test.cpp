// The JSON text form of templates.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "base/text.h"
#include "base/ui.h"
#include "report/model/memo_view.h"
#include "report/print/printer.h"
#include "report/template/fixture.h"
#include "report/template/stream_bytes.h"
#include "report/template/text_form.h"

namespace talven {
namespace {

class TextFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartReportEngine(nullptr);
    EngineState().Reset();
  }
  RecordingUi ui;
  UiScope scope{ui};
};

TEST_F(TextFormTest, BuildOfDumpGivesTheSameFile) {
  const std::string file = BuildTemplate(ReadFixture("every_object.json"));
  TfrReadResult result;
  const std::string json = DumpTemplate(file, &result);
  EXPECT_EQ(result, TfrReadResult::Loaded);
  EXPECT_EQ(BuildTemplate(json), file);
  EXPECT_EQ(DumpTemplate(BuildTemplate(json)), json);
  // Texts are UTF-8; bytes that are no GBK text are kept as base64.
  EXPECT_NE(json.find("\"笔试考场签到表\""), std::string::npos);
  EXPECT_NE(json.find("{\n              \"bytes\": \"//4gcmF3\"\n            }"), std::string::npos);
}

TEST_F(TextFormTest, DatesThatAreNoNumberKeepTheirBits) {
  TfrReport r;
  r.TemplatePages.Add();
  const std::uint64_t bits = 0x7FF8000000000123;
  std::memcpy(&r.Info.InfoCreated, &bits, sizeof bits);
  r.Info.InfoModified = -std::numeric_limits<double>::infinity();
  TfrStream s;
  TfrWriteOptions options;
  options.Modified = r.Info.InfoModified;
  WriteTemplate(r, s, options);
  const std::string json = DumpTemplate(s.Bytes());
  EXPECT_NE(json.find("\"bits\": \"0x7FF8000000000123\""), std::string::npos);
  EXPECT_EQ(BuildTemplate(json), s.Bytes());
}

TEST_F(TextFormTest, TheDictionaryIsShownAsStored) {
  // Variables without a heading are flipped when read into a report; the
  // text form keeps them as the file holds them.
  const std::string file = BuildTemplate(
      R"({"pages": [{}], "dictionary": {"VariableList": [["a", "1"], [" b", "2"]]}, "info": {"InfoModified": 1}})");
  const std::string json = DumpTemplate(file);
  EXPECT_NE(json.find("\"a\",\n        \"1\""), std::string::npos);
  EXPECT_EQ(BuildTemplate(json), file);
}

TEST_F(TextFormTest, ShortDocumentsTakeTheClassDefaults) {
  TfrReport r;
  ReportFromJson(R"({"pages": [{"objects": [{"class": "TfrMemoView", "Memo": ["[xm]"]},
                                            {"class": "TfrMemoView", "Name": "Memo7"},
                                            {"class": "TfrMemoView"}]}]})",
                 r);
  ASSERT_EQ(r.TemplatePages.Count(), 1);
  EXPECT_EQ(r.TemplatePages[0].Size, 9);
  EXPECT_EQ(r.TemplatePages[0].PaperHeight, 2970);
  const auto& objects = r.TemplatePages[0].ObjectList;
  EXPECT_EQ(objects[0]->Name, "Memo1");
  EXPECT_EQ(objects[2]->Name, "Memo2");
  auto& memo = dynamic_cast<TfrMemoView&>(*objects[0]);
  EXPECT_EQ(memo.Flags, 3);
  EXPECT_EQ(memo.Font.Name, "Arial");
  EXPECT_EQ(memo.Memo, TfrStrings{"[xm]"});
}

TEST_F(TextFormTest, OlderVersionsDumpAndBuildAsTwentyFive) {
  StreamBytes b;
  b.U8(22).U16(0).U16(0).OldString("");
  b.U8(255).I32(9).I32(2100).I32(2970).I32(0).I32(0).I32(0).I32(0).U8(0).Raw(std::string(6, '\0'));
  b.U16(0).U16(0xFFFF).I32(1).I32(0);
  b.U8(252).Info();
  const std::string json = DumpTemplate(b.str());
  EXPECT_NE(json.find("\"version\": 22"), std::string::npos);
  const std::string built = BuildTemplate(json);
  EXPECT_EQ(built[0], 25);
  EXPECT_EQ(DumpTemplate(built).substr(json.find("\"UseDefaultPrinter\"")), json.substr(json.find("\"UseDefaultPrinter\"")));
}

TEST_F(TextFormTest, ProblemsAreNamedWithTheirPlace) {
  struct Case {
    const char* json;
    const char* message;
  };
  const Case cases[] = {
      {R"({"pages": [{"objects": [{"class": "TfrMemoView", "Lefft": 1}]}]})",
       "document.pages[0].objects[0].Lefft: unknown field"},
      {R"({"pages": [{"objects": [{"class": "TfrChartView"}]}]})",
       "document.pages[0].objects[0].class: unknown object class TfrChartView"},
      {R"({"pages": [{"objects": [{"class": "TfrBandView", "FrameTyp": 2}]}]})",
       "document.pages[0].objects[0].FrameTyp: unknown field"},
      {R"({"pages": [{"objects": [{"class": "TfrMemoView", "Flags": 70000}]}]})",
       "document.pages[0].objects[0].Flags: value 70000 out of range"},
      {R"({"pages": [{"objects": [{"class": "TfrMemoView", "Left": "ten"}]}]})",
       "document.pages[0].objects[0].Left: expected an integer"},
      {R"({"pages": [{"objects": [{"class": "TfrMemoView", "Memo": ["😀"]}]}]})",
       "document.pages[0].objects[0].Memo[0]: text that GBK cannot hold (write it as {\"bytes\": base64})"},
      {R"({"pages": [{"objects": [{"class": "TfrPictureView", "Picture": {"kind": "jpeg", "data": "AAAA"}}]}]})",
       "document.pages[0].objects[0].Picture.data: JPEG error"},
      {R"({"pages": [{"objects": [{"class": "TfrRichView", "RichText": "###"}]}]})", "Invalid base64 data"},
      {R"({"format": "other"})", "document.format: expected \"talven-template\""},
      {R"({"pages": [)", "parse error"},
  };
  for (const Case& c : cases) {
    try {
      BuildTemplate(c.json);
      ADD_FAILURE() << c.json;
    } catch (const Error& e) {
      EXPECT_NE(GbkToUtf8(e.message()).find(c.message), std::string::npos) << e.message();
    }
  }
}

TEST(Base64, EncodesAndDecodesEveryLength) {
  for (const std::string& bytes : {std::string(), std::string("f"), std::string("fo"), std::string("foo"),
                                   std::string("\0\xff\x10\x80", 4)}) {
    EXPECT_EQ(Base64Decode(Base64Encode(bytes)), bytes);
  }
  EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
  for (const char* bad : {"Zm9", "Zm=v", "Z===", "Zm9v!A==", "=AAA"}) EXPECT_THROW(Base64Decode(bad), Error) << bad;
}

}  // namespace
}  // namespace talven
