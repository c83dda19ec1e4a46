// The state of one preparation and the steps of the band engine, shared by
// the files of this folder (prepare.cpp: passes, pages, data loop; bands.cpp:
// building and binding bands, aggregate registration; print.cpp: printing
// bands and emitting objects; splits_and_totals.cpp: splitting, sub-reports, cross-tab
// rows, aggregates). Not for use outside the engine.
#pragma once

#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "report/engine/progress.h"
#include "report/expr/report_scope.h"
#include "report/model/band.h"
#include "report/model/band_view.h"
#include "report/model/page.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/pages/prepared_pages.h"

namespace talven {

class TfrMemoView;
class TfrSubReportView;

// A band action recorded while a page is formed as a sub-report.
struct TfrBandAction {
  enum Kind { Print, First, Next } kind;
  TfrBand* band;
};

// Per template page, what the page model does not hold.
struct TfrPageRun {
  std::vector<TfrBand*> pending;
  std::vector<TfrBandAction> actions;
  std::size_t replayIndex = 0;
  bool unfinished = false;
};

// The sub-reports a band is printing (kept while they continue on later
// pages).
struct TfrSubreportRun {
  std::vector<TfrPage*> pages;
  int a = 0;
  int pageIndex = 0;
  bool interrupted = false;
};

class TfrEngineRun {
 public:
  TfrEngineRun(TfrReport& report, TfrEMFPages& output, TfrProgressWindow& progress);
  ~TfrEngineRun();
  TfrEngineRun(const TfrEngineRun&) = delete;
  TfrEngineRun& operator=(const TfrEngineRun&) = delete;

  // The one preparation running now, or none.
  static TfrEngineRun* Active();

  bool Prepare();
  bool PrintBand(TfrBand* band);
  void ShowBandByName(std::string_view name);

 private:
  // ---- prepare.cpp
  bool RunPasses(bool finalAfterPreparatory);
  void BuildStep();
  void BuildPages();
  void InitPage(TfrPage& page);
  void DoneReport(TfrPage& page);
  void FormPage(TfrPage& page);
  void NewPage();
  void NewColumn(TfrBand* band);
  void PrintFinishedFooters();
  void DataLoop(int level);
  void Flush(TfrPageRun& run);
  void Progress(int n);
  void RunScript(const TfrStrings& code);
  void RunPageScript(TfrPage& page);
  void Recover(const std::exception& e);

  // ---- bands.cpp
  void BuildBands(TfrPage& page);
  void BindFields(TfrPage& page);
  void RegisterAggregates(TfrPage& page);
  void ScanForAggregates(TfrBand* band);

  // ---- print.cpp
  int NeededHeight(TfrBand* band);
  int ContentHeight(TfrBand* band);
  void BandContents(TfrBand* band);
  // Prints the band's objects; true when a sub-report printed.
  bool PrintObjects(TfrBand* band);
  // Prints one object of the band, its Left moved by shiftX; false after an
  // error (reported).
  bool PrintOne(TfrBand* band, TfrView& view, int shiftX, TfrBand* vertical);
  // Cells of a cross-tab row give their vertical band (baWidth).
  void Emit(TfrView& view, TfrBand* band, TfrBand* vertical);
  void EmitMemo(TfrMemoView& memo, TfrBand* band, TfrBand* vertical);
  // Evaluates a memo not evaluated yet, as measuring it would.
  void EvaluateForSplit(TfrView& view);
  void NotifyHookObjects(TfrView& printed);
  void ReportError(const std::exception& e);

  // ---- splits_and_totals.cpp
  void PrintSplit(TfrBand* band);
  void PrintSubreports(TfrBand* band, std::size_t first);
  void ContinueSubreports(TfrBand* band);
  bool Replay(TfrPage& page);
  void PrintCrossRow(TfrBand* band);
  // False when a cell failed (reported).
  bool PrintCells(TfrBand* vertical, TfrBand* row, int x);
  void ContinueRight(TfrBand* row, int startPage);
  void Accumulate(TfrBand* band, int column);
  void ResetAggregates(TfrBand* band);

 public:
  // ---- helpers used across the files
  TfrPage& Page() const { return *EngineState().CurrentPage; }
  TfrPageRun& RunOf(TfrPage& page) { return pageRuns_[&page]; }
  int TopMargin(const TfrPage& page) const;
  int LeftMargin(const TfrPage& page) const;
  int BottomLimit(const TfrPage& page) const;
  TfrBand* Kind(int kind) const { return Page().KindBands[static_cast<std::size_t>(kind)]; }
  static bool Printable(const TfrBand* band);
  static bool IsDataBand(const TfrBand* band);
  bool FinalOfTwo() const { return twoPass_ && !EngineState().PreparatoryPass; }
  TfrReport& Report() { return report_; }

 private:
  TfrReport& report_;
  TfrEMFPages& output_;
  TfrProgressWindow& progress_;
  std::unique_ptr<TfrReportBinding> binding_;
  TfrEngineRun* previous_ = nullptr;
  bool twoPass_ = false;
  bool windowShown_ = false;
  std::string labelPrefix_;
  std::map<TfrPage*, TfrPageRun> pageRuns_;
  std::map<TfrBand*, TfrSubreportRun> subreportRuns_;
  // A sub-report piece that could not print on the page it was given.
  bool subreportBreak_ = false;
  int maxCrossColumns_ = 0;
  bool rightPagesMade_ = false;
};

// Every accumulator of the data band back to its start value (1e300 for
// MIN, else 0), and no record counted.
void RestartAccumulators(TfrBand& band);

// Band kinds of the three data levels.
constexpr int kDataKinds[3] = {btMasterData, btDetailData, btSubDetailData};

}  // namespace talven
