// The template reader on any bytes: it must end without a crash, a hang or
// a sanitizer report, and what it read must write and read back unchanged;
// for one input in eight (chosen by its bytes, so that a run repeats) it
// must also go through the text form unchanged, which costs more than the
// rest together.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "base/ui.h"
#include "report/print/printer.h"
#include "report/template/template.h"
#include "report/template/text_form.h"

namespace {

using namespace talven;

std::string Write(TfrReport& report) {
  TfrStream s;
  TfrWriteOptions options;
  options.Modified = 0;
  WriteTemplate(report, s, options);
  return s.TakeBytes();
}

// Every run starts from the same paper, as a fresh engine would.
void ResetPrinter() { Printer().SetPaper(9, 0, 0, -1, 0, true); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngineOnce();
  RecordingUi ui;  // answers every box, cancels the password
  UiScope scope(ui);

  ResetPrinter();
  TfrReport report;
  TfrStream input(std::string(reinterpret_cast<const char*>(data), size), TfrStream::Origin::File);
  ReadTemplate(report, input);

  const std::string written = Write(report);
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  if (hash % 8 == 0) {
    ResetPrinter();
    TfrReport fromText;
    ReportFromJson(ReportToJson(report), fromText);
    if (Write(fromText) != written) std::abort();
  }

  TfrReport again;
  TfrStream back(written, TfrStream::Origin::Memory);
  if (ReadTemplate(again, back) != TfrReadResult::Loaded) std::abort();
  return 0;
}
