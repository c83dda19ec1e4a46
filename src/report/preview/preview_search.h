// Finding text on prepared pages. Each page from the search's position on is
// drawn once onto a recording canvas at one pixel to the report unit, and
// its text outputs are looked at in drawing order; a match is a text output
// that holds the text at or after the resume position. Pages without a
// match let go of their objects again, so a search through a long report
// keeps no more pages in memory than the screen does.
#pragma once

#include <string>
#include <string_view>

#include "report/pages/prepared_pages.h"

namespace talven {

struct TfrTextSearch {
  // The text looked for (GBK), upper-cased unless the search is
  // case-sensitive.
  std::string Text;
  bool CaseSensitive = false;
  // The page (0-based) where the next search starts, and the record of that
  // page's drawing from which it looks: one past the last match, or 0.
  int Page = 0;
  int Record = 0;
  // The last match: its page and the bounds of the text output in report
  // units from the sheet's top-left corner.
  bool Found = false;
  int FoundPage = -1;
  TfrRect Bounds;

  // A new text: upper-cased unless case-sensitive, searched from the start
  // of the report.
  void SetText(std::string_view text, bool caseSensitive);
};

// Looks from search.Page and search.Record to the end of the report. A
// match makes its page search.FoundPage (left in view and loaded) and
// search.Record the record after it. Without one, search.Page is past the
// last page, search.Record 0 and Found false. Nothing is searched for an
// empty text. A page that cannot be read fails with its Error; the next
// search starts after it.
bool FindNext(TfrEMFPages& pages, TfrTextSearch& search);

// Whether the GBK text holds the part starting at a character boundary (a
// trail byte followed by a lead byte never forms a match).
bool HoldsText(std::string_view text, std::string_view part);

}  // namespace talven
