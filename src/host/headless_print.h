// The print action without a window: the start-up sequence and 打印 of the
// sign-in sheet window (TMainWindowLogic) over a view that is never shown,
// with the prepared report handed to an output instead of the preview. The
// collection, the arrangement, the templates, the binding and the
// preparation are the window's own.
#pragma once

#include <functional>
#include <string>

#include "sheets/sheet_report.h"

namespace talven {

class HostConnection;

struct HeadlessPrintOptions {
  // The test centre's code; empty: the installation's own unit, as the
  // window selects it when it opens.
  std::string Centre;
  // The record range as typed into 从 and 到; empty: the whole list.
  std::string From, To;
  bool Photos = false;     // 含相片 (also when the settings make it mandatory)
  bool SeatOrder = true;   // 按座位顺序的S型打印
};

// How long the steps took, in seconds: opening the window (settings, tree,
// room list), collecting and arranging the candidates with loading the
// template, preparing the pages, and the output.
struct HeadlessPrintTimes {
  double StartUp = 0, Collection = 0, Preparation = 0, Output = 0;
  int Candidates = 0;  // rows of MemTable1
  int Pages = 0;
};

// Runs the print action over the connection and calls output with the
// prepared report. Fails with the message the window would show (in the
// general error box, or as information): a start-up error, a centre the
// tree does not hold, a unit that is no test centre ("请选择一个考点！"), a
// centre without rooms, a record range that is no number or lies outside
// the list, a database error, a missing template, a preparation error
// (whose composed text the engine has shown through the Ui seam), and an
// empty candidate set, which leaves nothing to print.
HeadlessPrintTimes PrintHeadless(HostConnection* connection, const HeadlessPrintOptions& options,
                                 const TSheetReport::ShowPrepared& output);

}  // namespace talven
