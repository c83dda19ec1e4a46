// talven template dump|build: the text form of report templates.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "app/command.h"
#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "report/print/printer.h"
#include "report/template/text_form.h"

namespace talven::app {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(Utf8ToGbk("cannot open " + path));
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw Error(Utf8ToGbk("cannot write " + path));
}

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
  std::string json = DumpTemplate(ReadFile(*file), &result);
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
  if (output) WriteFile(*output, json);
  else std::fwrite(json.data(), 1, json.size(), stdout);
  return 0;
}

int Build(const Args& args) {
  std::optional<std::string> file, output;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
    else if (!file && !args[i].starts_with("-")) file = args[i];
    else return UsageError("template build: unexpected argument '" + args[i] + "'");
  }
  if (!file || !output) return UsageError("template build: usage is template build FILE.json -o FILE.frf");
  StartReportEngine();
  WriteFile(*output, BuildTemplate(ReadFile(*file)));
  return 0;
}

int RunTemplate(const Args& args) {
  if (!args.empty() && args[0] == "dump") return Dump(args);
  if (!args.empty() && args[0] == "build") return Build(args);
  return UsageError("template: expected dump or build");
}

const char kHelp[] =
    "dump reads a template (.frf, any stream version) and writes it as JSON with its texts in\n"
    "UTF-8; build writes a version-25 template from such JSON. build of dump gives back every\n"
    "template the engine writes byte for byte.\n"
    "\n"
    "  -o FILE           write to FILE (dump: instead of the standard output)\n"
    "  --password TEXT   (dump) the password of a protected template\n";

}  // namespace

TALVEN_COMMAND(template, "template",
               "template dump FILE.frf [-o FILE.json] [--password TEXT] | build FILE.json -o FILE.frf",
               "write a report template as JSON, or build one from JSON", RunTemplate, kHelp);

}  // namespace talven::app
