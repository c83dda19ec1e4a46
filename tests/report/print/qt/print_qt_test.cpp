// The Qt side of printing without CUPS: the print dialog over a recording
// printing system, and the print run into a PDF file read back with
// poppler's tools. Draws with the installed CJK fonts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/pages/prepared_pages.h"
#include "report/print/print_run.h"
#include "report/print/printer.h"
#include "report/print/qt/print_form.h"
#include "report/print/qt/printing.h"
#include "report/print/numbered_pages.h"
#include "report/print/recording_printer.h"
#include "report/print/qt/test_app.h"
#include "report/render/cairo/pdf_fixture.h"
#include "support/fixture.h"

namespace talven {
namespace {

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

class PrintQtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    StartReportEngine(&system);
    EngineState().Reset();
    report.ShowProgress = false;
  }
  void TearDown() override { StartReportEngine(nullptr); }

  void Prepare(int count, const std::vector<int>& landscape = {}) {
    AppendNumberedPages(report, count, landscape, [](TfrMemoView& memo, int n) {
      memo.Left = 40;
      memo.Top = 40;
      memo.Width = 300;
      memo.Height = 40;
      memo.FrameTyp = 15;
      memo.OutputText = {Utf8ToGbk("第" + std::to_string(n) + "页 PAGE" + std::to_string(n))};
    });
  }

  FixedTextMetrics metrics;
  RecordingPrinterSystem system{metrics};
  TfrReport report;
  TfrEMFPages& pages = PreparedPagesOf(report);
};

TEST_F(PrintQtTest, APdfFileTakesEveryJobOfTheRunInOrder) {
  test::TempDir dir;
  Prepare(3, {3});
  report.PrinterName = "Label";
  TfrPrintChoice choice;
  choice.Copies = 2;
  choice.Collate = false;
  const TfrPdfJobs jobs = PrintReportTo(report, choice, {"", dir.File("out.pdf")});

  // The file makes no copies: the run prints each page twice in a row.
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].Sheets, 4);
  EXPECT_EQ(jobs[1].Sheets, 2);
  EXPECT_EQ(jobs[0].Title, "Untitled");
  const std::string info = Output("pdfinfo -f 1 -l 6 '" + dir.File("out.pdf") + "' 2>&1");
  EXPECT_NE(info.find("Pages:           6"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    4 size:  595 x 842 pts (A4)"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    5 size:  842 x 595 pts (A4)"), std::string::npos) << info;
  std::string text = Output("pdftotext '" + dir.File("out.pdf") + "' - | grep -o 'PAGE[0-9]' | tr '\\n' ' '");
  EXPECT_EQ(text, "PAGE1 PAGE1 PAGE2 PAGE2 PAGE3 PAGE3 ");
  EXPECT_NE(Output("pdftotext '" + dir.File("out.pdf") + "' -").find("第1页"), std::string::npos);

  // The engine's printer is the system's again, on the printer it was on.
  EXPECT_EQ(Printer().System(), &system);
  EXPECT_EQ(Printer().PrinterNames()[0], "Office");
  EXPECT_EQ(report.PrinterName, "Label");
}

TEST_F(PrintQtTest, ACancelledRunLeavesTheFileThatWasThere) {
  test::TempDir dir;
  Prepare(2);
  const std::string file = dir.File("kept.pdf");
  std::ofstream(file) << "earlier";
  report.OnProgress = [this](int) { report.Cancelled = true; };
  PrintReportTo(report, TfrPrintChoice{}, {"", file});
  EXPECT_EQ(test::ReadFile(file), "earlier");
  EXPECT_EQ(Printer().System(), &system);
}

// Where a sheet's ink begins, in device pixels from the paper's top-left
// corner at 1200 dpi (within its first 600 pixels); (-1, -1) for none.
std::pair<int, int> FirstInk(const std::string& pdf, int page, const std::string& root) {
  const std::string n = std::to_string(page);
  Shell("pdftoppm -r 1200 -gray -singlefile -f " + n + " -l " + n + " -x 0 -y 0 -W 600 -H 600 '" + pdf + "' '" + root + "'");
  const std::string pgm = test::ReadFile(root + ".pgm");
  const std::string header = "P5\n600 600\n255\n";
  if (pgm.compare(0, header.size(), header) != 0 || pgm.size() < header.size() + 600 * 600) return {-2, -2};
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 600; ++x)
      if (static_cast<unsigned char>(pgm[header.size() + static_cast<std::size_t>(y) * 600 + x]) < 128) return {x, y};
  return {-1, -1};
}

TEST(PdfFilePrinter, EverySheetDrawsFromItsPrintableAreaAndKeepsThePhotographsData) {
  TestApp();
  test::TempDir dir;
  const std::string file = dir.File("sheets.pdf");
  const std::string photo = PhotoJpeg(120, 160, 200);
  PdfFilePrinter printer(file);
  PrinterDeviceSettings a4, a5;
  a5.PaperCode = 11;
  a5.Portrait = false;
  std::vector<PrinterPageGeometry> geometry;
  for (const PrinterDeviceSettings& paper : {a4, a5}) {
    printer.SetDeviceSettings({}, paper);
    geometry.push_back(printer.PageGeometry());
    printer.BeginJob(paper.Portrait ? "签到表"_gbk : "相片签到表"_gbk);
    for (int sheet = 0; sheet < 2; ++sheet) {
      if (sheet > 0) printer.NewPage();
      Canvas& canvas = *printer.JobCanvas();
      canvas.SetBrush({clBlack});
      canvas.FillRect({0, 0, 100, 100});
      EXPECT_TRUE(canvas.StretchJpeg({1000, 1000, 2200, 2600}, photo, 120, 160));
    }
    printer.EndJob();
  }
  printer.Finish();

  // The printable area's corner, about 5 mm in (the page layout's margins
  // are whole points), is the canvas's origin on every sheet of either paper.
  for (int page = 1; page <= 4; ++page) {
    const PrinterPageGeometry& g = geometry[page <= 2 ? 0 : 1];
    EXPECT_NEAR(g.OffsetX, 236, 4);
    EXPECT_EQ(FirstInk(file, page, dir.File("corner")), std::make_pair(g.OffsetX, g.OffsetY)) << "sheet " << page;
  }

  const std::string info = Shell("pdfinfo -f 1 -l 4 '" + file + "'").Out;
  EXPECT_NE(info.find("Title:           签到表"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    2 size:  595 x 842 pts (A4)"), std::string::npos) << info;
  EXPECT_NE(info.find("Page    3 size:  595 x 420 pts (A5)"), std::string::npos) << info;
  EXPECT_EQ(Shell("qpdf --check '" + file + "'").Code, 0);
  // The photograph is its own JPEG data on every sheet.
  const std::vector<std::string> images = SplitLines(Shell("pdfimages -list '" + file + "'").Out);
  ASSERT_EQ(images.size(), 6u);
  for (std::size_t i = 2; i < images.size(); ++i) EXPECT_NE(images[i].find(" jpeg "), std::string::npos) << images[i];
  ASSERT_EQ(Shell("pdfimages -j -f 3 -l 3 '" + file + "' '" + dir.File("photo") + "'").Code, 0);
  EXPECT_EQ(test::ReadFile(dir.File("photo-000.jpg")), photo);
}

TEST_F(PrintQtTest, ThePrinterListHoldsTheSystemsPrintersAndCancelRestoresTheChoice) {
  Printer().SelectIndex(1);
  {
    TfrPrintForm form;
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("打印"));
    ASSERT_EQ(form.CB1->count(), 2);  // not the virtual printer
    EXPECT_EQ(form.CB1->itemText(0), "Office");
    EXPECT_EQ(form.CB1->currentIndex(), 1);
    EXPECT_EQ(form.OldIndex(), 1);
    form.CB1->setCurrentIndex(0);
    EXPECT_EQ(Printer().PrinterIndex(), 0);  // at once
    form.reject();
  }
  EXPECT_EQ(Printer().PrinterIndex(), 1);
  {
    TfrPrintForm form;
    form.CB1->setCurrentIndex(0);
    form.accept();
  }
  EXPECT_EQ(Printer().PrinterIndex(), 0);
}

TEST_F(PrintQtTest, CopiesNeverGoBelowOneAndAreReadAsANumber) {
  RecordingUi ui;
  UiScope scope(ui);
  TfrPrintForm form;
  EXPECT_EQ(form.E1->text(), "1");
  form.CopiesDown();
  EXPECT_EQ(form.E1->text(), "1");
  form.E1->setText("2");
  form.CopiesUp();
  EXPECT_EQ(form.E1->text(), "3");
  form.CopiesDown();
  EXPECT_EQ(form.E1->text(), "2");
  form.E1->setText("two");
  form.CopiesUp();
  EXPECT_EQ(form.E1->text(), "two");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "'two' is not a valid integer value.");
  EXPECT_THROW(form.Choice(1), ConvertError);
}

TEST_F(PrintQtTest, TheChoiceFollowsThePageRangeCollationAndOddEven) {
  TfrPrintForm form;
  EXPECT_TRUE(form.RB1->isChecked());
  EXPECT_TRUE(form.CollateCB->isChecked());
  EXPECT_EQ(form.Choice(4).PageList, "");

  form.RB2->setChecked(true);
  EXPECT_EQ(form.Choice(4).PageList, "4");

  form.E2->setText("1,3, 5-12");
  form.RB3->setChecked(true);
  form.E1->setText("3");
  form.CB2->setCurrentIndex(1);
  // A click on the label toggles collation and its picture.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(form.Label3, &press);
  EXPECT_FALSE(form.CollateCB->isChecked());
  EXPECT_FALSE(form.PB1->Collated());
  const TfrPrintChoice c = form.Choice(4);
  EXPECT_EQ(c.PageList, "1,3, 5-12");
  EXPECT_EQ(c.Copies, 3);
  EXPECT_EQ(c.OddEven, oeOdd);
  EXPECT_FALSE(c.Collate);
  EXPECT_EQ(c.PrinterIndex, 0);
}

TEST_F(PrintQtTest, EnteringThePageFieldChoosesPages) {
  TfrPrintForm form;
  form.show();
  QApplication::setActiveWindow(&form);
  form.E2->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(form.RB3->isChecked());
}

}  // namespace
}  // namespace talven
