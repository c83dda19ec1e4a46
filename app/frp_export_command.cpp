// talven frp export: a prepared-report file into a spreadsheet workbook,
// through the same filter the preview's save dialog offers.
#include <cstdio>
#include <optional>
#include <string>

#include "app/command.h"
#include "app/frp_export_command.h"
#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "report/engine/progress.h"
#include "report/export/excel_export.h"
#include "report/model/progress_box.h"
#include "report/model/report.h"
#include "report/pages/prepared_pages.h"
#include "report/print/printer.h"

namespace talven::app {

namespace {

// "150,80": the scales in percent, as the options dialog takes them.
bool ParseScale(const std::string& text, TfrExcelExportOptions& options) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  const auto x = TryStrToInt(text.substr(0, comma)), y = TryStrToInt(text.substr(comma + 1));
  if (!x || !y || *x <= 0 || *y <= 0) return false;
  options.ScaleX = *x / 100.0;
  options.ScaleY = *y / 100.0;
  return true;
}

}  // namespace

int RunFrpExport(const Args& args) {
  std::optional<std::string> file, output;
  TfrExcelExportOptions options;
  bool quiet = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--out" && i + 1 < args.size()) output = args[++i];
    else if (a == "--pages" && i + 1 < args.size()) options.Pages = Utf8ToGbk(args[++i]);
    else if (a == "--scale" && i + 1 < args.size()) {
      if (!ParseScale(args[++i], options))
        return UsageError("frp export: --scale takes two percentages, as in --scale 150,100");
    } else if (a == "--no-merge") options.CellsMerged = false;
    else if (a == "--no-borders") options.CellsBorders = false;
    else if (a == "--quiet") quiet = true;
    else if (!file && !a.starts_with("-")) file = a;
    else return UsageError("frp export: unexpected argument '" + a + "'");
  }
  if (!file || !output) return UsageError("frp export: usage is " + std::string(kFrpExportUsage));
  StartReportEngine();
  ProgressBoxFactory previous;
  if (!quiet) previous = SetProgressBoxFactory([] { return std::make_unique<StderrProgressBox>(); });
  HeadlessProgress pages(quiet);
  ProgressWindowScope scope(pages);
  TfrReport report;
  LoadPrepared(report, Utf8ToGbk(*file));
  ExportToWorkbook(report, Utf8ToGbk(*output), options);
  SetProgressBoxFactory(previous);
  return 0;
}

}  // namespace talven::app
