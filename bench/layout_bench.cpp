// Memo text layout with the production (FreeType) metrics: memos of Chinese
// and of mixed text, 20 to 2,000 characters, word wrap on, 20 mm to 400 mm
// wide. Items are characters, so the rate per character should not fall as
// the memo widens. The baseline wraps the same paragraph by measuring every
// line prefix from its start, as a layout without running sums would: its
// cost per character grows with the line width. Last, a typical 40-character
// sign-in cell: memo layouts per second, and its whole content height.
#include <benchmark/benchmark.h>

#include <string>

#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/render/canvas.h"
#include "report/render/memo_layout.h"
#include "report/render/paint.h"
#include "report/render/render_view.h"

namespace talven {
namespace {

const char* const kHanzi = "考场签到表准考证号姓名身份证号座位北京市海淀区第一中学考点笔试时间分钟级别语言单位名称";

// n characters: Chinese only, or Chinese with Latin words and blanks.
std::string Text(int n, bool mixed) {
  const std::string hanzi = Utf8ToGbk(kHanzi);
  const char* const words[] = {"English ", "CET-4 ", "No.12 ", "level "};
  std::string s;
  int chars = 0, h = 0, w = 0;
  while (chars < n) {
    if (mixed && chars % 7 == 6) {
      const std::string word = words[w++ % 4];
      for (char c : word) {
        if (chars >= n) break;
        s += c;
        ++chars;
      }
    } else {
      s += hanzi.substr(static_cast<std::size_t>(h % (hanzi.size() / 2)) * 2, 2);
      ++h;
      ++chars;
    }
  }
  return s;
}

void Memo(TfrMemoView& m, int widthMm) {
  m.Font.Name = "宋体"_gbk;
  m.Width = widthMm * 18 / 5;
  m.Height = 40;
}

void BM_Layout(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), mm = static_cast<int>(state.range(1));
  const std::string text = Text(n, state.range(2) != 0);
  TfrMemoView m;
  Memo(m, mm);
  for (auto _ : state) {
    m.OutputText = {text};
    LayoutText(m);
    benchmark::DoNotOptimize(LayoutLines().data());
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["lines"] = static_cast<double>(LayoutLines().size());
}

// The same lines as WrapParagraph for text without line breaks and without
// hyphenation, but every width measured from the line start.
void NaiveWrap(Canvas& c, const std::string& s, int limit, TfrStrings& out) {
  std::size_t a = 0, start = 0, brk = 0;
  const std::size_t len = s.size();
  if (c.TextWidth(s) <= limit) {
    out.push_back(s + kParagraphEnd);
    return;
  }
  while (a < len) {
    const std::size_t charLen = IsLeadByte(s[a]) && a + 1 < len ? 2 : 1;
    if (s[a] != ' ' && c.TextWidth(std::string_view(s).substr(start, a - start + 1)) > limit) {
      if (brk == start) brk = a;
      if (s[brk] == ' ') {
        out.push_back(s.substr(start, brk - start));
      } else {
        out.push_back(s.substr(start, brk - start));
        --brk;
      }
      start = brk + 1;
      brk = start;
    }
    if (s[a] == ' ') brk = a;
    a += charLen;
  }
  if (a != start) out.push_back(s.substr(start) + kParagraphEnd);
}

void BM_LayoutNaive(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), mm = static_cast<int>(state.range(1));
  const std::string text = Text(n, state.range(2) != 0);
  TfrMemoView m;
  Memo(m, mm);
  Canvas& c = ScratchCanvas();
  CanvasFont font;
  font.Name = m.Font.Name;
  font.PixelHeight = 13;
  c.SetFont(font);
  TfrStrings lines;
  for (auto _ : state) {
    lines.clear();
    NaiveWrap(c, text, m.Width - 2 * m.GapX, lines);
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int mixed : {0, 1})
    for (int n : {20, 200, 2000})
      for (int mm : {20, 40, 200, 400}) b->Args({n, mm, mixed});
}
BENCHMARK(BM_Layout)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutNaive)->Args({2000, 20, 1})->Args({2000, 400, 1})->Unit(benchmark::kMicrosecond);

// A sign-in cell: a unit name and a room, 40 characters, 60 mm wide.
void BM_SignInCell(benchmark::State& state) {
  TfrMemoView m;
  Memo(m, 60);
  const std::string text = Text(40, true);
  for (auto _ : state) {
    m.OutputText = {text};
    LayoutText(m);
    benchmark::DoNotOptimize(LayoutLines().data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SignInCell);

void BM_SignInCellContentHeight(benchmark::State& state) {
  TfrMemoView m;
  Memo(m, 60);
  m.Memo = {Text(40, true)};
  for (auto _ : state) benchmark::DoNotOptimize(MemoContentHeight(m));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SignInCellContentHeight);

}  // namespace
}  // namespace talven

BENCHMARK_MAIN();
