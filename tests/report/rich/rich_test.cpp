// The rich-text object: formatting into a height, the heights the band
// engine asks for, brackets, a split over pages by the band engine, and
// drawing to pictures and PDF (needs the CJK fonts of scripts/setup.sh and
// poppler's pdftotext).
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "report/engine/engine_fixture.h"
#include "report/expr/resolver.h"
#include "report/model/rich_view.h"
#include "report/render/cairo/pdf_document.h"
#include "report/render/font_faces.h"
#include "report/render/qt/qt_canvas.h"
#include "report/render/recording_canvas.h"
#include "report/render/render_view.h"
#include "report/rich/rich_layout.h"
#include "report/rich/rich_render.h"
#include "rich_fixture.h"
#include "support/pdf_text.h"

namespace talven {
namespace {

// A document with the Song face (GBK) as \f0, Arial as \f1, red and blue.
std::string Rtf(const std::string& body) {
  return "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
         "{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}" +
         body + "}";
}

// GBK bytes written as \'hh, so that the RTF stays ASCII.
std::string Hex(const std::string& utf8) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : Utf8ToGbk(utf8)) {
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      out += "\\'";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

// The height in twips of one line of the Song face at 10 points (laid out
// 200 pixels high).
double SongLineTwips() {
  QFont font(QString::fromStdString(SongFace().Family));
  font.setPixelSize(200);
  font.setHintingPreference(QFont::PreferNoHinting);
  const QFontMetricsF m(font);
  return m.ascent() + m.descent();
}

class RichTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureGuiApplication(); }
  RichTest() {
    EngineState().Reset();
    StartRenderEngine();
    StartRichEngine();
  }
  ~RichTest() override { EngineState().Reset(); }

  static void Place(TfrRichView& r, int width, int height, const std::string& rtf) {
    r.Name = "Rich1";
    r.Width = width;
    r.Height = height;
    r.RichText = rtf;
  }
};

TEST_F(RichTest, FormattingGivesTheFirstCharacterThatDoesNotFit) {
  // Nine ideographs of one em (200 twips) in a width of three: three lines.
  QTextDocument doc;
  ReadRtf(Rtf("\\f0\\fs20 " + Hex("一二三四五六七八九")), doc);
  const double line = SongLineTwips();
  struct Case {
    double height;
    int first;
  } cases[] = {{line - 1, 0}, {line, 3}, {2 * line + 1, 6}, {3 * line, 9}, {1e6, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    EXPECT_EQ(FormatRichRange(doc, 0, 600, static_cast<int>(std::ceil(c.height))), c.first);
  }
  // From a position inside the text, what is left of its line comes first.
  EXPECT_EQ(FormatRichRange(doc, 4, 600, static_cast<int>(std::ceil(line))), 7);
  EXPECT_EQ(FormatRichRange(doc, 9, 600, 1), 9);
}

TEST_F(RichTest, HeightsAreTheSmallestThatHoldTheText) {
  const double line = SongLineTwips();
  const auto px = [](double twips) { return static_cast<int>(std::ceil(twips / 15 - 1e-9)); };
  struct Case {
    const char* name;
    std::string body;
    int width, gapY;
    int height;
  } cases[] = {
      {"one line", "\\f0\\fs20 " + Hex("考场"), 100, 1, 2 + px(line)},
      {"wraps to three lines", "\\f0\\fs20 " + Hex("一二三四五六七八九"), 44, 1, 2 + px(3 * line)},
      {"two paragraphs with space before the second", "\\f0\\fs20 a\\par\\sb300 b", 100, 2,
       4 + px(2 * line + 300)},
      {"an empty text", "", 100, 3, 6 + 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TfrRichView r;
    Place(r, c.width, 10, Rtf(c.body));
    r.GapY = c.gapY;
    EXPECT_EQ(r.ContentHeight(), c.height);
    EXPECT_EQ(r.MinimumHeight(), 8);
  }
}

TEST_F(RichTest, BracketsTakeTheFormattingOfTheirOpeningBracket) {
  TfrPlainScope scope;
  scope.onGetValue = [](const std::string& name, Variant& value) {
    if (name == "two") value = Variant("x\r\ny");
    if (name == "none") value = Variant("");
    if (name == "kch") value = Variant("第3考场"_gbk);
  };
  TfrResolver resolver(scope);
  TfrResolverBinding binding(resolver);
  struct Case {
    std::string body, document;
  } cases[] = {
      {"\\f1 A\\b [1+1] B\\b0 C", "\"A\"{Arial 12 cs0} \"2\"{Arial 12 b} \" B\"{Arial 12 b cs0} \"C\"{Arial 12 cs0}"},
      {"\\f0 " + Hex("室") + "{\\cf1 [kch]}", "\"室\"{宋体 12 cs134} \"第3考场\"{宋体 12 fg#ff0000}"},
      {"\\f1 a[two]b", "\"a\"{Arial 12 cs0} \"x\"{Arial 12}\n\"y\"{Arial 12} \"b\"{Arial 12 cs0}"},
      {"\\f1 a[none]b[ '[1+1]' ]c", "\"ab\"{Arial 12 cs0} \"[1+1]\"{Arial 12} \"c\"{Arial 12 cs0}"},
      {"\\f1 [1+\\par 1] and [open", "\"2\"{Arial 12} \" and [open\"{Arial 12 cs0}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    QTextDocument doc;
    ReadRtf(Rtf(c.body), doc);
    ReplaceRichBrackets(doc);
    EXPECT_EQ(Describe(doc), c.document);
  }
}

// A framed rich text of a title in bold red, centred; a right-aligned line;
// a left-aligned line with a yellow highlight; a Chinese paragraph that
// wraps.
void SampleRich(TfrRichView& r) {
  r.Name = "Rich1";
  r.Left = 20;
  r.Top = 10;
  r.Width = 300;
  r.Height = 120;
  r.FrameTyp = 15;
  r.RichText = Rtf("\\pard\\qc\\f0\\fs32\\b\\cf1 " + Hex("考场签到表") + "\\b0\\cf0\\par\\pard\\qr\\fs20 " +
                   Hex("第1页") + "\\par\\pard\\f1 Room {\\highlight2 101}, \\i Signature\\i0\\par\\f0 " +
                   Hex("请考生按准考证号入座，并在签到表上签名。考试开始后十五分钟不得入场。"));
}

TEST_F(RichTest, DrawingPutsTheRunsWhereTheLayoutSaysInTheirFontsAndColours) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrRichView r;
  SampleRich(r);
  RecordingCanvas recording(ProductionMetrics());
  RenderView(r, recording);
  const std::vector<PlacedText> texts = recording.Texts();
  ASSERT_GE(texts.size(), 6u);
  // The text area: inside the frame and the gaps (2 and 1 at scale 1).
  const int left = 20 + 2, right = 20 + 300 + 1 - 2;
  const PlacedText& title = texts[0];
  EXPECT_EQ(GbkToUtf8(title.Text), "考场签到表");
  EXPECT_EQ(title.Font.Color, 0x0000FF);
  EXPECT_TRUE(title.Font.Style & fsBoldBit);
  EXPECT_EQ(title.Font.PixelHeight, 21);  // 16 points
  EXPECT_NEAR((title.Bounds.Left + title.Bounds.Right) / 2.0, (left + right) / 2.0, 1.5);
  EXPECT_EQ(GbkToUtf8(texts[1].Text), "第1页");
  EXPECT_NEAR(texts[1].Bounds.Right, right, 1.5);
  EXPECT_EQ(GbkToUtf8(texts[2].Text), "Room ");
  EXPECT_NEAR(texts[2].Bounds.Left, left, 0.5);
  EXPECT_EQ(GbkToUtf8(texts[3].Text), "101");
  EXPECT_EQ(texts[3].Bounds.Left, texts[2].Bounds.Right);
  EXPECT_TRUE(texts[5].Font.Style & fsItalicBit);
  // The highlight is filled behind its run, the height of the line.
  bool highlighted = false;
  for (const RecordedFill& f : recording.Fills())
    if (f.Brush.Color == 0x00FFFF) {
      highlighted = true;
      EXPECT_EQ(f.Rect.Left, texts[3].Bounds.Left);
      EXPECT_EQ(f.Rect.Right, texts[3].Bounds.Right);
    }
  EXPECT_TRUE(highlighted);
  // Characters advance along their line; the paragraph wraps inside the area.
  std::string paragraph;
  for (std::size_t i = 6; i < texts.size(); ++i) {
    paragraph += GbkToUtf8(texts[i].Text);
    EXPECT_LE(texts[i].Bounds.Right, right + 1);
    for (std::size_t c = 1; c < texts[i].Chars.size(); ++c) EXPECT_GT(texts[i].Chars[c].X, texts[i].Chars[c - 1].X);
  }
  EXPECT_EQ(paragraph, "请考生按准考证号入座，并在签到表上签名。考试开始后十五分钟不得入场。");
  EXPECT_GE(texts.size(), 8u) << "the paragraph wraps";
}

TEST_F(RichTest, IndentsNeverTakeALineOutOfTheArea) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrRichView r;
  Place(r, 100, 200, Rtf("\\pard\\li100\\fi-400\\f0\\fs20 " + Hex("一二三四五六七八九") + "\\par\\pard\\li-300\\ri-900 " +
                            Hex("十一十二十三十四十五")));
  r.Left = 20;
  RecordingCanvas recording(ProductionMetrics());
  RenderView(r, recording);
  std::string shown;
  for (const PlacedText& t : recording.Texts()) {
    shown += GbkToUtf8(t.Text);
    EXPECT_GE(t.Bounds.Left, 20 + 2);
    EXPECT_LE(t.Bounds.Right, 20 + 100 + 1 - 2);
  }
  EXPECT_EQ(shown, "一二三四五六七八九十一十二十三十四十五");
}

TEST_F(RichTest, APictureAndAPdfShowTheRichText) {
  EngineState().DocMode = TfrDocMode::Printing;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "talven_rich_test";
  std::filesystem::create_directories(dir);
  QImage image(340, 140, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    QtCanvas canvas(painter, ProductionMetrics());
    TfrRichView r;
    SampleRich(r);
    RenderView(r, canvas);
  }
  image.save(QString::fromStdString((dir / "rich.png").string()));
  int red = 0, yellow = 0, redLeft = 340, redRight = 0;
  for (int y = 11; y < 130; ++y)
    for (int x = 21; x < 320; ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 180 && c.green() < 90 && c.blue() < 90) {
        ++red;
        redLeft = std::min(redLeft, x);
        redRight = std::max(redRight, x);
      }
      if (c.red() > 200 && c.green() > 200 && c.blue() < 80) ++yellow;
    }
  EXPECT_GT(red, 100);
  EXPECT_NEAR((redLeft + redRight) / 2.0, 20 + 150, 4) << "the title is centred";
  EXPECT_GT(yellow, 50);

  // The PDF file as the program writes one, through the cairo canvas.
  const std::string pdf = (dir / "rich.pdf").string();
  {
    PdfDocument document(pdf, "rich");
    Canvas& canvas = document.BeginPage(TenthsToPoints(1480), TenthsToPoints(2100));
    TfrRichView r;
    SampleRich(r);
    r.DrawScaleX = r.DrawScaleY = PdfDocument::kResolution / 96.0;
    RenderView(r, canvas);
    document.EndPage();
    document.Finish();
  }
  const auto [text, ok] = PdfText(pdf);
  EXPECT_TRUE(ok);
  for (const char* part : {"考场签到表", "第1页", "Room 101, Signature", "请考生按准考证号入座"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

// ---- in the band engine -------------------------------------------------

class RichInEngine : public testing::BandEngineTest {
 protected:
  static void SetUpTestSuite() { EnsureGuiApplication(); }
  RichInEngine() {
    StartRenderEngine();
    StartRichEngine();
  }

  // The variable "T": the text given for the first record, "short" after.
  void TrackRowsForValue(const std::string& first) {
    data.OnFirst = [this](TfrDataset&) { row = 1; };
    data.OnNext = [this](TfrDataset&) { ++row; };
    report.OnGetValue = [this, first](const std::string& name, Variant& value) {
      if (name == "T") value = Variant(row == 1 ? first : std::string("short"));
    };
  }

  TfrRichView& AddRich(int left, int top, int width, int height, const std::string& rtf) {
    auto rich = std::make_unique<TfrRichView>();
    rich->Name = "Rich1";
    rich->Left = left;
    rich->Top = top;
    rich->Width = width;
    rich->Height = height;
    rich->RichText = rtf;
    return dynamic_cast<TfrRichView&>(PageAt(0).Add(std::move(rich)));
  }

  // The printed parts of the rich objects of a page, in order, each its
  // paragraphs joined with "|".
  std::vector<std::string> Parts(int page) {
    std::vector<std::string> parts;
    TfrStream stream(pages.PageAt(page).ObjectStream.Bytes());
    TfrPage printed(256, 2000, 1000, 65535, 0);
    ReadPreparedObjects(stream, printed);
    for (const auto& view : printed.ObjectList)
      if (auto* rich = dynamic_cast<TfrRichView*>(view.get())) {
        QTextDocument doc;
        ReadRtf(rich->RichText, doc);
        parts.push_back(PlainText(doc));
      }
    return parts;
  }

  int row = 0;

  // What drawing the page shows: its text outputs in order, in UTF-8.
  std::vector<std::string> Drawn(int page) {
    RecordingCanvas canvas(ProductionMetrics());
    pages.PageAt(page).InView = true;
    pages.DrawPage(page, canvas, TfrRect{0, 0, 720, 360});
    std::vector<std::string> texts;
    for (const PlacedText& t : canvas.Texts()) texts.push_back(GbkToUtf8(t.Text));
    return texts;
  }
};

TEST_F(RichInEngine, ASplitRichTextPrintsEveryCharacterOnceAndTheNextRecordWhole) {
  // Record 1 has 40 short lines, which need about two pages, so that its
  // band is split; record 2 one line, printed whole after it.
  std::vector<std::string> lines;
  std::string value;
  for (int i = 1; i <= 40; ++i) {
    lines.push_back("第" + std::to_string(i) + "行");
    value += (i > 1 ? "\r\n" : "") + Utf8ToGbk(lines.back());
  }
  TrackRowsForValue(value);
  data.RangeEndCount = 2;
  TfrBandView& band = AddBand(btMasterData, "MasterData1", 0, 30, "frUserDataset1");
  band.SetFlag(flStretched, true);
  AddRich(10, 0, 300, 30, Rtf("\\f0\\fs20\\b [T]\\b0 "));

  ASSERT_TRUE(Prepare()) << (ui.boxes.empty() ? "" : GbkToUtf8(ui.boxes[0].text));
  ASSERT_EQ(pages.PageCount(), 2);
  std::vector<std::string> printed, drawn;
  std::vector<std::string> parts = Parts(0);
  ASSERT_EQ(parts.size(), 1u);
  std::vector<std::string> second = Parts(1);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[1], "short");
  parts.push_back(second[0]);
  for (const std::string& part : parts) {
    std::size_t start = 0;
    for (std::size_t bar; (bar = part.find('|', start)) != std::string::npos; start = bar + 1)
      printed.push_back(part.substr(start, bar - start));
    printed.push_back(part.substr(start));
  }
  EXPECT_EQ(printed, lines);
  EXPECT_GT(Parts(0)[0].size(), 20u * 6) << "the first page holds its share";

  // Every character of each part is drawn inside the part's own height.
  for (int page = 0; page < 2; ++page)
    for (const std::string& text : Drawn(page)) drawn.push_back(text);
  lines.push_back("short");
  EXPECT_EQ(drawn, lines);
}

}  // namespace
}  // namespace talven
