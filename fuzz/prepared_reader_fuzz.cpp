// The prepared-report reader on any bytes: loading, rebuilding every page's
// objects and hit testing must end without a crash, a hang or a sanitizer
// report. What was read must save and read back to the same file, and once
// written by the text form, dump and build must give it back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/error.h"
#include "report/pages/prepared_pages.h"
#include "report/pages/prepared_text_form.h"
#include "report/pages/shell.h"
#include "report/print/printer.h"

namespace {

using namespace talven;

std::string Save(TfrEMFPages& pages) {
  TfrStream s;
  pages.SaveToStream(s);
  return s.TakeBytes();
}

// Every run starts from the same paper, as a fresh engine would.
void ResetPrinter() { Printer().SetPaper(9, 0, 0, -1, 0, true); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = [] {
    StartReportEngine(nullptr);
    return true;
  }();
  (void)started;
  RecordingShell shell;
  ShellScope scope(shell);

  ResetPrinter();
  TfrReport report;
  TfrEMFPages& pages = PreparedPagesOf(report);
  TfrStream input(std::string(reinterpret_cast<const char*>(data), size), TfrStream::Origin::File);
  try {
    pages.LoadFromStream(input);
  } catch (const Error&) {
    // A damaged file keeps the pages read before the damage.
  }
  for (int i = 0; i < pages.PageCount(); ++i) {
    try {
      pages.MaterializePage(i);
    } catch (const Error&) {
      continue;
    }
    std::string hint;
    int cursor = 0;
    pages.HitTest(i, 20, 20, true, hint, cursor);
    pages.HitTest(i, 20, 20, false, hint, cursor);
  }

  const std::string saved = Save(pages);
  ResetPrinter();
  TfrReport again;
  TfrStream back(saved);
  PreparedPagesOf(again).LoadFromStream(back);
  if (Save(PreparedPagesOf(again)) != saved) std::abort();

  const std::string built = BuildPrepared(DumpPrepared(saved));
  if (BuildPrepared(DumpPrepared(built)) != built) std::abort();
  return 0;
}
