// PDF files through the cairo canvas, checked with the PDF tools: a valid
// file, fonts embedded as subsets, the texts given back, photographs as
// their own JPEG data, every page of its own size, the document
// information, and failures that leave nothing broken behind.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "base/error.h"
#include "base/text.h"
#include "pdf_fixture.h"
#include "report/model/printer_adapter.h"
#include "report/render/cairo/cairo_canvas.h"
#include "support/error_of.h"

namespace talven {
namespace {

// A sign-in sheet's kinds of content: a bold title, ruled cells of Chinese
// and Latin text, dashed and double frames with fills, turned, italic and
// underlined text, and photographs (one of them twice).
struct SampleSheet {
  std::vector<std::string> texts;  // UTF-8, as pdftotext should give them back
  std::string photo1, photo2;
};

SampleSheet WriteSample(const std::string& path, const std::string& title) {
  SampleSheet s;
  s.photo1 = PhotoJpeg(90, 120, 200);
  s.photo2 = PhotoJpeg(90, 120, 40);
  PdfDocument pdf(Utf8ToGbk(path), title);
  Objects page;
  auto text = [&](TfrMemoView& m, const std::string& utf8) {
    s.texts.push_back(utf8);
    return &m;
  };
  TfrMemoView* t = text(AddMemo(page, 40, 30, 680, 40, "笔试考场签到表"_gbk), "笔试考场签到表");
  t->Font.Size = 18;
  t->Font.Style = fsBoldBit;
  t->Alignment = frtaCenter;
  const char* names[] = {"张三", "李四", "王小明", "欧阳娜娜"};
  for (int row = 0; row < 4; ++row) {
    TfrMemoView& no = AddMemo(page, 40, 90 + row * 30, 200, 30, Utf8ToGbk("准考证号 1101" + std::to_string(row)));
    no.FrameTyp = 15;
    s.texts.push_back("准考证号 1101" + std::to_string(row));
    TfrMemoView& name = AddMemo(page, 240, 90 + row * 30, 160, 30, Utf8ToGbk(names[row]));
    name.FrameTyp = 15;
    name.Alignment = frtaCenter | frtaMiddle;
    s.texts.push_back(names[row]);
    AddPicture(page, 420 + row * 70, 90, 60, 80, row == 2 ? s.photo2 : s.photo1).FrameTyp = 15;
  }
  TfrMemoView& dashed = AddMemo(page, 40, 230, 300, 40, "Room 12, Building A"_gbk);
  dashed.Font.Name = "Arial";
  dashed.FrameTyp = 15;
  dashed.FrameStyle = psDash;
  dashed.FrameWidth = 2;
  s.texts.push_back("Room 12, Building A");
  TfrMemoView& twice = AddMemo(page, 360, 230, 300, 40, "考场地点：第一教学楼"_gbk);
  twice.FrameTyp = 15;
  twice.FrameStyle = psDouble;
  twice.FrameWidth = 2;
  twice.FillColor = 0xCCFFFF;  // light yellow
  s.texts.push_back("考场地点：第一教学楼");
  TfrMemoView& italic = AddMemo(page, 40, 290, 300, 30, "监考教师签名"_gbk);
  italic.Font.Style = fsItalicBit | fsUnderlineBit;
  italic.Font.Color = 0xAA0000;  // dark blue
  s.texts.push_back("监考教师签名");
  TfrMemoView& up = AddMemo(page, 680, 290, 30, 200, "竖排文字"_gbk);
  up.Alignment = frtaVertical;
  up.FrameTyp = 15;
  s.texts.push_back("竖排文字");
  DrawObjects(pdf, 2100, 2970, page);

  Objects landscape;
  TfrMemoView& second = AddMemo(landscape, 40, 40, 400, 30, "第二页 横向"_gbk);
  second.FrameTyp = 8;
  s.texts.push_back("第二页 横向");
  DrawObjects(pdf, 2970, 2100, landscape);
  pdf.Finish();
  return s;
}


// The colour of one pixel of a page at 72 pixels per inch.
Rgb PixelAt(const std::string& pdf, int page, double xPoints, double yPoints) {
  const Ran r = Shell("pdftoppm -r 72 -f " + std::to_string(page) + " -l " + std::to_string(page) + " -x " +
                    std::to_string(int(xPoints)) + " -y " + std::to_string(int(yPoints)) + " -W 1 -H 1 '" + pdf + "'");
  // "P6\n1 1\n255\n" and three bytes
  if (r.Code != 0 || r.Out.size() < 3) return Rgb{};
  const std::string& o = r.Out;
  return Rgb{std::uint8_t(o[o.size() - 3]), std::uint8_t(o[o.size() - 2]), std::uint8_t(o[o.size() - 1])};
}

bool Near(Rgb a, Rgb b, int tolerance = 12) {
  return std::abs(a.R - b.R) <= tolerance && std::abs(a.G - b.G) <= tolerance && std::abs(a.B - b.B) <= tolerance;
}

std::string Show(Rgb c) {
  return std::to_string(c.R) + "," + std::to_string(c.G) + "," + std::to_string(c.B);
}

TEST_F(PdfTest, ASheetIsAValidFileWithSubsetFontsThatGivesItsTextsBack) {
  const std::string file = dir.File("签到表.pdf");
  const SampleSheet sheet = WriteSample(file, "笔试考场签到表"_gbk);
  const Ran check = Shell("qpdf --check '" + file + "'");
  EXPECT_EQ(check.Code, 0) << check.Out;  // warnings count as failures too

  const Ran fonts = Shell("pdffonts '" + file + "'");
  ASSERT_EQ(fonts.Code, 0) << fonts.Out;
  const auto lines = SplitLines(fonts.Out);
  ASSERT_GT(lines.size(), 3u) << fonts.Out;
  bool song = false, latin = false;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    // name+subset-tag, type, encoding, emb, sub, uni, object
    EXPECT_TRUE(std::regex_search(lines[i], std::regex("^[A-Z]{6}\\+\\S+ .* yes +yes +yes +\\d+ +\\d+$")))
        << lines[i];
    song = song || lines[i].find("UMingCN") != std::string::npos;
    latin = latin || lines[i].find("LiberationSans") != std::string::npos;
  }
  EXPECT_TRUE(song && latin) << fonts.Out;

  // Every text once, exactly (a synthetic bold is drawn twice over itself,
  // and still reads once).
  const Ran text = Shell("pdftotext '" + file + "' -");
  ASSERT_EQ(text.Code, 0) << text.Out;
  std::vector<std::string> got;
  for (std::string line : SplitLines(text.Out)) {
    std::erase(line, '\f');  // page breaks
    if (!line.empty()) got.push_back(line);
  }
  std::vector<std::string> want = sheet.texts;
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want) << text.Out;
}

TEST_F(PdfTest, PhotographsGoInAsTheirOwnJpegDataAndAreShownAsThemselves) {
  const std::string file = dir.File("photos.pdf");
  const std::string a = PhotoJpeg(90, 120, 200), b = PhotoJpeg(90, 120, 40);
  {
    PdfDocument pdf(Utf8ToGbk(file), "photos");
    Objects one, two;
    AddPicture(one, 40, 40, 90, 120, a);
    AddPicture(one, 150, 40, 90, 120, b);
    AddPicture(one, 260, 40, 90, 120, a);  // again on the same page
    AddPicture(two, 40, 40, 90, 120, a);   // and on the next one
    // A damaged header that asks for 60000 × 60000 pixels draws nothing.
    std::string huge = b;
    const std::size_t sof = huge.find("\xFF\xC0", 2);
    huge.replace(sof + 5, 4, "\xEA\x60\xEA\x60");
    AddPicture(two, 150, 40, 90, 120, huge);
    DrawObjects(pdf, 2100, 2970, one);
    DrawObjects(pdf, 2100, 2970, two);
    pdf.Finish();
  }
  EXPECT_EQ(Shell("qpdf --check '" + file + "'").Code, 0);
  const Ran list = Shell("pdfimages -list '" + file + "'");
  ASSERT_EQ(list.Code, 0) << list.Out;
  const auto rows = SplitLines(list.Out);
  ASSERT_EQ(rows.size(), 6u) << list.Out;
  std::vector<std::string> objects;
  for (std::size_t i = 2; i < rows.size(); ++i) {
    std::istringstream row(rows[i]);
    std::string page, num, type, width, height, color, comp, bpc, enc, interp, object;
    row >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc >> interp >> object;
    EXPECT_EQ(enc, "jpeg") << rows[i];
    EXPECT_EQ(width + "x" + height, "90x120") << rows[i];
    objects.push_back(object);
  }
  // A photograph a page repeats is its own image there; the next page uses
  // the one already in the file.
  EXPECT_NE(objects[0], objects[2]);
  EXPECT_EQ(objects[0], objects[3]);

  // Extracted, the photographs are byte for byte the data given.
  ASSERT_EQ(Shell("cd '" + dir.path() + "' && pdfimages -j photos.pdf img").Code, 0);
  EXPECT_EQ(test::ReadFile(dir.File("img-000.jpg")), a);
  EXPECT_EQ(test::ReadFile(dir.File("img-001.jpg")), b);
  EXPECT_EQ(test::ReadFile(dir.File("img-003.jpg")), a);

  // And shown as their pixels (red 200 or 40 at the left edge, green rising
  // to the right, blue downward).
  const double unit = 72 / kReportUnitsPerInch;
  EXPECT_TRUE(Near(PixelAt(file, 1, 42 * unit, 100 * unit), Rgb{200, 6, 127}, 30))
      << Show(PixelAt(file, 1, 42 * unit, 100 * unit));
  EXPECT_TRUE(Near(PixelAt(file, 1, 152 * unit, 100 * unit), Rgb{40, 6, 127}, 30))
      << Show(PixelAt(file, 1, 152 * unit, 100 * unit));
}

TEST_F(PdfTest, PagesKeepTheirOwnPaperAndTheDocumentItsInformation) {
  const std::string file = dir.File("info.pdf");
  WriteSample(file, "笔试考场签到表"_gbk);
  const Ran info = Shell("pdfinfo -f 1 -l 2 -isodates '" + file + "'");
  ASSERT_EQ(info.Code, 0) << info.Out;
  EXPECT_NE(info.Out.find("Title:           笔试考场签到表\n"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("Author:          talven\n"), std::string::npos) << info.Out;
  char year[8];
  const std::time_t now = std::time(nullptr);
  std::strftime(year, sizeof year, "%Y", std::localtime(&now));
  EXPECT_TRUE(std::regex_search(info.Out, std::regex(std::string("CreationDate: +") + year + "-\\d\\d-\\d\\dT")))
      << info.Out;
  EXPECT_NE(info.Out.find("Page    1 size:  595.276 x 841.89 pts (A4)"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("Page    2 size:  841.89 x 595.276 pts (A4)"), std::string::npos) << info.Out;
}

TEST_F(PdfTest, GlyphsStandWhereTheLayoutPlacedThem) {
  const std::string file = dir.File("glyphs.pdf");
  CanvasFont song;
  song.Name = "宋体"_gbk;
  song.PixelHeight = 180;
  CanvasFont arial;
  arial.PixelHeight = 150;
  std::vector<PlacedText> placed;
  {
    PdfDocument pdf(Utf8ToGbk(file), "glyphs");
    Canvas& c = pdf.BeginPage(TenthsToPoints(2100), TenthsToPoints(2970));
    const struct {
      CanvasFont font;
      int charExtra;
      const char* text;
    } lines[] = {{song, 0, "考场 签到表 准考证号"}, {arial, 0, "Room 12, Building A"},
                 {song, 60, "监考 教师 签名"}, {arial, 25, "wide iiii WWWW"}};
    int y = 600;
    for (const auto& l : lines) {
      c.SetFont(l.font);
      c.SetCharExtra(l.charExtra);
      placed.push_back(c.Place(900, y, Utf8ToGbk(l.text)));
      c.TextOut(900, y, Utf8ToGbk(l.text));
      y += 400;
    }
    pdf.EndPage();
    pdf.Finish();
  }
  // Each word's start, as the reader finds it, against the position of its
  // first character. Within a run a reader advances by the font's widths,
  // which the file holds in thousandths of an em: a word may drift by that
  // much for every character before it (here 0.06 point at most), while
  // the spacing of the lines with extra character spacing is 1.5 to 3.6
  // points a character.
  const Ran words = Shell("pdftotext -bbox '" + file + "' -");
  ASSERT_EQ(words.Code, 0) << words.Out;
  const std::regex word("<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"[0-9.]+\" yMax=\"[0-9.]+\">([^<]*)</word>");
  std::vector<std::pair<double, std::string>> found;
  for (auto it = std::sregex_iterator(words.Out.begin(), words.Out.end(), word); it != std::sregex_iterator(); ++it)
    found.emplace_back(std::stod((*it)[1]), (*it)[2]);
  std::vector<std::pair<double, std::string>> want;
  for (const PlacedText& t : placed) {
    bool inWord = false;
    for (std::size_t i = 0, k = 0; i < t.Text.size(); ++k) {
      const std::size_t n = IsLeadByte(static_cast<unsigned char>(t.Text[i])) && i + 1 < t.Text.size() ? 2 : 1;
      if (t.Text[i] == ' ') {
        inWord = false;
      } else {
        if (!inWord) want.emplace_back(t.Chars[k].X * 72 / PdfDocument::kResolution, "");
        inWord = true;
        want.back().second += t.Text.substr(i, n);
      }
      i += n;
    }
  }
  ASSERT_EQ(found.size(), want.size()) << words.Out;
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(found[i].second, GbkToUtf8(want[i].second));
    EXPECT_NEAR(found[i].first, want[i].first, 0.1) << found[i].second;
  }
}

TEST(JpegData, PassesThroughOnlyWhatAPdfShowsAsItIs) {
  const std::string rgb = PhotoJpeg(30, 20, 100);
  RgbImage grey;
  grey.width = 30;
  grey.height = 20;
  grey.pixels.assign(30 * 20 * 3, 128);
  const std::string gray = EncodeJpeg(grey, 80, true);
  // The frame header of the baseline image: its marker, precision and
  // number of components, changed one at a time.
  const std::size_t sof = rgb.find("\xFF\xC0", 2);
  ASSERT_NE(sof, std::string::npos);
  auto with = [&](std::size_t at, char value) {
    std::string j = rgb;
    j[at] = value;
    return j;
  };
  const struct {
    const char* what;
    std::string data;
    int width, height;
    bool passes;
  } cases[] = {
      {"baseline", rgb, 30, 20, true},
      {"greyscale", gray, 30, 20, true},
      {"progressive", with(sof + 1, '\xC2'), 30, 20, true},
      {"lossless", with(sof + 1, '\xC3'), 30, 20, false},
      {"arithmetic", with(sof + 1, '\xC9'), 30, 20, false},
      {"12-bit", with(sof + 4, 12), 30, 20, false},
      {"four components", with(sof + 9, 4), 30, 20, false},
      {"another size", rgb, 20, 30, false},
      {"cut before its frame", rgb.substr(0, sof + 4), 30, 20, false},
      {"no JPEG", "BM" + rgb.substr(2), 30, 20, false},
  };
  for (const auto& c : cases) EXPECT_EQ(JpegPassesThrough(c.data, c.width, c.height), c.passes) << c.what;
}

// Writes the sample sheet over the file with room for 8 KiB only: 0 when
// the failure names the file and the earlier file stays as it was.
int WriteOnAFullDisk(const std::string& file) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{8192, 8192};
  setrlimit(RLIMIT_FSIZE, &limit);
  std::string message;
  try {
    WriteSample(file, "");
  } catch (const Error& e) {
    message = e.message();
  }
  const bool untouched = test::ReadFile(file) == "earlier" && !std::filesystem::exists(file + ".part");
  return message == "Cannot write file \"" + Utf8ToGbk(file) + "\"" && untouched ? 0 : 1;
}

TEST_F(PdfTest, FailuresNameTheFileAndLeaveAnEarlierFileAsItWas) {
  const std::string missing = Utf8ToGbk(dir.File("no/such/folder/签到表.pdf"));
  EXPECT_EQ(ErrorOf([&] { PdfDocument pdf(missing, ""); }), "Cannot create file \"" + missing + "\"");

  const std::string file = dir.File("earlier.pdf");
  { std::ofstream(file) << "earlier"; }
  {
    // A run that stops half way.
    PdfDocument pdf(Utf8ToGbk(file), "");
    Objects page;
    AddMemo(page, 10, 10, 100, 20, "半途"_gbk);
    DrawObjects(pdf, 2100, 2970, page);
  }
  EXPECT_EQ(test::ReadFile(file), "earlier");
  {
    PdfDocument pdf(Utf8ToGbk(file), "");
    EXPECT_EQ(ErrorOf([&] { pdf.Finish(); }), "No pages to write to \"" + Utf8ToGbk(file) + "\"");
  }
  EXPECT_EQ(test::ReadFile(file), "earlier");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // nothing beside it

  // A disk that fills up while the file is written.
  EXPECT_EXIT(std::_Exit(WriteOnAFullDisk(file)), ::testing::ExitedWithCode(0), "");
}


TEST(CairoCanvas, TurnedAndItalicTextLeavesTheSharedFacesMeasuresAlone) {
  CanvasFont song;
  song.Name = "宋体"_gbk;
  const FontMeasure& before = ProductionMetrics().MeasureFor(song, 40);
  const std::int32_t a = before.Advance64('A'), zhong = before.Advance64(0xD6D0);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 400, 400);
  cairo_t* cr = cairo_create(surface);
  {
    CairoCanvas canvas(cr, ProductionMetrics());
    CanvasFont turned = song;
    turned.PixelHeight = 40;
    turned.Escapement = 900;
    turned.Style = fsItalicBit;
    canvas.SetFont(turned);
    canvas.TextOut(100, 350, "AB中文"_gbk);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  // A style measured for the first time after the drawing reads the same
  // face again.
  song.Style = fsBoldBit;
  const FontMeasure& after = ProductionMetrics().MeasureFor(song, 40);
  EXPECT_EQ(after.Advance64('A'), a);
  EXPECT_EQ(after.Advance64(0xD6D0), zhong);
}


CanvasImage Solid(int w, int h, Rgb c, std::uint8_t alpha = 255) {
  CanvasImage image{w, h, {}};
  for (int i = 0; i < w * h; ++i) image.Rgba.insert(image.Rgba.end(), {c.R, c.G, c.B, alpha});
  return image;
}

TEST_F(PdfTest, PixelPicturesKeepTheirColoursInAPdfAndOnAnImage) {
  const Rgb red{220, 30, 40};
  const std::string file = dir.File("pixels.pdf");
  {
    PdfDocument pdf(Utf8ToGbk(file), "");
    Canvas& c = pdf.BeginPage(200, 200);
    c.StretchImage({0, 0, 1000, 1000}, Solid(4, 4, red));
    c.StretchImage({1000, 0, 2000, 1000}, Solid(4, 4, red, 128));  // half over white
    pdf.Finish();
  }
  EXPECT_EQ(Shell("qpdf --check '" + file + "'").Code, 0);
  EXPECT_TRUE(Near(PixelAt(file, 1, 30, 30), red)) << Show(PixelAt(file, 1, 30, 30));
  EXPECT_TRUE(Near(PixelAt(file, 1, 90, 30), Rgb{237, 142, 147})) << Show(PixelAt(file, 1, 90, 30));

  // Another surface takes no JPEG data: the photograph is decoded.
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 100);
  cairo_t* cr = cairo_create(surface);
  {
    CairoCanvas canvas(cr, ProductionMetrics());
    DrawGraphic(canvas, {0, 0, 50, 100}, TfrGraphic::FromBytes(TfrGraphicKind::Jpeg, PhotoJpeg(50, 100, 200)), false);
    canvas.StretchImage({50, 0, 100, 100}, Solid(2, 2, red));
  }
  cairo_surface_flush(surface);
  auto at = [&](int x, int y) {
    const auto* p = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + x * 4;
    return Rgb{p[2], p[1], p[0]};
  };
  EXPECT_TRUE(Near(at(1, 50), Rgb{200, 5, 127}, 30)) << Show(at(1, 50));
  EXPECT_TRUE(Near(at(75, 50), red)) << Show(at(75, 50));
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}


TEST_F(PdfTest, RuledLinesOfATableBecomeOneLineARowAndAColumn) {
  const std::string file = dir.File("table.pdf");
  {
    PdfDocument pdf(Utf8ToGbk(file), "");
    Objects cells;
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column)
        AddMemo(cells, 40 + column * 100, 40 + row * 30, 100, 30, "格"_gbk).FrameTyp = 15;
    DrawObjects(pdf, 2100, 2970, cells);
    pdf.Finish();
  }
  ASSERT_EQ(Shell("qpdf --qdf --object-streams=disable '" + file + "' '" + file + ".qdf'").Code, 0);
  const std::string stream = test::ReadFile(file + ".qdf");
  std::size_t rectangles = 0;
  for (std::size_t at = 0; (at = stream.find(" re f\n", at)) != std::string::npos; ++at) ++rectangles;
  EXPECT_EQ(rectangles, 4u + 4u);  // of 36 frame lines drawn
  EXPECT_EQ(Shell("pdftotext '" + file + "' - | grep -o 格 | wc -l").Out, "9\n");
}

// The colour of a pixel of an image surface.
Rgb At(cairo_surface_t* surface, int x, int y) {
  cairo_surface_flush(surface);
  const auto* p = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + x * 4;
  return Rgb{p[2], p[1], p[0]};
}

TEST(CairoCanvas, LinesHeldBackStillLieUnderWhatIsDrawnOverThem) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 100);
  cairo_t* cr = cairo_create(surface);
  {
    CairoCanvas c(cr, ProductionMetrics());
    c.SetBrush(CanvasBrush{clWhite, false});
    c.FillRect({0, 0, 100, 100});
    c.SetPen(CanvasPen{clBlack, 3, PenStyle::Solid});
    c.Line(10, 20, 90, 20);
    c.Line(10, 60, 90, 60);
    c.SetPen(CanvasPen{0x0000FF, 3, PenStyle::Solid});  // red across both
    c.Line(50, 10, 50, 90);
    c.SetBrush(CanvasBrush{0x00FF00, false});  // green over the lower crossing
    c.FillRect({45, 55, 55, 65});
    c.SetPen(CanvasPen{clBlack, 1, PenStyle::Dash});  // dashes over the red line
    c.Line(40, 40, 60, 40);
    c.Flush();
  }
  EXPECT_EQ(At(surface, 30, 20), (Rgb{0, 0, 0}));
  EXPECT_EQ(At(surface, 50, 20), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(surface, 50, 60), (Rgb{0, 255, 0}));
  EXPECT_EQ(At(surface, 70, 60), (Rgb{0, 0, 0}));
  EXPECT_EQ(At(surface, 50, 40), (Rgb{0, 0, 0}));
  EXPECT_EQ(At(surface, 50, 30), (Rgb{255, 0, 0}));
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

}  // namespace
}  // namespace talven
