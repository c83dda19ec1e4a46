// Prepared pages: the page list, rebuilding and storing a page's objects,
// hit testing with links, and the prepared-report file in its three forms,
// damaged files included.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>

#include "report/model/line_view.h"
#include "report/pages/shell.h"
#include "report/pages/pages_fixture.h"

namespace talven {
namespace {

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.message();
  }
  return "";
}

// A minimal enhanced metafile: the header record (bounds 0..99 × 0..49) and
// the end-of-file record.
std::string Emf() {
  TfrStream s;
  s.WriteI32(1);   // EMR_HEADER
  s.WriteI32(88);  // record size
  for (int v : {0, 0, 99, 49, 0, 0, 2645, 1322}) s.WriteI32(v);
  s.WriteI32(0x464D4520);  // " EMF"
  s.WriteI32(0x10000);
  s.WriteI32(88 + 20);  // file size
  s.WriteI32(2);        // records
  for (int i = 0; i < 8; ++i) s.WriteI32(0);  // handles, description, palette, device sizes
  s.WriteI32(14);  // EMR_EOF
  s.WriteI32(20);
  for (int v : {0, 16, 20}) s.WriteI32(v);
  return s.TakeBytes();
}

TEST_F(PagesTest, SaveAndLoadKeepEveryPageFieldAndStream) {
  TfrPage& a4 = TemplatePage();
  a4.LeftMargin = 10;
  a4.TopMargin = 20;
  a4.RightMargin = 30;
  a4.BottomMargin = 40;
  pages.AppendPage(a4);
  EmitMemo("Memo1", 18, 18, 200, 20, {"考场"_gbk, "第二行"_gbk});
  TfrPictureView picture;
  picture.Name = "Picture1";
  picture.Picture = TfrGraphic::FromImage(RgbImage{4, 3, std::vector<std::uint8_t>(36, 200)});
  Emit(picture);

  pages.AppendPage(a4);
  TfrPreparedPage& second = pages.PageAt(1);
  second.SheetCode = 256;
  second.SheetWidth = 2001;
  second.SheetHeight = 1000;
  second.SheetOrientation = 1;
  second.SheetBin = 7;
  second.KeepMargins = false;
  second.Margins = {1, 2, 3, 4};
  TfrLineView line;
  line.Width = 300;
  Emit(line);
  report.Info.InfoGeneratorVersion = 77;

  const std::string bytes = Saved();
  TfrReport other;
  TfrEMFPages& loaded = PreparedPagesOf(other);
  TfrStream s(bytes);
  loaded.LoadFromStream(s);

  ASSERT_EQ(loaded.PageCount(), 2);
  for (int i = 0; i < 2; ++i) {
    const TfrPreparedPage& p = pages.PageAt(i);
    const TfrPreparedPage& q = loaded.PageAt(i);
    EXPECT_EQ(q.SheetCode, p.SheetCode) << i;
    EXPECT_EQ(q.SheetWidth, p.SheetWidth) << i;
    EXPECT_EQ(q.SheetHeight, p.SheetHeight) << i;
    EXPECT_EQ(q.SheetOrientation, p.SheetOrientation) << i;
    EXPECT_EQ(q.SheetBin, p.SheetBin) << i;
    EXPECT_EQ(q.KeepMargins, p.KeepMargins) << i;
    EXPECT_EQ(q.Margins, p.Margins) << i;
    EXPECT_EQ(q.ObjectStream.Bytes(), p.ObjectStream.Bytes()) << i;
  }
  EXPECT_EQ(loaded.PageAt(0).Margins, (TfrRect{10, 20, 30, 40}));
  EXPECT_EQ(other.Info.InfoGeneratorVersion, 77);
  EXPECT_EQ(other.PrinterName, VirtualPrinterName());
  // The metrics are the printer's for each page's own paper.
  EXPECT_EQ(loaded.PageAt(0).Metrics.PaperWidthUnits, 758);
  EXPECT_EQ(loaded.PageAt(1).Metrics.PaperWidthUnits, 722);

  // The header, and end offsets that each point just past their page.
  TfrStream f(bytes);
  EXPECT_EQ(f.ReadU8(), 25);
  EXPECT_EQ(f.ReadU8(), 0);
  EXPECT_EQ(ReadNewStreamString(f), VirtualPrinterName());
  EXPECT_EQ(f.ReadI32(), 2);
  const std::size_t firstEnd = static_cast<std::size_t>(f.ReadI32());
  EXPECT_EQ(firstEnd, f.Position() + 32 + pages.PageAt(0).ObjectStream.Size());
  f.Seek(firstEnd);
  EXPECT_EQ(static_cast<std::size_t>(f.ReadI32()), bytes.size() - 1);
  EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 77);

  // The objects come back as they were emitted.
  loaded.MaterializePage(0);
  const auto& objects = loaded.PageAt(0).LoadedPage->ObjectList;
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0]->Memo, (TfrStrings{"考场"_gbk, "第二行"_gbk}));
  EXPECT_EQ(dynamic_cast<TfrPictureView&>(*objects[1]).Picture, picture.Picture);
}

// A file without a version byte: its first byte is the compression byte.
std::string Versionless(std::uint8_t first, const std::string& pageData) {
  TfrStream s;
  s.WriteU8(first);
  WriteStreamString(s, "P");
  s.WriteI32(1);
  const std::size_t at = s.Position();
  s.WriteI32(0);
  s.WriteU16(9);
  s.WriteI32(2100);
  s.WriteI32(2970);
  s.WriteU8(0);
  s.WriteU8(1);
  s.WriteBytes(pageData);
  s.PatchI32(at, static_cast<std::int32_t>(s.Position()));
  s.WriteU8(66);
  return s.TakeBytes();
}

TEST_F(PagesTest, VersionlessFilesHaveNoBinsNorMarginsAndStillTheTrailingByte) {
  TfrStream page;
  page.WriteU8(25);
  TfrMemoView m = Memo("Memo1", 1, 2, 3, 4, {"x"});
  WritePreparedObject(page, m);
  for (std::uint8_t first : {0, 1, 255}) {
    SCOPED_TRACE(first);
    report.Info.InfoGeneratorVersion = 0;
    Load(Versionless(first, page.Bytes()));
    ASSERT_EQ(pages.PageCount(), 1);
    const TfrPreparedPage& p = pages.PageAt(0);
    EXPECT_EQ(report.PrinterName, "P");
    EXPECT_EQ(p.SheetCode, 9);
    EXPECT_EQ(p.SheetBin, -1);
    EXPECT_EQ(p.Margins, TfrRect{});
    EXPECT_TRUE(p.KeepMargins);
    EXPECT_EQ(report.Info.InfoGeneratorVersion, 66);
    // 1 and 255 mark compressed pages, which come back empty here.
    EXPECT_EQ(p.ObjectStream.Bytes(), first == 0 ? page.Bytes() : "");
    pages.MaterializePage(0);
    EXPECT_EQ(pages.PageAt(0).LoadedPage->ObjectList.size(), first == 0 ? 1u : 0u);
  }
}

TEST_F(PagesTest, LegacyFilesBecomePicturesOfTheirMetafiles) {
  // First byte 25 but second byte 2: the whole file is the legacy form, and
  // its first bytes are part of the printer name.
  TfrStream s;
  s.WriteBytes("\x19\x02LP\rsecond line");
  s.WriteU8(0);
  s.WriteI32(1);
  const std::size_t at = s.Position();
  s.WriteI32(0);
  s.WriteU16(256);
  s.WriteI32(1480);
  s.WriteI32(2100);
  s.WriteU8(1);
  s.WriteU8(0);
  s.WriteBytes(Emf());
  s.PatchI32(at, static_cast<std::int32_t>(s.Position()));
  report.Info.InfoGeneratorVersion = 5;

  Load(s.Bytes());
  EXPECT_EQ(report.PrinterName, "\x19\x02LP");
  ASSERT_EQ(pages.PageCount(), 1);
  TfrPreparedPage& p = pages.PageAt(0);
  EXPECT_EQ(p.SheetCode, 256);
  EXPECT_EQ(p.SheetOrientation, 1);
  EXPECT_EQ(p.SheetBin, -1);
  EXPECT_FALSE(p.KeepMargins);
  EXPECT_EQ(p.Margins, TfrRect{});
  EXPECT_EQ(report.Info.InfoGeneratorVersion, 5);  // the legacy form has no trailing byte
  EXPECT_EQ(static_cast<unsigned char>(p.ObjectStream.Bytes()[0]), 25);

  pages.MaterializePage(0);
  ASSERT_EQ(p.LoadedPage->ObjectList.size(), 1u);
  auto& picture = dynamic_cast<TfrPictureView&>(*p.LoadedPage->ObjectList[0]);
  EXPECT_EQ(picture.Left, 0);
  EXPECT_EQ(picture.Top, 0);
  EXPECT_EQ(picture.Width, p.Metrics.PaperWidthUnits);
  EXPECT_EQ(picture.Height, p.Metrics.PaperHeightUnits);
  EXPECT_GT(picture.Width, 0);
  EXPECT_EQ(picture.Picture.Kind(), TfrGraphicKind::Metafile);
  EXPECT_TRUE(picture.Picture.Enhanced());
  EXPECT_EQ(picture.Picture.Bytes(), Emf());
}

TEST_F(PagesTest, InsertAtOrPastTheEndAppendsAndOnlyAppendAnnounces) {
  TfrPage& a4 = TemplatePage();
  TfrPage& a5 = TemplatePage(11, 1480, 2100);
  std::vector<std::string> calls;
  TfrReport master("master");
  report.OnBeginPage = [&](int n) { calls.push_back("report " + std::to_string(n)); };
  master.OnBeginPage = [&](int n) { calls.push_back("master " + std::to_string(n)); };

  pages.InsertPage(0, a4);
  pages.InsertPage(1, a5);   // at the end
  pages.InsertPage(99, a5);  // past it
  pages.InsertPage(1, a4);   // before the second
  EXPECT_EQ(pages.PageCount(), 4);
  EXPECT_EQ(pages.PageAt(0).SheetCode, 9);
  EXPECT_EQ(pages.PageAt(1).SheetCode, 9);
  EXPECT_EQ(pages.PageAt(2).SheetCode, 11);
  EXPECT_EQ(pages.PageAt(3).SheetCode, 11);
  EXPECT_EQ(pages.PageAt(3).SheetWidth, 1480);
  EXPECT_EQ(pages.PageAt(3).Metrics, a5.PrinterMetrics);
  EXPECT_EQ(pages.PageAt(3).ObjectStream.Bytes(), "\x19");
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(ErrorOf([&] { pages.InsertPage(-1, a4); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { pages.PageAt(4); }), "List index out of bounds (4)");

  EngineState().CurrentReport = &report;
  EngineState().MasterReport = &master;
  EngineState().PageIndex = 4;
  pages.AppendPage(a4);
  EngineState().MasterReport = &report;
  EngineState().PageIndex = 5;
  pages.AppendPage(a4);
  EXPECT_EQ(calls, (std::vector<std::string>{"report 4", "master 4", "report 5"}));
  EXPECT_EQ(pages.PageCount(), 6);

  pages.DeletePage(0);
  EXPECT_EQ(pages.PageCount(), 5);
  EXPECT_EQ(pages.PageAt(0).SheetCode, 9);
  EXPECT_EQ(pages.PageAt(1).SheetCode, 11);
  pages.Clear();
  EXPECT_EQ(pages.PageCount(), 0);
}

class HitTestTest : public PagesTest {
 protected:
  void SetUp() override {
    PagesTest::SetUp();
    pages.AppendPage(TemplatePage());
    EmitMemo("Memo1", 0, 0, 100, 100);
    TfrMemoView jump = Memo("URLJump", 50, 50, 100, 100);
    jump.Tag = "@3";
    Emit(jump);
    TfrMemoView file = Memo("urlFile", 300, 300, 50, 50);
    file.Tag = "/tmp/报表.pdf"_gbk;
    Emit(file);
  }

  bool Hit(int x, int y, bool click) {
    hint = "old";
    return pages.HitTest(0, x, y, click, hint, cursor);
  }

  RecordingShell shell;
  ShellScope shellScope{shell};
  std::string hint;
  int cursor = 0;
};

TEST_F(HitTestTest, TheLaterOfOverlappingObjectsIsHitAndLinksWork) {
  // A jump link: its tag is the hint, nothing is opened.
  EXPECT_TRUE(Hit(60, 60, true));
  EXPECT_EQ(hint, "@3");
  EXPECT_TRUE(shell.opened.empty());

  // A file link: the shell opens it, the hint stays empty.
  EXPECT_TRUE(Hit(310, 310, true));
  EXPECT_EQ(hint, "");
  EXPECT_EQ(shell.opened, std::vector<std::string>{"/tmp/报表.pdf"_gbk});

  // Hovering over a link shows the hand and the tag, and opens nothing.
  EXPECT_TRUE(Hit(310, 310, false));
  EXPECT_EQ(cursor, crHandPoint);
  EXPECT_EQ(hint, "/tmp/报表.pdf"_gbk);
  EXPECT_EQ(shell.opened.size(), 1u);

  // A plain object answers only through the report's events.
  cursor = 0;
  EXPECT_FALSE(Hit(10, 10, true));
  EXPECT_FALSE(Hit(10, 10, false));
  EXPECT_EQ(cursor, 0);
  std::vector<std::string> events;
  report.OnObjectClick = [&](TfrView* v) { events.push_back("click " + v->Name); };
  report.OnMouseOverObject = [&](TfrView* v, int& c) {
    events.push_back("over " + v->Name);
    c = 5;
  };
  EXPECT_TRUE(Hit(10, 10, true));
  EXPECT_TRUE(Hit(10, 10, false));
  EXPECT_EQ(cursor, 5);
  EXPECT_TRUE(Hit(60, 60, true));
  EXPECT_EQ(events, (std::vector<std::string>{"click Memo1", "over Memo1", "click URLJump"}));
  EXPECT_EQ(hint, "@3");

  // Right and bottom edges lie outside a box; nothing there at all.
  EXPECT_FALSE(Hit(150, 150, true));
  EXPECT_EQ(hint, "");
  EXPECT_FALSE(Hit(1000, 1000, false));
}

TEST_F(HitTestTest, AFittedPageMapsObjectsIntoThePrintableArea) {
  TfrPreparedPage& p = pages.PageAt(0);
  p.KeepMargins = false;
  p.Margins = {20, 10, 30, 0};
  p.Metrics.PaperWidthUnits = 1000;
  p.Metrics.PaperHeightUnits = 1000;
  p.Metrics.PrintWidthUnits = 900;
  p.Metrics.PrintHeightUnits = 1010;
  p.Metrics.OffsetXUnits = 18;
  p.Metrics.OffsetYUnits = 18;
  // sx = (900 - 50) / 1000, ox = 38; sy = 1, oy = 28: "urlFile" spans
  // x 293 .. 336 and y 328 .. 378.
  EXPECT_FALSE(Hit(292, 330, false));
  EXPECT_TRUE(Hit(293, 330, false));
  EXPECT_TRUE(Hit(335, 377, false));
  EXPECT_FALSE(Hit(336, 330, false));
  EXPECT_FALSE(Hit(300, 327, false));
}

TEST_F(PagesTest, StorePageWritesTheEditedObjectsBack) {
  pages.AppendPage(TemplatePage());
  EmitMemo("Memo1", 1, 2, 3, 4, {"old"});
  EmitMemo("Memo2", 5, 6, 7, 8, {"kept"});
  pages.MaterializePage(0);
  TfrPreparedPage& p = pages.PageAt(0);
  ASSERT_EQ(EngineState().CurrentPage, p.LoadedPage.get());
  p.LoadedPage->ObjectList[0]->Memo = {"new", "text"};
  p.LoadedPage->ObjectList[1]->Left = 50;
  pages.StorePage(0);
  EXPECT_EQ(static_cast<unsigned char>(p.ObjectStream.Bytes()[0]), 25);

  pages.MaterializePage(0);
  const auto& objects = p.LoadedPage->ObjectList;
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0]->Memo, (TfrStrings{"new", "text"}));
  EXPECT_EQ(objects[1]->Memo, TfrStrings{"kept"});
  EXPECT_EQ(objects[1]->Left, 50);
}

// A page stream: the version byte, a memo, then what the case appends.
struct StreamCase {
  const char* name;
  std::function<void(TfrStream&)> append;
  std::string error;
};

TEST_F(PagesTest, DamagedPageStreamsFailKeepingTheObjectsBefore) {
  const std::vector<StreamCase> cases = {
      {"unknown type byte", [](TfrStream& s) { s.WriteU8(7); }, "Unknown object type 7"},
      {"unknown class",
       [](TfrStream& s) {
         s.WriteU8(gtAddIn);
         WriteStreamString(s, "TfrNoSuchView");
       },
       "Class TfrNoSuchView not found"},
      {"record cut short",
       [](TfrStream& s) {
         s.WriteU8(gtMemo);
         WriteStreamString(s, "Memo2");
         s.WriteU8(2);
       },
       "Stream read error"},
      {"class name cut short",
       [](TfrStream& s) {
         s.WriteU8(gtAddIn);
         s.WriteU16(50);
       },
       "Stream read error"},
  };
  pages.AppendPage(TemplatePage());
  for (const StreamCase& c : cases) {
    SCOPED_TRACE(c.name);
    TfrPreparedPage& p = pages.PageAt(0);
    p.ObjectStream = TfrStream();
    p.ObjectStream.WriteU8(25);
    TfrMemoView m = Memo("Memo1", 1, 2, 3, 4, {"x"});
    WritePreparedObject(p.ObjectStream, m);
    c.append(p.ObjectStream);
    EXPECT_EQ(ErrorOf([&] { pages.MaterializePage(0); }), c.error);
    ASSERT_TRUE(p.LoadedPage);
    ASSERT_EQ(p.LoadedPage->ObjectList.size(), 1u);
    EXPECT_EQ(p.LoadedPage->ObjectList[0]->Name, "Memo1");
    EXPECT_FALSE(EngineState().ErrorFlag);
    EXPECT_EQ(EngineState().StreamVersion, 25);
  }
}

// A damaged file: how the reader ends and how many pages it keeps.
struct FileCase {
  const char* name;
  std::function<std::string(std::string)> damage;
  std::string error;
  int pagesKept;
};

TEST_F(PagesTest, DamagedFilesEndInAnErrorWithThePagesReadBefore) {
  pages.AppendPage(TemplatePage());
  EmitMemo("Memo1", 1, 2, 3, 4, {"first"});
  pages.AppendPage(TemplatePage());
  EmitMemo("Memo2", 1, 2, 3, 4, {"second"});
  const std::string good = Saved();
  // Header: version, compression, the printer name, the count; then page 1.
  const std::size_t countAt = 2 + 2 + VirtualPrinterName().size() + 1;
  const std::size_t firstEndAt = countAt + 4;
  const auto patch = [](std::string b, std::size_t at, std::int32_t v) {
    TfrStream s(std::move(b));
    s.PatchI32(at, v);
    return s.TakeBytes();
  };
  const std::vector<FileCase> cases = {
      {"empty file", [](std::string) { return std::string(); }, "Stream read error", 0},
      {"cut in the header", [](std::string b) { return b.substr(0, 5); }, "Stream read error", 0},
      {"end offset backwards", [&](std::string b) { return patch(b, firstEndAt, 3); }, "Invalid end position", 0},
      {"end offset past the end",
       [&](std::string b) { return patch(b, firstEndAt, static_cast<std::int32_t>(b.size() + 9)); },
       "Invalid end position", 0},
      {"end offset inside the page fields",
       [&](std::string b) { return patch(b, firstEndAt, static_cast<std::int32_t>(firstEndAt + 10)); },
       "Invalid end position", 0},
      {"negative end offset", [&](std::string b) { return patch(b, firstEndAt, -1); }, "Invalid end position", 0},
      {"second page cut short", [](std::string b) { return b.substr(0, b.size() - 20); }, "Invalid end position", 1},
      {"trailing byte missing", [](std::string b) { return b.substr(0, b.size() - 1); }, "Stream read error", 2},
      {"page count far too large",
       [&](std::string b) { return patch(b, countAt, std::numeric_limits<std::int32_t>::max()); },
       "Stream read error", 2},
      // A count of zero or less reads one page, as the format always has.
      {"negative page count", [&](std::string b) { return patch(b, countAt, -7); }, "", 1},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ErrorOf([&] { Load(c.damage(good)); }), c.error);
    EXPECT_EQ(pages.PageCount(), c.pagesKept);
  }

  // Without pages the file is the header, a count of 0 and the trailing
  // byte, and reads back as such.
  pages.Clear();
  report.Info.InfoGeneratorVersion = 9;
  const std::string empty = Saved();
  EXPECT_EQ(empty.size(), countAt + 4 + 1);
  report.Info.InfoGeneratorVersion = 0;
  Load(empty);
  EXPECT_EQ(pages.PageCount(), 0);
  EXPECT_EQ(report.Info.InfoGeneratorVersion, 9);
}

TEST_F(PagesTest, AnActiveCompressorStoresAndLoadsEmptyPages) {
  pages.AppendPage(TemplatePage());
  EmitMemo("Memo1", 1, 2, 3, 4, {"lost"});
  Compressor().Active = true;
  const std::string bytes = Saved();
  Compressor().Active = false;
  EXPECT_EQ(bytes[1], 1);
  Load(bytes);
  ASSERT_EQ(pages.PageCount(), 1);
  EXPECT_EQ(pages.PageAt(0).ObjectStream.Size(), 0u);
  pages.MaterializePage(0);
  EXPECT_TRUE(pages.PageAt(0).LoadedPage->ObjectList.empty());
}

TEST_F(PagesTest, PreparedFilesOnDisk) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "talven-test-pages";
  std::filesystem::create_directories(dir);
  const std::string file = Utf8ToGbk((dir / "考场.frp").string());
  pages.AppendPage(TemplatePage());
  EmitMemo("Memo1", 1, 2, 3, 4, {"x"});
  report.Info.InfoGeneratorVersion = 42;
  SavePrepared(report, file);

  TfrReport other;
  other.Info.InfoName = "old";
  other.Info.InfoPasswordProtected = true;
  LoadPrepared(other, file);
  EXPECT_EQ(PreparedPagesOf(other).PageCount(), 1);
  EXPECT_EQ(other.Info.InfoName, "");
  EXPECT_FALSE(other.Info.InfoPasswordProtected);
  EXPECT_GT(other.Info.InfoCreated, 0);
  EXPECT_EQ(other.Info.InfoGeneratorVersion, 42);
  EXPECT_FALSE(other.Rebuildable);

  EXPECT_EQ(ErrorOf([&] { LoadPrepared(other, file + ".missing"); }), "Cannot open file \"" + file + ".missing\"");
  EXPECT_EQ(ErrorOf([&] { SavePrepared(report, Utf8ToGbk((dir / "no/such/dir.frp").string())); }).substr(0, 18),
            "Cannot create file");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace talven
