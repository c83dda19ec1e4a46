// Putting a report's prepared pages on paper: changing the printer under a
// report (SwitchPrinter) and the print run (PrintPrepared). The run walks
// the prepared pages and draws each onto the canvas of the printing
// system's open job, through the engine's printer adapter; it starts a new
// print job whenever the paper changes, so one run may hand the printer
// several jobs.
#pragma once

#include <string>

#include "report/model/view.h"

namespace talven {

class TfrReport;
struct TfrPreparedPage;

// The odd/even choice of a print run.
enum TfrOddEven : int { oeAll = 0, oeOdd = 1, oeEven = 2 };

// Selects the printer at newIndex for the report: its name becomes the
// report's PrinterName and every template page takes its own paper from the
// new printer. True on success. When the printer cannot be used (it fails,
// or cannot be read and the adapter fell back to the virtual printer) the
// message "所选打印机错误" is shown, the printer at oldIndex is selected
// again with its name and the pages' papers, and the result is false.
bool SwitchPrinter(TfrReport& report, int oldIndex, int newIndex);

// Prints the report's prepared pages on the adapter's selected printer.
// pageList selects pages as the print dialog's page field does ("" all,
// "1,3,5-12", "8-"); a list that is no list of numbers fails with the
// runtime's conversion error before anything is printed. Copies below 1
// print once. Collated copies repeat the whole selection (the printer
// makes one copy of each); uncollated copies are made by the printer (or,
// when it cannot, by printing each page that many times in a row).
// oddEven skips even (oeOdd) or odd (oeEven) page numbers. Progress goes to
// the report's OnProgress, else, with ShowProgress, to the installed
// progress window, whose cancel button ends the run after the page being
// printed and drops the job. Fails with an Error on the virtual printer,
// which has no paper.
void PrintPrepared(TfrReport& report, const std::string& pageList, int copies, int oddEven, bool collate);

// Where a prepared page goes on the printer's canvas, in device pixels from
// the printable area's top-left corner, from the page's Metrics: the whole
// sheet for a page that keeps its margins, else the printable area inset
// by the page's margins.
TfrRect PrinterTargetRect(const TfrPreparedPage& page);

}  // namespace talven
