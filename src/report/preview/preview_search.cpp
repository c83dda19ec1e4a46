#include "report/preview/preview_search.h"

#include <variant>

#include "base/text.h"
#include "report/render/canvas.h"
#include "report/render/recording_canvas.h"

namespace talven {

void TfrTextSearch::SetText(std::string_view text, bool caseSensitive) {
  CaseSensitive = caseSensitive;
  Text = caseSensitive ? std::string(text) : UpperCase(text);
  Page = 0;
  Record = 0;
  Found = false;
  FoundPage = -1;
  Bounds = {};
}

bool HoldsText(std::string_view text, std::string_view part) {
  if (part.empty() || part.size() > text.size()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size();) {
    if (text.compare(i, part.size(), part) == 0) return true;
    i += IsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
  }
  return false;
}

bool FindNext(TfrEMFPages& pages, TfrTextSearch& search) {
  search.Found = false;
  if (search.Text.empty()) return false;
  if (search.Page < 0) search.Page = 0;
  for (; search.Page < pages.PageCount(); ++search.Page, search.Record = 0) {
    const int index = search.Page;
    TfrPreparedPage& page = pages.PageAt(index);
    // The page as it is drawn on the sheet, so that a match's bounds are
    // where the preview shows the text, whatever the page's margins.
    const TfrRect sheet{0, 0, SheetWidthUnits(page), SheetHeightUnits(page)};
    RecordingCanvas canvas(ProductionMetrics());
    page.InView = true;
    try {
      pages.DrawPage(index, canvas, PageDrawRect(page, sheet, 1.0));
    } catch (...) {
      // A damaged page: the search goes on after it next time.
      page.InView = false;
      pages.DrawPage(index, canvas, TfrRect{});
      ++search.Page;
      search.Record = 0;
      throw;
    }
    const auto& items = canvas.Items();
    for (int record = search.Record; record < static_cast<int>(items.size()); ++record) {
      const auto* text = std::get_if<PlacedText>(&items[static_cast<std::size_t>(record)]);
      if (text == nullptr) continue;
      const bool holds = search.CaseSensitive ? HoldsText(text->Text, search.Text)
                                              : HoldsText(UpperCase(text->Text), search.Text);
      if (!holds) continue;
      search.Found = true;
      search.FoundPage = index;
      search.Bounds = text->Bounds;
      search.Record = record + 1;
      return true;
    }
    page.InView = false;
    pages.DrawPage(index, canvas, TfrRect{});
  }
  search.Record = 0;
  return false;
}

}  // namespace talven
