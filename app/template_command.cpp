// talven template dump|build: the text form of report templates.
#include <cstdio>
#include <optional>
#include <string>

#include "app/command.h"
#include "app/command_files.h"
#include "app/gui_app.h"
#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "base/convert.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/print/printer.h"
#include "report/render/cairo/pdf_document.h"
#include "report/render/qt/page_files.h"
#include "report/template/template.h"
#include "report/template/text_form.h"

#include <cstdlib>

namespace talven::app {
namespace {

void PrintBoxes(const RecordingUi& ui) {
  for (const RecordingUi::Box& box : ui.boxes)
    std::fprintf(stderr, "talven template: %s\n", GbkToUtf8(ReplaceAll(box.text, "\r", " ")).c_str());
}

int Dump(const Args& args) {
  std::optional<std::string> file, output, password;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if ((args[i] == "-o" || args[i] == "--password") && i + 1 < args.size()) {
      (args[i] == "-o" ? output : password) = args[i + 1];
      ++i;
    } else if (!file && !args[i].starts_with("-")) {
      file = args[i];
    } else {
      return UsageError("template dump: unexpected argument '" + args[i] + "'");
    }
  }
  if (!file) return UsageError("template dump: which template file?");

  RecordingUi ui;
  if (password) ui.inputAnswers.push_back(Utf8ToGbk(*password));
  UiScope scope(ui);
  StartReportEngine();
  TfrReadResult result;
  std::string json = DumpTemplate(ReadCommandFile(*file), &result);
  PrintBoxes(ui);
  switch (result) {
    case TfrReadResult::EmptyStream: std::fprintf(stderr, "talven template: %s is empty\n", file->c_str()); return 1;
    case TfrReadResult::UnsupportedVersion:
    case TfrReadResult::Damaged: return 1;
    case TfrReadResult::PasswordRefused:
      std::fprintf(stderr, "talven template: %s\n",
                   password ? "wrong password" : "the template is protected by a password (--password)");
      return 1;
    case TfrReadResult::MissingClasses:  // the objects that could be read are dumped
    case TfrReadResult::Loaded: break;
  }
  if (output) WriteCommandFile(*output, json);
  else std::fwrite(json.data(), 1, json.size(), stdout);
  return 0;
}

int Build(const Args& args) {
  StartReportEngine();
  return BuildFromJson(args, "template", "template build FILE.json -o FILE.frf", BuildTemplate);
}

// Draws one page of a template as it stands: document mode, design values,
// brackets shown as written.
int Render(const Args& args) {
  std::optional<std::string> file, output;
  int pageNo = 1;
  double scale = 1.0;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--out" && hasValue) {
      output = args[++i];
    } else if (args[i] == "--page" && hasValue) {
      auto n = TryStrToInt(args[++i]);
      if (!n || *n < 1) return UsageError("template render: --page takes a page number from 1");
      pageNo = *n;
    } else if (args[i] == "--scale" && hasValue) {
      char* end = nullptr;
      scale = std::strtod(args[++i].c_str(), &end);
      if (end == nullptr || *end != 0 || !(scale > 0.05 && scale <= 20))
        return UsageError("template render: --scale takes a number from 0.05 to 20");
    } else if (!file && !args[i].starts_with("-")) {
      file = args[i];
    } else {
      return UsageError("template render: unexpected argument '" + args[i] + "'");
    }
  }
  const bool pdf = output && output->ends_with(".pdf");
  if (!file || !output || !(pdf || output->ends_with(".png")))
    return UsageError("template render: usage is template render FILE.frf --out OUT.png|OUT.pdf");

  const auto gui = MakeGuiApp();

  RecordingUi ui;
  UiScope scope(ui);
  StartReportEngine();
  TfrReport report;
  if (!LoadTemplateFile(report, Utf8ToGbk(*file))) {
    std::fprintf(stderr, "talven template: %s does not exist\n", file->c_str());
    return 1;
  }
  PrintBoxes(ui);
  if (pageNo > report.TemplatePages.Count()) {
    std::fprintf(stderr, "talven template: %s has %d page(s)\n", file->c_str(), report.TemplatePages.Count());
    return 1;
  }
  TfrPage& page = report.TemplatePages[pageNo - 1];
  if (pdf) WriteTemplatePagePdf(page, Utf8ToGbk(*output), report.TemplateFileName);
  else WriteTemplatePagePng(page, *output, scale);
  return 0;
}

int RunTemplate(const Args& args) {
  if (!args.empty() && args[0] == "dump") return Dump(args);
  if (!args.empty() && args[0] == "build") return Build(args);
  if (!args.empty() && args[0] == "render") return Render(args);
  return UsageError("template: expected dump, build or render");
}

const char kHelp[] =
    "dump reads a template (.frf, any stream version) and writes it as JSON with its texts in\n"
    "UTF-8; build writes a version-25 template from such JSON. build of dump gives back every\n"
    "template the engine writes byte for byte. render draws one page of a template as it\n"
    "stands, to a PNG picture or a one-page PDF.\n"
    "\n"
    "  -o FILE           write to FILE (dump: instead of the standard output)\n"
    "  --password TEXT   (dump) the password of a protected template\n"
    "  --out FILE        (render) the PNG or PDF to write\n"
    "  --page N          (render) the page, from 1 (default 1)\n"
    "  --scale S         (render) pixels per report unit of a PNG (default 1)\n";

}  // namespace

TALVEN_COMMAND(template, "template",
               "template dump FILE.frf [-o FILE.json] [--password TEXT] | build FILE.json -o FILE.frf | "
               "render FILE.frf --out OUT.png|OUT.pdf [--page N] [--scale S]",
               "write a report template as JSON, build one from JSON, or draw one of its pages", RunTemplate,
               kHelp);

}  // namespace talven::app
