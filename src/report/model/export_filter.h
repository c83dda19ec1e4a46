// The export hook of the object model: an export filter receives the objects
// of prepared pages and the text lines of memos (drawn in export mode)
// instead of a canvas. The filters themselves, their registry and the export
// run sit above the model; the engine-wide current filter is set while an
// export runs, as EnginePrinter() is for the printer.
#pragma once

#include <cstdint>
#include <string>

#include "report/model/component.h"
#include "report/model/view.h"

namespace talven {

class TfrMemoView;
class TfrStream;

class TfrExportFilter : public TfrComponent {
 public:
  using TfrComponent::TfrComponent;

  // The file the filter writes and its stream while the run is on.
  std::string FileName;
  TfrStream* Stream = nullptr;

  // The filter's options dialog: 1 (OK) goes on, anything else stops the
  // run. Without a dialog, OK.
  virtual int ShowOptions() { return 1; }
  virtual void BeginDocument() {}
  virtual void EndDocument() {}
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
