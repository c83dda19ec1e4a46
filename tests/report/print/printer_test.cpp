// The printer adapter: the paper table, the virtual printer, paper matching
// and a printing system answering through the PrinterSystem interface.
#include <gtest/gtest.h>

#include <limits>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/print/printer.h"

namespace talven {
namespace {

// A printing system with two printers at 600 dpi whose settings are kept
// as given.
class FakePrinterSystem : public PrinterSystem {
 public:
  std::vector<std::string> PrinterNames() override { return names; }
  int CurrentPrinter() override { return current; }
  void SelectPrinter(int index) override { current = index; }
  PrinterIdentity Identity() override { return {names.at(static_cast<std::size_t>(current)), "drv", "usb"}; }
  std::optional<PrinterDeviceSettings> DeviceSettings() override {
    ++settingsAsked;
    if (unreadable) return std::nullopt;
    return settings;
  }
  void SetDeviceSettings(const PrinterIdentity&, const PrinterDeviceSettings& s) override {
    if (s.PaperCode == refuseCode) throw Error("refused");
    settings = s;
    applied.push_back(s);
  }
  PrinterPageGeometry PageGeometry() override {
    PrinterPageGeometry g;
    g.DpiX = g.DpiY = 600;
    // Physical size follows the settings: A4, or the custom size.
    int w = settings.PaperSizeSet ? settings.PaperWidth : 2100, h = settings.PaperSizeSet ? settings.PaperLength : 2970;
    if (!settings.Portrait) std::swap(w, h);
    g.PhysicalWidth = w * 600 / 254;
    g.PhysicalHeight = h * 600 / 254;
    g.OffsetX = g.OffsetY = 100;
    g.PrintableWidth = g.PhysicalWidth - 200;
    g.PrintableHeight = g.PhysicalHeight - 200;
    return g;
  }
  std::vector<PrinterPaper> Papers() override { return papers; }
  std::vector<PrinterBin> Bins() override { return bins; }
  bool ShowProperties() override { return true; }
  bool Printing() override { return printing; }
  bool SetCopies(int) override { return true; }
  void BeginJob(const std::string&) override { printing = true; }
  void NewPage() override {}
  void EndJob() override { printing = false; }
  void AbortJob() override { printing = false; }
  Canvas* JobCanvas() override { return nullptr; }

  std::vector<std::string> names = {"Office", "Label"};
  int current = 1;
  PrinterDeviceSettings settings;
  std::vector<PrinterDeviceSettings> applied;
  std::vector<PrinterPaper> papers = {{9, "A4"}, {11, "A5"}};
  std::vector<PrinterBin> bins = {{7, "Tray 1"}, {15, "Manual feed paper tray"}};
  bool unreadable = false, printing = false;
  int refuseCode = -2;
  int settingsAsked = 0;
};

class PrinterTest : public ::testing::Test {
 protected:
  void TearDown() override { StartReportEngine(nullptr); }
};

TEST(PaperTable, HoldsTheSixtySevenPapersInOrder) {
  const auto& table = PaperTable();
  EXPECT_EQ(table.front().Code, 1);
  EXPECT_EQ(table[46].Code, 47);
  EXPECT_EQ(table[47].Code, 50);
  EXPECT_EQ(table[65].Code, 68);
  EXPECT_EQ(table.back().Code, 256);
  EXPECT_EQ(table.back().Width, 0);
  const TPaperInfo* a4 = FindPaper(9);
  ASSERT_NE(a4, nullptr);
  EXPECT_EQ(a4->Width, 2100);
  EXPECT_EQ(a4->Height, 2970);
  EXPECT_EQ(FindPaper(35)->Height, 1250);  // an envelope wider than high
  EXPECT_EQ(FindPaper(48), nullptr);
}

TEST_F(PrinterTest, VirtualPrinterLaysPagesOutWithFiveMillimetreBorders) {
  TfrPrinter& p = StartReportEngine(nullptr);
  ASSERT_EQ(p.PrinterNames(), std::vector<std::string>{"虚拟打印机"_gbk});
  EXPECT_TRUE(p.IsVirtual());
  EXPECT_EQ(EngineDefaultPaperCode(), 9);
  EXPECT_TRUE(EngineReady());
  EXPECT_EQ(p.PaperCodes().size(), 67u);

  p.SetPaper(9, 0, 0, -1, 1, false);
  EXPECT_EQ(p.CurPaperWidth(), 2970);  // landscape swaps the table's size
  EXPECT_EQ(p.CurPaperHeight(), 2100);
  p.SetPaper(9, 0, 0, -1, 0, false);
  TfrPrinterMetrics m;
  m.PaperWidthDev = 123;
  p.FillMetrics(m);
  EXPECT_EQ(m.PaperWidthUnits, 758);  // round(2100 × 93 / 1.015 / 254)
  EXPECT_EQ(m.PaperHeightUnits, 1071);
  EXPECT_EQ(m.OffsetXUnits, 18);
  EXPECT_EQ(m.OffsetYUnits, 18);
  EXPECT_EQ(m.PrintWidthUnits, 758 - 36);
  EXPECT_EQ(m.PrintHeightUnits, 1071 - 36);
  EXPECT_EQ(m.PaperWidthDev, 123);  // device pixels are left as they were

  // A new page without a printer is A4, not a sheet without a size.
  TfrReport report;
  TfrPage& page = report.TemplatePages.Add();
  EXPECT_EQ(page.Size, 9);
  EXPECT_EQ(page.PaperWidth, 2100);
  EXPECT_EQ(page.PrinterMetrics.OffsetXUnits, 18);
}

TEST_F(PrinterTest, CustomPaperMatchesWithinOneTenthOfAMillimetre) {
  TfrPrinter& p = StartReportEngine(nullptr);
  p.SetPaper(kCustomPaper, 2000, 1001, -1, 0, false);
  EXPECT_EQ(p.CurPaperWidth(), 2000);
  EXPECT_TRUE(p.PaperMatches(kCustomPaper, 2001, 1000, 5, 0));
  EXPECT_FALSE(p.PaperMatches(kCustomPaper, 2002, 1000, -1, 0));
  EXPECT_FALSE(p.PaperMatches(kCustomPaper, 2001, 1000, -1, 1));
  EXPECT_FALSE(p.PaperMatches(9, 2000, 1001, -1, 0));
  // Sizes from a damaged file are compared without overflow.
  EXPECT_FALSE(p.PaperMatches(kCustomPaper, std::numeric_limits<int>::min(), 1001, -1, 0));

  p.SetPaper(9, 0, 0, 3, 0, false);
  EXPECT_TRUE(p.PaperMatches(9, 1, 1, 3, 0));
  EXPECT_TRUE(p.PaperMatches(9, 1, 1, -1, 0));
  EXPECT_FALSE(p.PaperMatches(9, 1, 1, 4, 0));
}

TEST_F(PrinterTest, SystemPrinterIsReadAndGetsThePagePaper) {
  FakePrinterSystem sys;
  sys.settings.PaperCode = 11;
  sys.settings.DefaultSource = 7;
  TfrPrinter& p = StartReportEngine(&sys);
  EXPECT_EQ(p.PrinterNames(), (std::vector<std::string>{"Office", "Label", "虚拟打印机"_gbk}));
  EXPECT_EQ(p.PrinterIndex(), 1);
  EXPECT_EQ(p.VirtualIndex(), 2);
  EXPECT_EQ(p.Device(), "Label");
  EXPECT_EQ(EngineDefaultPaperCode(), 11);
  EXPECT_EQ(p.CurPaperWidth(), 2100);  // round(4960 px / 600 dpi × 254)
  EXPECT_EQ(p.CurPaperHeight(), 2970);
  EXPECT_EQ(p.CurBin(), 7);
  EXPECT_EQ(p.BinCodes(), (std::vector<int>{-1, 7, 15}));
  EXPECT_EQ(p.BinNames()[2], "Manual feed paper tray");
  EXPECT_EQ(p.PaperNames(), (std::vector<std::string>{"A4", "A5"}));

  p.SetPaper(kCustomPaper, 1500, 1000, -1, 1, false);
  ASSERT_FALSE(sys.applied.empty());
  const PrinterDeviceSettings& s = sys.applied.back();
  EXPECT_TRUE(s.PaperSizeSet);
  EXPECT_EQ(s.PaperWidth, 1500);
  EXPECT_EQ(s.PaperLength, 1000);
  EXPECT_EQ(s.PaperCode, kCustomPaper);
  EXPECT_FALSE(s.Portrait);
  EXPECT_EQ(s.DefaultSource, 7);  // bin -1 leaves the source alone
  EXPECT_EQ(p.CurOrientation(), 1);

  TfrPrinterMetrics m;
  p.FillMetrics(m);
  EXPECT_EQ(m.PaperWidthDev, 1000 * 600 / 254);
  EXPECT_EQ(m.OffsetXDev, 100);
  EXPECT_EQ(m.OffsetXUnits, 15);  // round(100 × 91.63 / 600)
  EXPECT_EQ(m.PrintWidthUnits, RoundHalfEven((1000 * 600 / 254 - 200) * kReportUnitsPerInch / 600));

  // While a job is open the paper stays.
  std::size_t applied = sys.applied.size();
  sys.printing = true;
  p.SetPaper(9, 0, 0, -1, 0, true);
  EXPECT_EQ(sys.applied.size(), applied);
}

TEST_F(PrinterTest, AdapterCapsWhatADriverOffers) {
  FakePrinterSystem sys;
  sys.papers.clear();
  sys.bins.clear();
  for (int i = 0; i < 300; ++i) sys.papers.push_back({i + 1, std::string(80, 'p')});
  for (int i = 0; i < 100; ++i) sys.bins.push_back({i + 1, std::string(30, 'b')});
  TfrPrinter& p = StartReportEngine(&sys);
  EXPECT_EQ(p.PaperCodes().size(), 256u);
  EXPECT_EQ(p.PaperNames()[0].size(), 64u);
  EXPECT_EQ(p.BinCodes().size(), 64u);
  EXPECT_EQ(p.BinNames().size(), 64u);
  EXPECT_EQ(p.BinNames()[1].size(), 24u);
}

TEST_F(PrinterTest, UnreadablePrinterFallsBackToTheVirtualOne) {
  FakePrinterSystem sys;
  sys.unreadable = true;
  TfrPrinter& p = StartReportEngine(&sys);
  EXPECT_TRUE(p.IsVirtual());
  EXPECT_EQ(sys.settingsAsked, 2);  // asked twice before giving up
  EXPECT_EQ(EngineDefaultPaperCode(), 9);
  sys.unreadable = false;
  p.SelectIndex(0);
  EXPECT_EQ(p.PrinterIndex(), 0);
  EXPECT_EQ(p.Device(), "Office");
  p.SelectIndex(p.VirtualIndex());
  EXPECT_TRUE(p.IsVirtual());
  EXPECT_TRUE(p.Device().empty());
}

TEST_F(PrinterTest, RefusedPaperMakesThePageCustom) {
  FakePrinterSystem sys;
  StartReportEngine(&sys);
  sys.refuseCode = 11;
  TfrReport report;
  TfrPage& page = report.TemplatePages.Add(11, 1480, 2100, 3, 0);
  EXPECT_EQ(page.Size, kCustomPaper);
  EXPECT_EQ(page.PaperWidth, 1480);
  EXPECT_EQ(page.PaperHeight, 2100);

  TfrPage& anyBin = report.TemplatePages.Add(9, 0, 0, 0x1FFFF, 0);
  EXPECT_EQ(anyBin.Size, 9);
  EXPECT_EQ(anyBin.PaperSource, 65535);  // low 16 bits all ones: the default bin
}

TEST_F(PrinterTest, SelectPrinterByNameUnlessTheDefaultIsWanted) {
  FakePrinterSystem sys;
  TfrPrinter& p = StartReportEngine(&sys);
  TfrReport report;
  report.SelectPrinterByName("Office");
  EXPECT_EQ(p.PrinterIndex(), 0);
  report.SelectPrinterByName("Nowhere");
  EXPECT_EQ(p.PrinterIndex(), 0);
  EXPECT_EQ(report.PrinterName, "Nowhere");
  report.UseDefaultPrinter = true;
  report.SelectPrinterByName("Label");
  EXPECT_EQ(p.PrinterIndex(), 0);
  EXPECT_EQ(report.PrinterName, "Label");
}

}  // namespace
}  // namespace talven
