// The band engine: turns a report's template and the data behind it into
// prepared pages. PrepareReport runs one preparation (one or two passes)
// with the progress window of progress.h; the template is written aside at
// the start and read back at the end, so that what scripts change during the
// run does not outlive it.
//
// Errors: an error while an object prints (its events, brackets, script,
// aggregates), while cross-tab cells print or while aggregates are
// registered ends the preparation with the composed text "计算时发生错误"
// (the object's memo lines, "报表:" and the report's name, "对象:" and the
// object's name, the message). Any other error of the run (a dataset, a band
// or page script, a template that can make no progress) ends it the same
// way: the template is restored, document mode is left, the text is shown
// in the Ui seam's error box captioned "错误" and every prepared page is
// deleted. PrepareReport itself does not throw for them.
#pragma once

#include <string>
#include <string_view>

namespace talven {

class TfrReport;
class TfrView;

// Prepares the report into its prepared pages (PreparedPagesOf, emptied
// first); true when pages were prepared without cancellation or error.
bool PrepareReport(TfrReport& report);

// The engine start of the band engine, idempotent: fills the report
// actions' PrepareReport, through which the preview prepares again.
void StartBandEngine();

// During a preparation: prints the first band, over all kinds in order,
// whose band object is named so (any letter case); nothing otherwise.
void ShowBandByName(std::string_view name);

// The composed error text of an error with the given message, for the
// current object of the engine state (if any) and the report.
std::string ComposeErrorText(const TfrReport& report, const TfrView* object, std::string_view message);

}  // namespace talven
