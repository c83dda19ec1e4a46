// Prepared pages with the look of a written-exam room's sign-in sheet: a
// title, a heading line, a ruled table of candidates (number, admission
// ticket, name, identity card, seat, signature) and a footer with the page
// number, on A4 portrait. Each page's names, numbers and footer differ, so
// that a search can tell the pages apart; the names include Latin ones
// ("Li Na", "Wang Fang") for searches that ignore letter case.
#pragma once

#include <cstdio>
#include <string>

#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/pages/prepared_pages.h"

namespace talven::signin {

inline TfrMemoView Cell(int left, int top, int width, int height, const std::string& utf8, int size = 10,
                        bool framed = true) {
  TfrMemoView m;
  m.Left = left;
  m.Top = top;
  m.Width = width;
  m.Height = height;
  m.Font.Name = "宋体"_gbk;
  m.Font.Size = size;
  m.Font.Charset = 134;
  m.Alignment = frtaCenter | frtaMiddle;
  if (framed) m.FrameTyp = frbLeft | frbTop | frbRight | frbBottom;
  m.OutputText = {Utf8ToGbk(utf8)};
  return m;
}

inline const char* Name(int n) {
  static const char* const names[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨磊", "赵敏", "黄强", "周杰",
                                      "吴婷", "徐明", "孙丽", "Li Na", "Wang Fang", "马超", "朱琳", "胡军"};
  return names[n % (sizeof(names) / sizeof(names[0]))];
}

// Appends `count` sheets of `rows` candidates to the pages (page numbers
// counted from `first`, out of `total`).
inline void AppendPages(TfrReport& report, TfrEMFPages& pages, int count, int rows = 30, int first = 1,
                        int total = 0) {
  if (total == 0) total = first - 1 + count;
  TfrPage& sheet = report.TemplatePages.Count() > 0 ? report.TemplatePages[0]
                                                     : report.TemplatePages.Add(9, 2100, 2970, -1, 0);
  const int columns[] = {36, 76, 206, 296, 466, 516, 720};
  const char* const heads[] = {"序号", "准考证号", "姓名", "身份证号", "座位号", "签名"};
  char buffer[160];
  for (int p = 0; p < count; ++p) {
    const int page = first + p;
    pages.AppendPage(sheet);
    TfrStream& s = pages.PageAt(pages.PageCount() - 1).ObjectStream;
    const auto put = [&s](TfrMemoView m) { WritePreparedObject(s, m); };

    TfrMemoView title = Cell(36, 36, 684, 40, "2024年上半年全国大学英语四、六级考试 笔试考场签到表", 16, false);
    title.Name = "memo5";
    title.Font.Style = fsBoldBit;
    put(title);
    std::snprintf(buffer, sizeof buffer, "考点：北京市第一中学（1101）  考场号：%04d  考场位置：教学楼%d层  CET-4 English",
                  page, (page % 5) + 1);
    TfrMemoView heading = Cell(36, 84, 684, 24, buffer, 10, false);
    heading.Alignment = frtaLeft | frtaMiddle;
    put(heading);
    for (int c = 0; c < 6; ++c) {
      TfrMemoView head = Cell(columns[c], 112, columns[c + 1] - columns[c], 28, heads[c], 10);
      head.Font.Style = fsBoldBit;
      head.FillColor = 0x00E0E0E0;
      put(head);
    }
    for (int r = 0; r < rows; ++r) {
      const int top = 140 + r * 28, n = (page - 1) * rows + r;
      std::snprintf(buffer, sizeof buffer, "%d", r + 1);
      put(Cell(columns[0], top, columns[1] - columns[0], 28, buffer));
      std::snprintf(buffer, sizeof buffer, "1101%04d%02d", page, r + 1);
      put(Cell(columns[1], top, columns[2] - columns[1], 28, buffer));
      put(Cell(columns[2], top, columns[3] - columns[2], 28, Name(n)));
      std::snprintf(buffer, sizeof buffer, "11010819%02d%02d%02d%04d", 80 + n % 20, 1 + n % 12, 1 + n % 28,
                    1000 + n % 9000);
      put(Cell(columns[3], top, columns[4] - columns[3], 28, buffer));
      std::snprintf(buffer, sizeof buffer, "%02d", r + 1);
      put(Cell(columns[4], top, columns[5] - columns[4], 28, buffer));
      put(Cell(columns[5], top, columns[6] - columns[5], 28, ""));
    }
    std::snprintf(buffer, sizeof buffer, "监考员签名：________________      第 %d 页 共 %d 页", page, total);
    TfrMemoView footer = Cell(36, 140 + rows * 28 + 12, 684, 24, buffer, 10, false);
    footer.Alignment = frtaRight | frtaMiddle;
    put(footer);
  }
}

}  // namespace talven::signin
