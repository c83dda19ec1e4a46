// talven frp dump|build|render: prepared-report files as text, and drawn.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "app/command.h"
#include "app/frp_export_command.h"
#include "app/frp_print_command.h"
#include "base/error.h"
#include "base/text.h"
#include "report/pages/prepared_text_form.h"
#include "report/print/printer.h"

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

int Dump(const Args& args) {
  std::optional<std::string> file, output;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
    else if (!file && !args[i].starts_with("-")) file = args[i];
    else return UsageError("frp dump: unexpected argument '" + args[i] + "'");
  }
  if (!file) return UsageError("frp dump: which prepared-report file?");
  StartReportEngine();
  const std::string json = DumpPrepared(ReadFile(*file));
  if (output) WriteFile(*output, json);
  else std::fwrite(json.data(), 1, json.size(), stdout);
  return 0;
}

int Build(const Args& args) {
  std::optional<std::string> file, output;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
    else if (!file && !args[i].starts_with("-")) file = args[i];
    else return UsageError("frp build: unexpected argument '" + args[i] + "'");
  }
  if (!file || !output) return UsageError("frp build: usage is frp build FILE.json -o FILE.frp");
  StartReportEngine();
  WriteFile(*output, BuildPrepared(ReadFile(*file)));
  return 0;
}

int RunFrp(const Args& args) {
  if (!args.empty() && args[0] == "dump") return Dump(args);
  if (!args.empty() && args[0] == "build") return Build(args);
  if (!args.empty() && args[0] == "export") return RunFrpExport(args);
  if (!args.empty() && args[0] == "print") return RunFrpPrint(args);
  return UsageError("frp: expected dump, build, export or print");
}

}  // namespace

TALVEN_COMMAND(frp, "frp",
               "frp dump FILE.frp | build FILE.json -o FILE.frp | export FILE.frp --out OUT.xlsx [--pages LIST] "
               "[--no-merge] [--no-borders] [--scale X,Y] | print FILE.frp [--printer NAME | --out X.pdf] "
               "[--pages LIST] [--copies N] [--collate] [--odd|--even]",
               "write a prepared report as JSON, build one from JSON, export it to a workbook, or print it", RunFrp);

}  // namespace talven::app
