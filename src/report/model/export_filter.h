// The export hook of the object model: an export filter receives the objects
// of prepared pages and the text lines of memos (drawn in export mode)
// instead of a canvas. The filters themselves, their registry and the export
// run sit above the model; the engine-wide current filter is set while an
// export runs, as EnginePrinter() is for the printer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "report/model/component.h"
#include "report/model/view.h"

namespace talven {

class TfrMemoView;
class TfrStream;

// One run of text on a line, as a text-oriented filter keeps it.
struct TfrTextRec {
  std::int32_t X = 0, Y = 0;
  std::string Text;  // GBK
  std::uint16_t FrameTyp = 0;
};

class TfrExportFilter : public TfrComponent {
 public:
  using TfrComponent::TfrComponent;

  // The save dialog preselects this filter.
  bool Default = false;
  // The filter shows its options dialog before exporting.
  bool ShowDialog = true;
  // May change the file name (GBK) or cancel the export.
  std::function<void(std::string& FileName, bool& bContinue)> OnBeforeExport;
  // After the pages were exported and the file closed.
  std::function<void(const std::string& FileName)> OnAfterExport;

  // The file the filter writes and its stream while the run is on; the
  // stream's bytes go into the file when the run closes it.
  std::string FileName;
  TfrStream* Stream = nullptr;

  // Text runs per line, for filters that lay out text themselves.
  std::vector<std::vector<TfrTextRec>> TextLines;
  void ClearTextLines() { TextLines.clear(); }

  // The filter's options dialog: 1 (OK) goes on, anything else stops the
  // run. Without a dialog, OK.
  virtual int ShowOptions() { return 1; }
  virtual void BeginDocument() {}
  virtual void EndDocument() {}
  // The run failed once the document had begun (up to OnAfterExport): let
  // go of what the document holds.
  virtual void AbortDocument() {}
  virtual void BeginPage() {}
  virtual void EndPage() {}
  // Every object of an exported page, at its position on the page.
  virtual void ExportObject(std::int32_t /*x*/, std::int32_t /*y*/, TfrView& /*view*/) {}
  // One output line of a memo: its drawing rectangle, where the line goes,
  // its text (GBK), the memo's frame bits for this line (a line in the
  // middle of several has neither top nor bottom), and the memo.
  virtual void ExportTextLine(const TfrRect& /*drawRect*/, std::int32_t /*x*/, std::int32_t /*y*/,
                              const std::string& /*text*/, std::uint16_t /*frameTyp*/, TfrMemoView& /*memo*/) {}
};

// The filter of the export that runs, or none.
TfrExportFilter* CurrentExportFilter();
void SetCurrentExportFilter(TfrExportFilter* filter);

}  // namespace talven
