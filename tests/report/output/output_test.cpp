// Prepared pages written to PDF and PNG files (needs the CJK fonts of
// scripts/setup.sh and poppler's pdfinfo, pdftotext and pdfimages).
#include "report/output/prepared_output.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <filesystem>

#include "base/rounding.h"
#include "report/pages/pages_fixture.h"
#include "support/fixture.h"

namespace talven {
namespace {

// What a command prints on its standard output.
std::string Output(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string text;
  char buffer[512];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
  pclose(pipe);
  return text;
}

class OutputTest : public PagesTest {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_report_output";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
  }

  // A4: a title, a framed table row of Chinese texts and a photograph;
  // then A5 turned, with one line of text, fitted inside its margins.
  void SignInPages() {
    pages.AppendPage(TemplatePage());
    TfrMemoView title = Memo("Title", 40, 30, 500, 40, {"笔试考场签到表"_gbk});
    title.Font = {"宋体"_gbk, 18, fsBoldBit, clBlack, 134};
    Emit(title);
    int x = 40;
    for (const char* text : {"准考证号", "姓名", "签名"}) {
      TfrMemoView cell = Memo(std::string("Cell") + std::to_string(x), x, 90, 150, 30, {Utf8ToGbk(text)});
      cell.FrameTyp = frbLeft | frbTop | frbRight | frbBottom;
      cell.Font = {"宋体"_gbk, 11, 0, clBlack, 134};
      Emit(cell);
      x += 150;
    }
    TfrPictureView photo;
    photo.Name = "Photo";
    photo.Left = 40;
    photo.Top = 150;
    photo.Width = 90;
    photo.Height = 120;
    RgbImage pixels{30, 40, std::vector<std::uint8_t>(30 * 40 * 3, 120)};
    photo.Picture = TfrGraphic::FromImage(pixels);
    Emit(photo);

    pages.AppendPage(TemplatePage(11, 2100, 1480, 1));
    pages.PageAt(1).KeepMargins = false;
    pages.PageAt(1).Margins = {20, 20, 20, 20};
    EmitMemo("Second", 0, 0, 400, 30, {"第二页"_gbk});
  }

  test::TempDir dir;
};

TEST_F(OutputTest, APdfHasAPageOfItsOwnPaperForEveryPreparedPageWithTextAndPictures) {
  SignInPages();
  const std::string pdf = dir.File("sheets.pdf");
  WritePreparedPdf(pages, {0, 1}, pdf, "签到表"_gbk);
  EXPECT_FALSE(pages.PageAt(0).LoadedPage);  // released once written

  const std::string info = Output("pdfinfo -f 1 -l 2 '" + pdf + "'");
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    1 size:  595.276 x 841.89 pts (A4)"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    2 size:  595.276 x 419.528 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Title:           签到表"), std::string::npos) << info;

  const std::string text = Output("pdftotext -enc UTF-8 '" + pdf + "' -");
  for (const char* expected : {"笔试考场签到表", "准考证号", "姓名", "签名", "第二页"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

  const std::string images = Output("pdfimages -list '" + pdf + "'");
  EXPECT_NE(images.find("image      30    40  rgb     3   8  jpeg"), std::string::npos) << images;
  const std::string fonts = Output("pdffonts '" + pdf + "'");
  EXPECT_NE(fonts.find("CID TrueType      Identity-H       yes"), std::string::npos) << fonts;
}

TEST_F(OutputTest, PngPicturesAreNumberedByPageAtTheirResolution) {
  SignInPages();
  const std::vector<std::string> files = WritePreparedPng(pages, {1}, dir.File("page.png"), 96);
  ASSERT_EQ(files, std::vector<std::string>{dir.File("page-2.png")});
  QImage image(QString::fromStdString(files[0]));
  ASSERT_FALSE(image.isNull());
  // A5 turned at 96 dpi: its sheet in report units at 96 / 91.63 pixels.
  const TfrPrinterMetrics& m = pages.PageAt(1).Metrics;
  EXPECT_EQ(image.width(), RoundHalfEven(m.PaperWidthUnits * 96 / kReportUnitsPerInch));
  EXPECT_EQ(image.height(), RoundHalfEven(m.PaperHeightUnits * 96 / kReportUnitsPerInch));
  EXPECT_GT(image.width(), image.height());
  EXPECT_EQ(image.dotsPerMeterX(), 3780);
  // The text begins inside the printable area and the margin, not at the
  // sheet's corner.
  int firstInk = -1;
  for (int x = 0; x < image.width() && firstInk < 0; ++x)
    for (int y = 0; y < image.height() / 4; ++y)
      if (qGray(image.pixel(x, y)) < 128) {
        firstInk = x;
        break;
      }
  EXPECT_GE(firstInk, RoundHalfEven((18 + 20) * 96 / kReportUnitsPerInch));

  const struct {
    const char* path;
    int page, count;
    const char* numbered;
  } names[] = {{"a.png", 7, 12, "a-07.png"}, {"a", 3, 3, "a-3.png"}, {"dir/A.PNG", 1, 100, "dir/A-001.png"}};
  for (const auto& n : names) EXPECT_EQ(NumberedPngPath(n.path, n.page, n.count), n.numbered);
}

TEST_F(OutputTest, FilesThatCannotBeWrittenAreErrors) {
  SignInPages();
  const std::string missing = dir.File("no/such/folder/x");
  EXPECT_EQ(ErrorOf([&] { WritePreparedPdf(pages, {0}, missing + ".pdf"); }),
            Utf8ToGbk("Cannot create file \"" + missing + ".pdf\""));
  EXPECT_EQ(ErrorOf([&] { WritePreparedPng(pages, {0}, missing + ".png", 30); }),
            Utf8ToGbk("cannot write " + missing + "-1.png"));
  EXPECT_EQ(ErrorOf([&] { WritePreparedPdf(pages, {}, dir.File("none.pdf")); }),
            Utf8ToGbk("No pages to write to \"" + dir.File("none.pdf") + "\""));
}

}  // namespace
}  // namespace talven
