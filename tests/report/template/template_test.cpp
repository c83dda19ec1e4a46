// The template format: round trips, the old stream versions, the
// window-stored form, every failure of a read, and damaged streams.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

#include "base/text.h"
#include "base/ui.h"
#include "report/memory_data_set.h"
#include "report/model/band_view.h"
#include "report/model/factory.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/rich_view.h"
#include "report/print/printer.h"
#include "report/template/template.h"
#include "report/template/text_form.h"
#include "report/template/fixture.h"
#include "report/template/stream_bytes.h"

namespace talven {
namespace {

constexpr TDateTime kModified = 45000.5;

class TemplateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartReportEngine(nullptr);
    EngineState().Reset();
  }

  std::string Write(TfrReport& r) {
    TfrStream s;
    TfrWriteOptions options;
    options.Modified = kModified;
    WriteTemplate(r, s, options);
    return s.TakeBytes();
  }
  TfrReadResult Read(TfrReport& r, const std::string& bytes, TfrStream::Origin origin = TfrStream::Origin::File) {
    TfrStream s(bytes, origin);
    return ReadTemplate(r, s);
  }
  TfrMemoView& AddMemo(TfrReport& r, const std::string& name, int page = 0) {
    while (r.TemplatePages.Count() <= page) r.TemplatePages.Add();
    TfrView& v = r.TemplatePages[page].Add(MakeObject(gtMemo, ""));
    v.Name = name;
    return dynamic_cast<TfrMemoView&>(v);
  }
  // Where an object's name is stored (its uint16 length), and so where its
  // record's fields are.
  static std::size_t NameAt(const std::string& bytes, const std::string& name) {
    std::string stored = std::string(1, static_cast<char>(name.size())) + '\0' + name + '\0';
    std::size_t at = bytes.find(stored);
    EXPECT_NE(at, std::string::npos) << name;
    return at;
  }
  // The dictionary record: byte 254 and the marker -2.
  static std::size_t DictionaryAt(const std::string& bytes) {
    std::size_t at = bytes.find("\xFE\xFE\xFF");
    EXPECT_NE(at, std::string::npos);
    return at;
  }
  static std::int32_t I32At(const std::string& b, std::size_t at) {
    TfrStream s(b);
    s.Seek(at);
    return s.ReadI32();
  }
  static void PatchI32(std::string& b, std::size_t at, std::int32_t v) {
    TfrStream s(std::move(b));
    s.PatchI32(at, v);
    b = s.TakeBytes();
  }

  RecordingUi ui;
  UiScope scope{ui};
};

TEST_F(TemplateTest, EveryObjectKindSurvivesARoundTrip) {
  TfrReport built;
  ReportFromJson(ReadFixture("every_object.json"), built);
  const std::string bytes = Write(built);

  TfrReport read;
  ASSERT_EQ(Read(read, bytes), TfrReadResult::Loaded);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Write(read), bytes);

  ASSERT_EQ(read.TemplatePages.Count(), 3);
  EXPECT_TRUE(read.TwoPass);
  EXPECT_EQ(read.PrinterName, VirtualPrinterName());
  const TfrPage& custom = read.TemplatePages[1];
  EXPECT_EQ(custom.Size, kCustomPaper);
  EXPECT_EQ(custom.PaperWidth, 2001);
  EXPECT_EQ(custom.Orientation, 1);
  EXPECT_EQ(custom.PaperSource, 7);
  EXPECT_FALSE(custom.KeepMargins);
  EXPECT_EQ(read.TemplatePages[2].Caption, "条件"_gbk);

  auto& memo = dynamic_cast<TfrMemoView&>(*read.ObjectByName("memo5"));
  EXPECT_EQ(memo.Memo, (TfrStrings{"笔试考场签到表"_gbk, "[dwmc]"}));
  EXPECT_EQ(memo.Font, (TfrFont{"宋体"_gbk, 16, fsBoldBit, 0x800000, 134}));
  EXPECT_EQ(memo.FrameWidth, 0.5f);
  EXPECT_EQ(memo.BeforePrintScript.size(), 1u);
  EXPECT_EQ(memo.Tag, "URL@3");
  EXPECT_EQ(memo.BandAlign, baCenter);
  auto& band = dynamic_cast<TfrBandView&>(*read.ObjectByName("MasterData1"));
  EXPECT_EQ(band.BandType(), btMasterData);
  EXPECT_EQ(band.DataSource(), "frUserDataset1");
  EXPECT_EQ(band.Columns, 5);
  EXPECT_EQ(dynamic_cast<TfrBandView&>(*read.ObjectByName("GroupHeader1")).Master, "MasterData1");
  EXPECT_EQ(dynamic_cast<TfrPictureView&>(*read.ObjectByName("Picture1")).Picture.Kind(), TfrGraphicKind::Jpeg);
  EXPECT_TRUE(dynamic_cast<TfrPictureView&>(*read.ObjectByName("Picture5")).Picture.Enhanced());
  EXPECT_FALSE(dynamic_cast<TfrRichView&>(*read.ObjectByName("Rich1")).RichText.empty());
  EXPECT_EQ(read.ObjectByName("Memo2")->Memo[0], "\xff\xfe raw");
  EXPECT_EQ(read.Dictionary.VariableList.NameAt(0), " 考生"_gbk);
  EXPECT_EQ(read.Info.InfoAuthor, "考务"_gbk);
  EXPECT_EQ(read.Info.InfoModified, kModified);
}

TEST_F(TemplateTest, FrameWidthCodes) {
  TfrReport r;
  for (auto [name, width] : {std::pair{"Half", 0.5f}, std::pair{"Two", 2.0f}, std::pair{"Twelve", 12.0f}})
    AddMemo(r, name).FrameWidth = width;
  const std::string bytes = Write(r);
  // The code follows the name, the two revision bytes, the geometry, Flags
  // and FrameTyp.
  auto code = [&](const std::string& name) { return I32At(bytes, NameAt(bytes, name) + 2 + name.size() + 1 + 22); };
  EXPECT_EQ(code("Half"), 500);
  EXPECT_EQ(code("Two"), 2);
  EXPECT_EQ(code("Twelve"), 12);

  TfrReport read;
  ASSERT_EQ(Read(read, bytes), TfrReadResult::Loaded);
  EXPECT_EQ(read.ObjectByName("Half")->FrameWidth, 0.5f);
  EXPECT_EQ(read.ObjectByName("Two")->FrameWidth, 2.0f);
  EXPECT_EQ(read.ObjectByName("Twelve")->FrameWidth, 0.012f);
}

TEST_F(TemplateTest, FontStyleBitsAsStored) {
  TfrReport r;
  AddMemo(r, "B").Font = TfrFont{"BoldFace", 10, fsBoldBit, 0, 1};
  AddMemo(r, "I").Font = TfrFont{"ItalicFace", 10, fsItalicBit, 0, 1};
  const std::string bytes = Write(r);
  auto style = [&](const std::string& face) {
    std::size_t at = NameAt(bytes, face) + 2 + face.size() + 1 + 4;
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
  };
  EXPECT_EQ(style("BoldFace"), 2);
  EXPECT_EQ(style("ItalicFace"), 1);
}

TEST_F(TemplateTest, UnregisteredAddInIsSkippedAndNamedOnce) {
  TfrReport r;
  AddMemo(r, "Memo1");
  r.TemplatePages[0].Add(MakeObject(gtAddIn, "TfrRichView")).Name = "Rich1";
  AddMemo(r, "Memo3");
  std::string bytes = Write(r);
  bytes.replace(bytes.find("TfrRichView"), 11, "TfrChartVie");

  TfrReport read;
  EXPECT_EQ(Read(read, bytes), TfrReadResult::MissingClasses);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            "Report contains the following non-plugged components:\rTfrChartVie\r"
            "You must include these components into your project.");
  EXPECT_EQ(ui.boxes[0].caption, "错误"_gbk);
  ASSERT_EQ(read.TemplatePages[0].ObjectList.size(), 2u);
  EXPECT_NE(read.ObjectByName("Memo3"), nullptr);
}

TEST_F(TemplateTest, RenamedClassesOfOlderDesigners) {
  // A framed memo is read as a plain memo; the lookup controls of two
  // database layers are one class now, which is not registered here.
  TfrMemoView memo;
  memo.Name = "Framed";
  memo.Memo = {"[xm]"};
  TfrStream record;
  memo.WriteToStream(record);

  StreamBytes b;
  b.U8(25).U16(0).U16(0).NewString("");
  TfrReport pages;
  pages.TemplatePages.Add();
  TfrStream pageRecord;
  WritePageRecord(pages.TemplatePages[0], pageRecord);
  b.U8(255).Raw(pageRecord.Bytes());
  std::size_t at = b.str().size();
  const std::string framedClass = "TFRFRAMEDMEMOVIEW";
  b.U8(gtAddIn).NewString(framedClass).U8(0)
      .I32(static_cast<std::int32_t>(at + 1 + 2 + framedClass.size() + 1 + 1 + 4 + record.Size() + 8))
      .Raw(record.Bytes()).Raw(std::string(8, '\x5A'));
  at = b.str().size();
  b.U8(gtAddIn).NewString("TfrIBXLookupControl").U8(0).I32(static_cast<std::int32_t>(at + 1 + 22 + 1 + 4 + 3)).Raw("abc");
  b.U8(252).Info();

  TfrReport r;
  EXPECT_EQ(Read(r, b.str()), TfrReadResult::MissingClasses);
  auto* framed = dynamic_cast<TfrMemoView*>(r.ObjectByName("Framed"));
  ASSERT_NE(framed, nullptr);
  EXPECT_EQ(framed->TypeCode, gtMemo);
  EXPECT_EQ(framed->Memo, TfrStrings{"[xm]"});
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_NE(ui.boxes[0].text.find("\rTfrDBLookupControl\r"), std::string::npos);
}

TEST_F(TemplateTest, VersionTwentyOrLessReadsAsTwentyOneWithGeneratedNames) {
  StreamBytes b;
  b.U16(0).U16(0).OldString("");  // no version byte: the data starts at once
  b.U8(255).I32(9).I32(2100).I32(2970).I32(10).I32(10).I32(10).I32(10).U8(0).Raw(std::string(6, '\0'));
  b.U16(0).U16(0xFFFF).I32(1).I32(0);
  for (const char* text : {"first", "second"}) {
    b.U8(gtMemo).U8(0);
    b.I32(10).I32(20).I32(100).I32(18).U16(0).U16(0).I32(1).I32(0).U16(0).I32(clNone);
    b.I32(0).OldString("").OldList({text, "[xm]"});
    b.OldString("Arial").I32(9).U16(0).I32(0).I32(0).U16(134);
    b.U16(2).I32(0).I32(0xFFFFFF).OldString("");
  }
  b.U8(252).Info();

  TfrReport r;
  ASSERT_EQ(Read(r, b.str()), TfrReadResult::Loaded);
  ASSERT_EQ(r.TemplatePages.Count(), 1);
  EXPECT_EQ(r.TemplatePages[0].Name, "Page1");
  EXPECT_EQ(r.TemplatePages[0].PaperSource, 65535);
  const auto& objects = r.TemplatePages[0].ObjectList;
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0]->Name, "Memo1");
  EXPECT_EQ(objects[1]->Name, "Memo2");
  EXPECT_EQ(objects[1]->Memo, (TfrStrings{"second", "[xm]"}));
  for (const auto& v : objects) {
    auto& m = dynamic_cast<TfrMemoView&>(*v);
    EXPECT_EQ(m.Flags, flWordWrap);
    EXPECT_EQ(m.Font.Charset, 1);  // the stored character set counts from version 23 on
  }
}

TEST_F(TemplateTest, VersionTwentyThreeStoresNamesAndScripts) {
  StreamBytes b;
  b.U8(23).U16(0).U16(0).NewString("Office");
  b.U8(255).I32(-1).I32(11).I32(1480).I32(2100).I32(0).I32(0).I32(0).I32(0).U8(1);
  b.U16(0).U16(0xFFFF).I32(2).I32(5);
  b.U8(gtMemo).U8(0);
  b.NewString("Title").I32(1).I32(2).I32(3).I32(4).U16(1).U16(15).I32(2).I32(0).U16(1).I32(0xFF);
  b.I32(0x0102022C).NewString("#,##0.00").NewList({"[dwmc]"}).NewList({"Visible := False"}).U16(0);
  b.NewString("Arial").I32(12).U16(fsBoldBit).I32(0).I32(frtaCenter).U16(134);
  b.U16(3).I32(0xFF).I32(0xFFFFFF).NewString("[rs] > 1");
  b.U8(252).Info();

  TfrReport r;
  ASSERT_EQ(Read(r, b.str()), TfrReadResult::Loaded);
  const TfrPage& page = r.TemplatePages[0];
  EXPECT_EQ(page.Name, "Page1");
  EXPECT_EQ(page.Size, 11);
  EXPECT_EQ(page.Orientation, 1);
  EXPECT_EQ(page.PaperWidth, 2100);  // A5 turned
  EXPECT_EQ(page.Columns, 2);
  auto& m = dynamic_cast<TfrMemoView&>(*r.ObjectByName("Title"));
  EXPECT_EQ(m.FrameWidth, 2.0f);
  EXPECT_EQ(m.DisplayFormatText, "#,##0.00");
  EXPECT_EQ(m.BeforePrintScript, (TfrStrings{"Visible := False"}));
  EXPECT_FALSE(m.Visible);
  EXPECT_EQ(m.Font.Charset, 134);
  EXPECT_EQ(m.HighlightCondition, "[rs] > 1");
  EXPECT_EQ(m.Flags, flStretched);  // no WordWrap rule after version 21
  EXPECT_EQ(m.GapX, 2);             // gaps are stored from version 24 on
}

TEST_F(TemplateTest, VersionTwentyFourFollowsTheRevisionBytes) {
  // Objects written before band alignment, band masters and picture blob
  // types were stored: revision bytes 1 and 0 leave those fields out.
  auto common = [](StreamBytes& d, const std::string& name, int frameTyp, const std::string& source) {
    d.NewString(name).U8(1).U8(0).I32(0).I32(40).I32(200).I32(30).U16(1).U16(frameTyp).I32(1).I32(0).U16(0)
        .I32(clNone).I32(0).NewString(source).NewList({"text"}).NewList({}).U16(0xFFFF).U16(0).NewString("")
        .I32(3).I32(4);
  };
  StreamBytes b;
  b.U8(24).U16(0).U16(0).NewString("\x01");
  // A page record without the marker: the first int32 is the paper code and
  // no page script follows.
  b.U8(255).I32(9).I32(2100).I32(2970).I32(0).I32(0).I32(0).I32(0).U8(0).I32(-1).U16(0).U16(0xFFFF).I32(1).I32(0);
  b.U8(0).NewString("Sheet").U8(0).NewString("Form").I32(clBtnFace).I32(1).I32(2).I32(3).I32(4).U8(7);
  b.U8(255).I32(-1).I32(9).I32(2100).I32(2970).I32(0).I32(0).I32(0).I32(0).U8(0).I32(-1).U16(0).U16(0xFFFF);
  b.I32(1).I32(0).U8(1).NewString("Dialog").U8(1).NewString("Ask").I32(0).I32(1).I32(2).I32(3).I32(4).U8(0);
  b.NewList({"x := 1"});
  auto object = [&](int type, const std::function<void(StreamBytes&, std::size_t)>& data) {
    const std::size_t start = b.str().size() + 6;
    StreamBytes d;
    data(d, start);
    b.U8(type).U8(0).I32(static_cast<std::int32_t>(start + d.str().size())).Raw(d.str());
  };
  object(gtMemo, [&](StreamBytes& d, std::size_t) {
    common(d, "Old", 0, "");
    d.NewString("Courier").I32(9).U16(0).I32(0).I32(0).U16(134).U16(2).I32(0).I32(0xFFFFFF).NewString("");
    d.I32(5).I32(6);
  });
  object(gtBand, [&](StreamBytes& d, std::size_t) {
    common(d, "Band1", btMasterData, "frUserDataset1");
    d.NewString("Child1").I32(2).I32(300).I32(10).I32(4);
  });
  object(gtPicture, [&](StreamBytes& d, std::size_t start) {
    common(d, "Picture1", 0, "");
    d.U8(0).I32(static_cast<std::int32_t>(start + d.str().size() + 4));
  });
  b.U8(252).Info();

  TfrReport r;
  ASSERT_EQ(Read(r, b.str()), TfrReadResult::Loaded);
  ASSERT_EQ(r.TemplatePages.Count(), 2);
  const TfrPage& sheet = r.TemplatePages[0];
  EXPECT_EQ(sheet.Name, "Sheet");
  EXPECT_EQ(sheet.BorderStyle, 3);  // stored 0
  EXPECT_EQ(sheet.Position, 4);     // stored 7
  EXPECT_EQ(sheet.FormHeight, 4);
  EXPECT_TRUE(sheet.PageScript.empty());
  const TfrPage& dialog = r.TemplatePages[1];
  EXPECT_EQ(dialog.Type, ptDialog);
  EXPECT_EQ(dialog.BorderStyle, 2);  // stored 1
  EXPECT_EQ(dialog.Position, 0);
  EXPECT_EQ(dialog.PageScript, TfrStrings{"x := 1"});

  auto& memo = dynamic_cast<TfrMemoView&>(*r.ObjectByName("Old"));
  EXPECT_EQ(memo.BandAlign, baNone);
  EXPECT_EQ(memo.GapX, 3);
  EXPECT_EQ(memo.Font.Name, "Courier");
  EXPECT_EQ(memo.CharSpacing, 6);
  auto& band = dynamic_cast<TfrBandView&>(*r.ObjectByName("Band1"));
  EXPECT_EQ(band.ChildBand, "Child1");
  EXPECT_EQ(band.NewColumnAfter, 4);
  EXPECT_EQ(band.Master, "");
  auto& picture = dynamic_cast<TfrPictureView&>(*r.ObjectByName("Picture1"));
  EXPECT_EQ(picture.BlobType, btBMP);
  EXPECT_TRUE(picture.Picture.Empty());

  // Written again, every object takes the current revisions.
  TfrReport again;
  ASSERT_EQ(Read(again, Write(r)), TfrReadResult::Loaded);
  EXPECT_EQ(dynamic_cast<TfrBandView&>(*again.ObjectByName("Band1")).ClassRevision, 1);
  EXPECT_EQ(again.ObjectByName("Old")->BaseRevision, 2);
}

TEST_F(TemplateTest, StreamEndingAfterThePagesBodyResetsTheInformation) {
  TfrReport r;
  AddMemo(r, "Memo1");
  r.Info.InfoName = "name";
  std::string bytes = Write(r);
  // Up to the end-of-pages byte, before the information (seven texts, the
  // password, two bytes and two dates).
  bytes.resize(bytes.size() - (7 * 2 + 4 + 2 + 2 + 16) - 1);

  TfrReport read;
  ASSERT_EQ(Read(read, bytes), TfrReadResult::Loaded);
  EXPECT_NE(read.ObjectByName("Memo1"), nullptr);
  EXPECT_EQ(read.Info.InfoName, "");
  EXPECT_EQ(read.Info.InfoGeneratorVersion, 88);
  EXPECT_GT(read.Info.InfoCreated, 40000);
}

TEST_F(TemplateTest, WindowStoredForm) {
  TfrReport r;
  TfrStream form(std::string("\x19\0\0\0", 4));
  ReadReportForm(r, form);
  ReportFormLoaded(r);
  EXPECT_EQ(r.TemplatePages.Count(), 0);

  TfrReport stored;
  AddMemo(stored, "memo5");
  stored.StoreInDFM = true;
  stored.Info.InfoPasswordProtected = true;  // never asked for in this form
  TfrStream out;
  WriteReportForm(stored, out);
  EXPECT_EQ(I32At(out.Bytes(), 0), 25);

  TfrReport loaded;
  loaded.StoreInDFM = true;
  out.Seek(0);
  ReadReportForm(loaded, out);
  EXPECT_TRUE(loaded.StoredTemplate);
  ReportFormLoaded(loaded);
  EXPECT_FALSE(loaded.StoredTemplate);
  EXPECT_NE(loaded.ObjectByName("memo5"), nullptr);
  EXPECT_TRUE(ui.inputs.empty());

  TfrStream cut(out.Bytes().substr(0, 20));
  ReadReportForm(loaded, cut);
  EXPECT_FALSE(loaded.StoredTemplate);
}

TEST_F(TemplateTest, FailuresOfARead) {
  TfrReport good;
  AddMemo(good, "Memo1");
  const std::string bytes = Write(good);

  {  // version above 25: the template stays, the dictionary is emptied
    TfrReport r;
    AddMemo(r, "Kept");
    r.Dictionary.VariableList.Set("v", "1");
    std::string newer = bytes;
    newer[0] = 26;
    EXPECT_EQ(Read(r, newer), TfrReadResult::UnsupportedVersion);
    EXPECT_NE(r.ObjectByName("Kept"), nullptr);
    EXPECT_EQ(r.Dictionary.VariableList.Count(), 0);
  }
  {  // a record byte above 10: one empty page
    TfrReport r;
    std::string bad = bytes;
    bad[DictionaryAt(bytes)] = 100;
    EXPECT_EQ(Read(r, bad), TfrReadResult::Damaged);
    ASSERT_EQ(r.TemplatePages.Count(), 1);
    EXPECT_TRUE(r.TemplatePages[0].ObjectList.empty());
  }
  ASSERT_EQ(ui.boxes.size(), 2u);
  for (const auto& box : ui.boxes) {
    EXPECT_EQ(box.text, "不支持的FRF格式"_gbk);
    EXPECT_EQ(box.caption, "错误"_gbk);
  }
  {  // an empty stream changes nothing
    TfrReport r;
    AddMemo(r, "Kept");
    EXPECT_EQ(Read(r, ""), TfrReadResult::EmptyStream);
    EXPECT_NE(r.ObjectByName("Kept"), nullptr);
  }
  TfrReport r;
  EXPECT_FALSE(LoadTemplateFile(r, "/no/such/template.frf"));
  EXPECT_EQ(r.TemplateFileName, kUntitled);
}

TEST_F(TemplateTest, DamagedObjectIsSkippedByItsEndPosition) {
  TfrReport r;
  AddMemo(r, "Memo1").Memo = {"text"};
  AddMemo(r, "Memo2");
  std::string bytes = Write(r);
  // Memo1's font name claims more bytes than its record holds; the read of
  // Memo1 runs into Memo2's record and fails there or at its end.
  const std::size_t font = bytes.find("Arial");
  bytes[font - 2] = bytes[font - 1] = '\xFF';

  TfrReport read;
  EXPECT_EQ(Read(read, bytes), TfrReadResult::Loaded);
  EXPECT_EQ(read.ObjectByName("Memo1")->Memo, (TfrStrings{"text"}));  // what it read so far stays
  EXPECT_NE(read.ObjectByName("Memo2"), nullptr);
}

TEST_F(TemplateTest, EndPositionsThatPointBackAreDamage) {
  TfrReport r;
  AddMemo(r, "Memo1");
  AddMemo(r, "Memo2");
  const std::string bytes = Write(r);
  const std::size_t end = NameAt(bytes, "Memo1") - 4;
  for (std::int32_t bad : {0, static_cast<std::int32_t>(end), -5}) {
    std::string damaged = bytes;
    PatchI32(damaged, end, bad);
    TfrReport read;
    EXPECT_EQ(Read(read, damaged), TfrReadResult::Damaged) << bad;
    EXPECT_EQ(read.TemplatePages.Count(), 1);
  }
}

// A template file cut off inside an object keeps every page and every object
// read up to the cut, the cut object with what it holds, without a message;
// the report information, which came after, is reset.
TEST_F(TemplateTest, ATemplateCutOffInsideAnObjectKeepsWhatWasRead) {
  TfrReport r;
  r.TemplatePages.Add();
  r.TemplatePages.Add();
  AddMemo(r, "Memo1").Memo = {"first"};
  AddMemo(r, "Memo2", 1).Memo = {"second"};
  TfrMemoView& last = AddMemo(r, "Memo3", 1);
  last.Memo = {"a long text", "of two lines"};
  last.Left = 40;
  r.Info.InfoName = "Sheet";
  const std::string bytes = Write(r);
  const std::size_t record = NameAt(bytes, "Memo3") - 5;  // its page index
  const std::size_t text = bytes.find("of two lines");
  // Inside the end position, inside the name, inside the text, and just
  // before the end of the records.
  for (std::size_t cut : {record + 3, record + 8, text + 4, DictionaryAt(bytes)}) {
    SCOPED_TRACE(cut);
    TfrReport read;
    read.Info.InfoName = "old";
    EXPECT_EQ(Read(read, bytes.substr(0, cut)), TfrReadResult::Loaded);
    ASSERT_EQ(read.TemplatePages.Count(), 2);
    EXPECT_EQ(read.ObjectByName("Memo1")->Memo, TfrStrings{"first"});
    EXPECT_EQ(read.ObjectByName("Memo2")->Memo, TfrStrings{"second"});
    EXPECT_EQ(read.Info.InfoName, "");
    if (cut >= text) {  // cut inside its text: its name and geometry were read
      ASSERT_NE(read.ObjectByName("Memo3"), nullptr);
      EXPECT_EQ(read.ObjectByName("Memo3")->Left, 40);
    }
  }
  // An end position beyond the end of an intact stream reads as such a cut.
  std::string beyond = bytes;
  PatchI32(beyond, NameAt(bytes, "Memo2") - 4, static_cast<std::int32_t>(bytes.size() + 100));
  TfrReport read;
  EXPECT_EQ(Read(read, beyond), TfrReadResult::Loaded);
  EXPECT_NE(read.ObjectByName("Memo2"), nullptr);
  EXPECT_EQ(read.ObjectByName("Memo3"), nullptr);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TemplateTest, ARefusedEndPositionIsNotReadAgainFromTheObjectData) {
  // The object's end position is 0; the object's first four bytes (a name
  // length n and two zero bytes) read as the position n, where the name
  // holds an end of records and a report information.
  StreamBytes b;
  b.U8(25).U16(0).U16(0).NewString("");
  TfrReport pages;
  TfrStream pageRecord;
  WritePageRecord(pages.TemplatePages.Add(), pageRecord);
  b.U8(255).Raw(pageRecord.Bytes());
  b.U8(gtMemo).U8(0).I32(0);
  const std::size_t n = b.str().size() + 4;
  StreamBytes name;
  name.U8(0).U8(0).U8(252).Info();
  b.NewString(name.str() + std::string(n - name.str().size(), 'x'));
  b.U8(252).Info();

  TfrReport r;
  EXPECT_EQ(Read(r, b.str()), TfrReadResult::Damaged);
  EXPECT_EQ(r.TemplatePages.Count(), 1);
}

TEST_F(TemplateTest, ImpossibleCountsAndIndexesEndTheReadSafely) {
  TfrReport r;
  AddMemo(r, "Memo1");
  r.Dictionary.VariableList.Set("v", "1");
  const std::string bytes = Write(r);

  std::string count = bytes;
  PatchI32(count, DictionaryAt(bytes) + 3, 0x7FFFFFFF);  // the variable count after the marker
  TfrReport a;
  EXPECT_EQ(Read(a, count), TfrReadResult::Damaged);

  std::string page = bytes;
  page[NameAt(bytes, "Memo1") - 5] = 7;  // the object's page index
  TfrReport b;
  EXPECT_EQ(Read(b, page), TfrReadResult::Loaded);
  EXPECT_TRUE(b.TemplatePages[0].ObjectList.empty());

  TfrReport c;
  c.TemplatePages.Add().Add(MakeObject(gtPicture, "")).Name = "Picture1";
  std::string picture = Write(c);
  // Without a graphic the picture's own end position closes the record.
  const std::size_t pictureEnd = static_cast<std::size_t>(I32At(picture, NameAt(picture, "Picture1") - 4)) - 4;
  PatchI32(picture, pictureEnd, 1 << 30);
  TfrReport d;
  EXPECT_EQ(Read(d, picture), TfrReadResult::Loaded);
  EXPECT_NE(d.ObjectByName("Picture1"), nullptr);
}

TEST_F(TemplateTest, PasswordIsAskedForFilesOnly) {
  TfrReport r;
  AddMemo(r, "Memo1");
  r.Info.InfoPassword = "s3cret";
  r.Info.InfoPasswordProtected = true;
  const std::string bytes = Write(r);
  EXPECT_NE(bytes.find("733363726574"), std::string::npos);  // the password in upper-case hexadecimal

  ui.inputAnswers = {std::string("s3cret"), std::string("wrong"), std::nullopt};
  TfrReport ok;
  EXPECT_EQ(Read(ok, bytes), TfrReadResult::Loaded);
  EXPECT_NE(ok.ObjectByName("Memo1"), nullptr);
  ASSERT_EQ(ui.inputs.size(), 1u);
  EXPECT_EQ(ui.inputs[0].caption, "Password");
  EXPECT_EQ(ui.inputs[0].prompt, "Enter password for opening report");
  EXPECT_TRUE(ui.inputs[0].password);

  for (int i = 0; i < 2; ++i) {  // wrong, then cancelled
    TfrReport refused;
    refused.TemplateFileName = "x.frf";
    EXPECT_EQ(Read(refused, bytes), TfrReadResult::PasswordRefused);
    EXPECT_EQ(refused.TemplatePages.Count(), 1);
    EXPECT_TRUE(refused.TemplatePages[0].ObjectList.empty());
    EXPECT_EQ(refused.TemplateFileName, kUntitled);
    EXPECT_FALSE(refused.Info.InfoPasswordProtected);
  }
  TfrReport memory;
  EXPECT_EQ(Read(memory, bytes, TfrStream::Origin::Memory), TfrReadResult::Loaded);
  EXPECT_EQ(ui.inputs.size(), 3u);
}

TEST_F(TemplateTest, MissingClassesDoNotSkipThePassword) {
  TfrReport r;
  r.TemplatePages.Add().Add(MakeObject(gtAddIn, "TfrRichView")).Name = "Rich1";
  r.Info.InfoPassword = "pw";
  r.Info.InfoPasswordProtected = true;
  std::string bytes = Write(r);
  bytes.replace(bytes.find("TfrRichView"), 11, "TfrChartVie");
  TfrReport read;
  EXPECT_EQ(Read(read, bytes), TfrReadResult::PasswordRefused);
  EXPECT_EQ(ui.inputs.size(), 1u);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TemplateTest, LoadTemplateFileSetsTheFileName) {
  TfrReport r;
  AddMemo(r, "memo5");
  const std::string path = (std::filesystem::path(::testing::TempDir()) / "签到表.frf").string();
  SaveTemplateFile(r, Utf8ToGbk(path));
  TfrReport loaded;
  EXPECT_TRUE(LoadTemplateFile(loaded, Utf8ToGbk(path)));
  EXPECT_EQ(loaded.TemplateFileName, Utf8ToGbk(path));
  EXPECT_NE(loaded.ObjectByName("memo5"), nullptr);

  // A refused password leaves the report untitled, not named after the file.
  r.Info.InfoPasswordProtected = true;
  SaveTemplateFile(r, Utf8ToGbk(path));
  TfrReport refused;
  EXPECT_TRUE(LoadTemplateFile(refused, Utf8ToGbk(path)));
  EXPECT_EQ(refused.TemplateFileName, kUntitled);
}

TEST_F(TemplateTest, ObjectsBeyondTheLastPageIndexAreNotWrittenWrongly) {
  TfrReport r;
  for (int i = 0; i < 257; ++i) r.TemplatePages.Add();
  TfrStream s;
  WriteTemplate(r, s);  // empty pages beyond the 256th are fine
  r.TemplatePages[256].Add(MakeObject(gtMemo, ""));
  TfrStream t;
  EXPECT_THROW(WriteTemplate(r, t), Error);
}

TEST_F(TemplateTest, OldDictionaryFormBecomesVariables) {
  StreamBytes b;
  b.U8(22).U16(0).U16(0).OldString("");
  b.U8(255).I32(9).I32(0).I32(0).I32(0).I32(0).I32(0).I32(0).U8(0).Raw(std::string(6, '\0'));
  b.U16(0).U16(0).I32(1).I32(0);
  b.U8(254).I32(3);
  b.U8(1).I32(0).U8(8).Raw("Temp_Set").U8(2).Raw("xm").U8(4).Raw("name");
  b.U8(2).I32(1).U8(0).U8(4).Raw("'ab'").U8(5).Raw("const");
  b.U8(2).I32(8).U8(0).U8(0).U8(5).Raw("pages");
  b.OldList({"Candidate", " name", " const", " pages", " missing"});
  b.U8(252).Info();

  TfrReport r;
  ASSERT_EQ(Read(r, b.str()), TfrReadResult::Loaded);
  const TfrVariables& v = r.Dictionary.VariableList;
  ASSERT_EQ(v.Count(), 5);
  // Stored with headings first and unmarked: names are flipped so that the
  // heading begins with a blank.
  EXPECT_EQ(v.NameAt(0), " Candidate");
  EXPECT_EQ(v.NameAt(1), "name");
  EXPECT_EQ(v.ValueAt(1), Variant("Temp_Set.\"xm\""));
  EXPECT_EQ(v.ValueAt(2), Variant("'ab'"));
  EXPECT_EQ(v.ValueAt(3), Variant("TOTALPAGES"));
  EXPECT_EQ(v.ValueAt(4), Variant(""));
  EXPECT_EQ(r.Dictionary.FieldAliasList.Count(), 0);
}

TEST_F(TemplateTest, NewDictionaryFormWithTheOlderMarkerDropsDeadAliases) {
  TfrComponentOwner window("TALVEN_Form");
  testing::MemoryDataSet data("Temp_Set", {{"xm", TfrFieldKind::Text}}, {});
  TfrReport r;
  window.Insert(r);
  window.Insert(data);
  AddMemo(r, "Memo1");
  r.Dictionary.VariableList.Set(" heading", "");
  r.Dictionary.FieldAliasList.Set("name", "Temp_Set.xm");
  r.Dictionary.FieldAliasList.Set("dead", "Temp_Set.nosuch");
  r.Dictionary.FieldAliasList.Set("blank", "");
  r.Dictionary.BandSourceList.Set("MasterData1", "");
  r.Dictionary.BandSourceList.Set("MasterData2", "12");
  std::string bytes = Write(r);
  bytes[DictionaryAt(bytes) + 1] = '\xFF';  // marker -1 instead of -2

  ASSERT_EQ(Read(r, bytes), TfrReadResult::Loaded);
  EXPECT_EQ(r.Dictionary.FieldAliasList.Count(), 2);
  EXPECT_TRUE(r.Dictionary.FieldAliasList.Contains("name"));
  EXPECT_TRUE(r.Dictionary.FieldAliasList.Contains("blank"));
  EXPECT_EQ(r.Dictionary.BandSourceList.Count(), 1);
  EXPECT_EQ(r.Dictionary.VariableList.NameAt(0), " heading");
}

}  // namespace
}  // namespace talven
