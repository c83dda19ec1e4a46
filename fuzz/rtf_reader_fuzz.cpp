// The rich-text reader on any bytes: it must end without a crash, a hang or
// a sanitizer report; what it read must write and read back to the same
// text and formatting, and lay out at any width.
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "report/rich/rich_layout.h"
#include "report/rich/rtf.h"

// Fontconfig keeps the patterns of Qt's font database until the program
// ends; they are no leak of a run.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QGuiApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "fuzz_rtf_reader";
    static char* argv[] = {name, nullptr};
    return new QGuiApplication(argc, argv);
  }();
  (void)app;
  using namespace talven;
  const std::string input(reinterpret_cast<const char*>(data), size);
  QTextDocument doc;
  ReadRtf(input, doc);
  const std::string written = WriteRtf(doc);
  QTextDocument back;
  ReadRtf(written, back);
  if (WriteRtf(back) != written) std::abort();
  if (RichTextLength(back) != RichTextLength(doc)) std::abort();

  // Layout from the start and from the middle, at a width the input picks.
  if (RichTextLength(doc) <= 4000) {
    const int width = size > 0 ? static_cast<int>(data[0]) * 40 - 200 : 1000;
    for (int from : {0, RichTextLength(doc) / 2}) {
      const RichLayout layout(doc, from, width);
      const int fit = layout.FitPosition(3000);
      if (fit < from || fit > RichTextLength(doc)) std::abort();
      QTextDocument part;
      CopyRichRange(doc, from, fit, part);
      if (RichTextLength(part) > fit - from) std::abort();
    }
  }
  return 0;
}
