// Writing a prepared cell-layout matrix into a spreadsheet workbook (.xlsx,
// through libxlsxwriter): row heights and column widths from the
// boundaries, one cell format per matrix style ("S" and its number), every
// text in the first cell of its range (merged and bordered as asked),
// pictures inserted at their range, wrapping, print margins and
// orientation from the first page.
#pragma once

#include <string>

#include "report/export/matrix.h"
#include "report/model/view.h"

namespace talven {

struct TfrWorkbookOptions {
  bool CellsMerged = true;     // merge the cells of a text that spans several
  bool CellsBorders = true;    // draw the frame lines on the cell range
  bool CellsWrapWords = true;  // wrap text in every cell
  bool HighQuality = true;     // apply the object's style to its range
  bool PageBreaks = true;      // a printing page break where each exported page ended
  bool Pictures = true;        // insert the pictures
  double ScaleX = 1.0, ScaleY = 1.0;
};

// Print setup taken from the first exported page: margins in report units
// and the orientation. Without a page (Known false) the workbook keeps its
// defaults.
struct TfrWorkbookPageSetup {
  bool Known = false;
  TfrRect Margins;
  bool Landscape = false;
};

// Row heights are points, capped at the 409 a worksheet row can be; column
// widths are characters.
constexpr double kMaxRowHeight = 409;
double WorkbookRowHeight(TfrExtended top, TfrExtended bottom, double scaleY);
double WorkbookColumnWidth(TfrExtended left, TfrExtended right, double scaleX);

// The name of a column counted from 1: "A" … "Z", "AA" … "ZZ", "AAA" ….
std::string ColumnName(int column);
// A cell's name, column and row counted from 1: "B3".
std::string CellName(int column, int row);

// A text as its cell holds it: the lines joined by line feeds, without
// carriage returns and the paragraph marks (character 1) of the layout, and
// without trailing line feeds.
std::string CellText(const TfrStrings& lines);

// Writes the matrix (prepared) into the workbook file (GBK name), replacing
// a file of that name. The progress box runs through rows, columns, styles
// and objects; cancel stops the passes after the current one, and what was
// done is still saved. `cancelFlag`, when given, is the report's Cancelled
// flag: it is cleared first and stops every pass when set. Fails with an
// Error naming the file when the workbook cannot be written, and with an
// Error when the grid is larger than a worksheet.
void WriteWorkbook(TfrIEMatrix& matrix, const std::string& fileName, const TfrWorkbookOptions& options,
                   const TfrWorkbookPageSetup& setup, bool* cancelFlag = nullptr);

}  // namespace talven
