// talven print: the print action of the sign-in sheet window without the
// window, its result written to a file.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/command.h"
#include "app/gui_app.h"
#include "base/error.h"
#include "base/text.h"
#include "data/host_connection.h"
#include "data/paths.h"
#include "host/headless_print.h"
#include "report/engine/progress.h"
#include "report/export/excel_export.h"
#include "report/pages/prepared_pages.h"
#include "report/pages/report_actions.h"
#include "report/print/qt/printing.h"

namespace talven::app {
namespace {

namespace fs = std::filesystem;

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

enum class OutputKind { Prepared, Pdf, Workbook };

// The result goes to a file beside the output and takes the output's name
// only when it is complete, so that a failure leaves nothing half-written
// there (and an older file of that name untouched).
class OutputFile {
 public:
  explicit OutputFile(const std::string& path)
      : path_(path),
        part_((fs::path(path).parent_path() / ("." + fs::path(path).filename().string() + "." +
                                                 std::to_string(::getpid()) + ".part")).string()) {}
  ~OutputFile() {
    if (!done_) {
      std::error_code ec;
      fs::remove(fs::path(part_), ec);
    }
  }
  const std::string& Part() const { return part_; }
  void Commit() {
    std::error_code ec;
    fs::rename(fs::path(part_), fs::path(path_), ec);
    if (ec) throw Error(Utf8ToGbk("Cannot write " + path_ + ": " + ec.message()));
    done_ = true;
  }

 private:
  std::string path_, part_;
  bool done_ = false;
};

void WriteOutput(TfrReport& report, OutputKind kind, const std::string& out) {
  OutputFile file(out);
  switch (kind) {
    case OutputKind::Prepared: SavePrepared(report, Utf8ToGbk(file.Part())); break;
    case OutputKind::Workbook: ExportToWorkbook(report, Utf8ToGbk(file.Part())); break;
    case OutputKind::Pdf: {
      TfrPrintTarget target;
      target.PdfFile = file.Part();
      PrintReportTo(report, TfrPrintChoice{}, target);
      break;
    }
  }
  file.Commit();
}

int RunPrint(const Args& args) {
  std::string url, out, home, printer;
  bool toPrinter = false;
  HeadlessPrintOptions options;
  bool quiet = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw Error(a + " needs a value");
      return args[++i];
    };
    if (a == "--db") url = value();
    else if (a == "--home") home = value();
    else if (a == "--centre") options.Centre = Utf8ToGbk(value());
    else if (a == "--from") options.From = Utf8ToGbk(value());
    else if (a == "--to") options.To = Utf8ToGbk(value());
    else if (a == "--photos") options.Photos = true;
    else if (a == "--plain-order") options.SeatOrder = false;
    else if (a == "--out") out = value();
    else if (a == "--printer") printer = Utf8ToGbk(value());
    else if (a == "--quiet") quiet = true;
    else return UsageError("print: unknown option " + a);
    if (a == "--printer") toPrinter = true;
  }
  if (out.empty() == !toPrinter) return UsageError("print: --out or --printer is needed, not both");
  OutputKind kind = OutputKind::Pdf;
  if (toPrinter) {}
  else if (EndsWith(out, ".frp")) kind = OutputKind::Prepared;
  else if (EndsWith(out, ".pdf")) kind = OutputKind::Pdf;
  else if (EndsWith(out, ".xlsx")) kind = OutputKind::Workbook;
  else return UsageError("print: --out must name a .pdf, .frp or .xlsx file");
  // The installation: the program's own folder unless given, where the
  // templates (报表/), the ini file with the photo folder and, by default,
  // the exam database are.
  if (!home.empty()) SetHostExeDir(Utf8ToGbk(home));
  if (url.empty()) url = "sqlite:" + GbkToUtf8(HostExeDir()) + "exam.db";

  std::unique_ptr<HostConnection> connection = HostConnection::Open(url);
  HeadlessProgress progress(true);
  ProgressWindowScope progressScope(progress);
  // On a printer the sheets are laid out for its paper: the engine starts on
  // the system's printers before the templates are read.
  std::unique_ptr<QGuiApplication> app;
  if (toPrinter || kind == OutputKind::Pdf) {
    app = MakeGuiApp();
    StartPrinting();
  }
  const HeadlessPrintTimes times = PrintHeadless(connection.get(), options, [&](TfrReport& report) {
    if (!toPrinter) return WriteOutput(report, kind, out);
    TfrPrintTarget target;
    target.PrinterName = printer;
    PrintReportTo(report, TfrPrintChoice{}, target);
    if (report.Cancelled) throw Error("打印已取消"_gbk);
  });
  if (toPrinter) out = "printer " + GbkToUtf8(printer);
  if (!quiet)
    std::fprintf(stderr, "%s: %d candidates, %d pages (collection %.3f s, preparation %.3f s, output %.3f s)\n",
                 out.c_str(), times.Candidates, times.Pages, times.Collection, times.Preparation, times.Output);
  return 0;
}

}  // namespace

TALVEN_COMMAND(print, "print",
               "print [--home DIR] [--db URL] [--centre CODE] [--from N --to M] [--photos] [--plain-order] [--quiet] "
               "--out OUT.pdf|OUT.frp|OUT.xlsx",
               "print the sign-in sheets of a test centre's rooms as the window's 打印 does, into a file",
               RunPrint);

}  // namespace talven::app
