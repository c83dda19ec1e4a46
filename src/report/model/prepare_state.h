// The engine-wide state: one instance for the life of the process, since one
// preparation runs at a time. The band engine fills it while a report is
// prepared; expressions, scripts, the template reader and the prepared pages
// read it. Also the hooks through which the object model reaches the parts
// of the engine that sit above it (expressions, text layout, the band
// engine): each is empty until that part installs it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/variant.h"

namespace talven {

class TfrBand;
class TfrPage;
class TfrReport;
class TfrStretcheable;
class TfrView;

// Design (templates are edited or read) or printing (pages are prepared,
// drawn, printed or exported).
enum class TfrDocMode { Designing, Printing };

struct PrepareState {
  TfrReport* CurrentReport = nullptr;
  // The report whose prepared pages receive the output (the current report
  // unless a report prepares into another).
  TfrReport* MasterReport = nullptr;
  TfrPage* CurrentPage = nullptr;
  TfrBand* CurrentBand = nullptr;
  // The object being evaluated or printed.
  TfrView* CurrentObject = nullptr;

  // Zero-based index of the output page being filled ("PAGE#" is this + 1).
  int PageIndex = 0;
  bool AppendMode = false;
  int SavedPrintY = 0;
  int SavedBottomY = 0;
  bool AppendFooterPrinted = false;
  bool StopRequested = false;
  // The page count found by the first pass of a two-pass preparation.
  int TotalPages = 0;
  // Date and time of day at which the current preparation started.
  TDateTime RunDate = 0;
  TDateTime RunTime = 0;
  // The first pass of a two-pass preparation is running.
  bool PreparatoryPass = false;
  TfrDocMode DocMode = TfrDocMode::Designing;

  // The first error of a preparation, and the class names missing while a
  // template is read (one flag and text serve both).
  bool ErrorFlag = false;
  std::string ErrorText;

  // Objects whose Flags bit 15 is set: notified after every printed memo.
  std::vector<TfrView*> HookObjects;
  // Aggregate registration: while on, aggregate calls register accumulators
  // in the target band instead of giving values, and undefined names stay
  // unassigned.
  bool RegistrationMode = false;
  TfrBand* AggregateTarget = nullptr;

  // The stream version of the template or page stream being read (21 to 25);
  // the stream routines and every object reader consult it.
  int StreamVersion = 25;

  // Back to the idle state (the stream version becomes 25).
  void Reset() { *this = PrepareState{}; }
};

PrepareState& EngineState();

// What a stretching object's height hook is asked for.
enum class TfrHeightKind { Content, Minimum, Remaining };

struct EngineHooks {
  // Evaluates an expression (the expression parser).
  std::function<Variant(const std::string& expression)> Evaluate;
  // Converts an expression to its postfix form (group conditions).
  std::function<std::string(const std::string& expression)> ToPostfix;
  // Heights of memos and rich texts, which need text layout.
  std::function<int(TfrStretcheable& view, TfrHeightKind kind)> Height;
  // A band object's "DataSource" was set while its run-time band exists: the
  // band releases its dataset and resolves the new text.
  std::function<void(TfrBand& band, const std::string& dataSource)> BandDataSourceChanged;
};

EngineHooks& Hooks();

// A method's argument text evaluated as an expression through the Evaluate
// hook; any other value, and every value while no evaluator is installed,
// stays as it is.
Variant EvaluateArgument(const Variant& argument);

}  // namespace talven
