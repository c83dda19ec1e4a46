// Prepared pages for the printing tests: pages 1 … n of a report, A4
// portrait or, for the numbers given, landscape, each holding one memo that
// the caller fills in for its page number.
#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/pages/prepared_pages.h"

namespace talven {

inline void AppendNumberedPages(TfrReport& report, int count, const std::vector<int>& landscape,
                                const std::function<void(TfrMemoView& memo, int number)>& fill) {
  TfrPage& portrait = report.TemplatePages.Add(9, 0, 0, -1, 0);
  TfrPage& turned = report.TemplatePages.Add(9, 0, 0, -1, 1);
  TfrEMFPages& pages = PreparedPagesOf(report);
  for (int n = 1; n <= count; ++n) {
    const bool wide = std::find(landscape.begin(), landscape.end(), n) != landscape.end();
    pages.AppendPage(wide ? turned : portrait);
    TfrMemoView memo;
    memo.Name = "Memo1";
    fill(memo, n);
    WritePreparedObject(pages.PageAt(pages.PageCount() - 1).ObjectStream, memo);
  }
}

}  // namespace talven
