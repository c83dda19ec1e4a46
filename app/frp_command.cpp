// talven frp dump|build|render: prepared-report files as text, and drawn.
#include <cstdio>
#include <optional>
#include <string>

#include "app/command.h"
#include "app/command_files.h"
#include "app/frp_export_command.h"
#include "app/frp_print_command.h"
#include "app/gui_app.h"
#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "report/output/prepared_output.h"
#include "report/pages/page_list.h"
#include "report/pages/prepared_pages.h"
#include "report/pages/prepared_text_form.h"
#include "report/print/printer.h"

namespace talven::app {
namespace {

int Dump(const Args& args) {
  std::optional<std::string> file, output;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
    else if (!file && !args[i].starts_with("-")) file = args[i];
    else return UsageError("frp dump: unexpected argument '" + args[i] + "'");
  }
  if (!file) return UsageError("frp dump: which prepared-report file?");
  StartReportEngine();
  const std::string json = DumpPrepared(ReadCommandFile(*file));
  if (output) WriteCommandFile(*output, json);
  else std::fwrite(json.data(), 1, json.size(), stdout);
  return 0;
}

int Build(const Args& args) {
  StartReportEngine();
  return BuildFromJson(args, "frp", "frp build FILE.json -o FILE.frp", BuildPrepared);
}

// Draws the pages of a prepared report into a PDF file, or into PNG
// pictures, one a page.
int Render(const Args& args) {
  std::optional<std::string> file, output;
  std::string list;
  int dpi = 150;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--out" && hasValue) {
      output = args[++i];
    } else if (args[i] == "--pages" && hasValue) {
      list = args[++i];
    } else if (args[i] == "--dpi" && hasValue) {
      const std::optional<std::int32_t> n = TryStrToInt(args[++i]);
      if (!n || *n < 10 || *n > 1200) return UsageError("frp render: --dpi takes a number from 10 to 1200");
      dpi = *n;
    } else if (!file && !args[i].starts_with("-")) {
      file = args[i];
    } else {
      return UsageError("frp render: unexpected argument '" + args[i] + "'");
    }
  }
  const bool pdf = output && output->ends_with(".pdf");
  if (!file || !output || !(pdf || output->ends_with(".png")))
    return UsageError("frp render: usage is frp render FILE.frp --out OUT.pdf|OUT.png [--pages LIST] [--dpi N]");

  // Pictures are drawn through Qt; PDF files need no Qt.
  const auto gui = pdf ? nullptr : MakeGuiApp();
  StartReportEngine();
  TfrReport report;
  LoadPrepared(report, Utf8ToGbk(*file));
  TfrEMFPages& pages = PreparedPagesOf(report);
  const std::vector<bool> selected = SelectedPages(Utf8ToGbk(list), pages.PageCount());
  std::vector<int> indices;
  for (std::size_t i = 0; i < selected.size(); ++i)
    if (selected[i]) indices.push_back(static_cast<int>(i));
  if (indices.empty()) {
    std::fprintf(stderr, "talven frp: no page of the %d in %s is selected\n", pages.PageCount(), file->c_str());
    return 1;
  }
  if (pdf) {
    WritePreparedPdf(pages, indices, *output, Utf8ToGbk(*file));
  } else {
    for (const std::string& written : WritePreparedPng(pages, indices, *output, dpi))
      std::printf("%s\n", written.c_str());
  }
  return 0;
}

int RunFrp(const Args& args) {
  if (!args.empty() && args[0] == "dump") return Dump(args);
  if (!args.empty() && args[0] == "build") return Build(args);
  if (!args.empty() && args[0] == "render") return Render(args);
  if (!args.empty() && args[0] == "export") return RunFrpExport(args);
  if (!args.empty() && args[0] == "print") return RunFrpPrint(args);
  return UsageError("frp: expected dump, build, render, export or print");
}

}  // namespace

TALVEN_COMMAND(frp, "frp",
               "frp dump FILE.frp | build FILE.json -o FILE.frp | render FILE.frp --out OUT.pdf|OUT.png "
               "[--pages LIST] [--dpi N] | export FILE.frp --out OUT.xlsx [--pages LIST] [--no-merge] [--no-borders] "
               "[--scale X,Y] | print FILE.frp [--printer NAME | --out X.pdf] [--pages LIST] [--copies N] [--collate] "
               "[--odd|--even]",
               "write a prepared report as JSON, build one from JSON, draw its pages to PDF or PNG, export it to a "
               "workbook, or print it",
               RunFrp);

}  // namespace talven::app
