#include "report/render/memo_layout.h"

#include <algorithm>
#include <cmath>

#include "base/rounding.h"
#include "base/text.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/report_scope.h"
#include "report/model/export_filter.h"
#include "report/model/report.h"
#include "report/model/report_data_set.h"
#include "report/render/paint.h"

namespace talven {

TfrStrings& LayoutLines() {
  static TfrStrings lines;
  return lines;
}

namespace {

bool Turned(const TfrMemoView& m) { return (m.Alignment & frtaVertical) != 0; }

// The memo font's pixel height at 96 per inch.
int LayoutPixelHeight(const TfrMemoView& m) { return RoundHalfEven(m.Font.Size * 96.0 / 72.0); }

CanvasFont FontOf(const TfrMemoView& m) {
  CanvasFont f;
  f.Name = m.Font.Name;
  f.PointSize = m.Font.Size;
  f.Style = m.Font.Style;
  f.Color = m.Font.Color;
  f.Charset = m.Font.Charset;
  return f;
}

bool IsBreakByte(char c) { return c == '\r' || c == '\n'; }

bool SingleByteText(std::string_view s) {
  for (char c : s)
    if (IsLeadByte(c)) return false;
  return true;
}

// Widths of the prefixes of one paragraph, so that the width of any byte
// range that starts on a character is a subtraction: the text's advances
// add up (text_metrics.h).
class PrefixWidths {
 public:
  PrefixWidths(const FontMeasure& m, int extra, std::string_view s) : m_(m), extra_(extra) {
    const std::size_t n = s.size();
    cum_.assign(n + 1, 0);
    chars_.assign(n + 1, 0);
    for (std::size_t i = 0; i < n;) {
      const auto b = static_cast<unsigned char>(s[i]);
      if (IsLeadByte(b) && i + 1 < n) {
        cum_[i + 1] = cum_[i] + m.LoneLead64();
        chars_[i + 1] = chars_[i] + 1;
        cum_[i + 2] = cum_[i] + m.Advance64(static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(s[i + 1])));
        chars_[i + 2] = chars_[i] + 1;
        i += 2;
      } else {
        cum_[i + 1] = cum_[i] + (IsLeadByte(b) ? m.LoneLead64() : m.Advance64(b));
        chars_[i + 1] = chars_[i] + 1;
        i += 1;
      }
    }
  }

  // Width of the bytes i … j (1-based, inclusive), with `tail` after them.
  int Width(std::size_t i, std::size_t j, std::int32_t tail64 = 0, int tailChars = 0) const {
    if (j + 1 < i) return Saturated32(std::int64_t{Round64(tail64)} + std::int64_t{extra_} * tailChars);
    return Saturated32(std::int64_t{Round64(cum_[j] - cum_[i - 1] + tail64)} +
                       std::int64_t{extra_} * (chars_[j] - chars_[i - 1] + tailChars));
  }

 private:
  const FontMeasure& m_;
  int extra_;
  std::vector<std::int64_t> cum_;
  std::vector<int> chars_;
};

std::string Bytes(std::string_view s, std::size_t from, std::size_t to) {
  // 1-based, inclusive; a range past the end stops at the end.
  if (to > s.size()) to = s.size();
  if (from < 1 || from > to) return {};
  return std::string(s.substr(from - 1, to - from + 1));
}

std::uint8_t Upper1251(std::uint8_t b) {
  if (b >= 'a' && b <= 'z') return static_cast<std::uint8_t>(b - 32);
  if (b >= 0xE0) return static_cast<std::uint8_t>(b - 32);
  if (b == 0xB8) return 0xA8;
  return b;
}

bool IsVowel(std::uint8_t b) {
  switch (b) {
    case 0xC0: case 0xC5: case 0xA8: case 0xC8: case 0xCE: case 0xD3: case 0xDB: case 0xDD: case 0xDE: case 0xDF:
      return true;
    default: return false;
  }
}
bool IsSign(std::uint8_t b) { return b == 0xDA || b == 0xDC; }
bool IsDelimiter(std::uint8_t b) { return b == ' ' || b == ',' || b == '-' || b == '.'; }
bool IsConsonant(std::uint8_t b) { return !IsVowel(b) && !IsSign(b) && !IsDelimiter(b); }

}  // namespace

std::vector<int> BreakWord(std::string_view word) {
  std::vector<int> out;
  const int n = static_cast<int>(word.size());
  if (n < 4) return out;
  std::vector<std::uint8_t> w(word.begin(), word.end());
  for (auto& b : w) b = Upper1251(b);
  auto at = [&](int i) { return w[static_cast<std::size_t>(i - 1)]; };
  // Positions are kept in one byte: a word longer than that has no breaks
  // beyond 255.
  for (int i = 2; i <= n - 2 && i <= 255; ++i) {
    const std::uint8_t b = at(i), b1 = at(i + 1), b2 = at(i + 2);
    const bool allowed = (IsVowel(b) && (IsVowel(b1) || IsVowel(b2))) || (IsSign(b) && !IsDelimiter(b2)) ||
                         ((IsConsonant(b) || (IsSign(b) && IsDelimiter(b2))) && !IsVowel(b1) && !IsSign(b1) &&
                          IsVowel(b2));
    if (allowed) out.push_back(i);
  }
  return out;
}

void WrapParagraph(const TfrMemoView& memo, Canvas& canvas, std::string_view s, int limit, TfrStrings& out) {
  const std::size_t len = s.size();
  const bool hasBreaks = s.find_first_of("\r\n") != std::string_view::npos;
  if (!hasBreaks && (len <= 1 || canvas.TextWidth(s) <= limit)) {
    out.push_back(std::string(s) + kParagraphEnd);
    return;
  }
  const PrefixWidths widths(canvas.Measure(), canvas.CharExtra(), s);
  const bool wordBreak = (memo.Flags & flWordBreak) != 0;
  const std::int32_t hyphen64 = canvas.Measure().Advance64('-');
  auto at = [&](std::size_t i) { return s[i - 1]; };  // 1-based

  std::size_t a = 1, start = 1, brk = 1, stuck = 0;
  while (a <= len) {
    if (IsBreakByte(at(a))) {
      out.push_back(Bytes(s, start, a - 1) + kParagraphEnd);
      while (a < len && IsBreakByte(at(a))) ++a;
      start = a;
      brk = a;
      if (IsBreakByte(at(a))) break;  // the text ends with line breaks
      continue;
    }
    if (at(a) != ' ' && widths.Width(start, a) > limit) {
      bool hyph = false;
      if (wordBreak) {
        std::size_t j = a;
        while (j <= len && !IsDelimiter(static_cast<std::uint8_t>(at(j)))) ++j;
        const std::string_view word = brk + 1 <= j - 1 ? s.substr(brk, j - 1 - brk) : std::string_view();
        // Hyphenation is for single-byte text: its rule classifies bytes,
        // and a position inside a double-byte character would cut it.
        const std::vector<int> positions = SingleByteText(word) ? BreakWord(word) : std::vector<int>();
        if (!positions.empty()) {
          a = brk;
          for (int q : positions) {
            if (widths.Width(start, brk + static_cast<std::size_t>(q), hyphen64, 1) > limit) break;
            hyph = true;
            a = brk + static_cast<std::size_t>(q);
          }
          brk = a;
        }
      } else if (brk == start) {
        brk = a;
      }
      if (hyph) {
        out.push_back(Bytes(s, start, brk) + "-");
      } else if (at(brk) == ' ') {
        out.push_back(Bytes(s, start, brk - 1));
      } else {
        if (brk == start) brk = a;
        out.push_back(Bytes(s, start, brk - 1));
        brk -= 1;
      }
      if (wordBreak && !hyph && a - 1 == brk) {
        if (a == stuck) {
          start = a + 1;
          a = len;
          break;
        }
        stuck = a;
      }
      start = brk + 1;
      brk = start;
    }
    if (at(a) == ' ') brk = a;
    a += IsLeadByte(at(a)) ? 2 : 1;
  }
  if (a != start) out.push_back(Bytes(s, start, a) + kParagraphEnd);
}

void LayoutText(TfrMemoView& m) {
  Canvas& c = ScratchCanvas();
  const bool turned = Turned(m);
  CanvasFont font = FontOf(m);
  font.PixelHeight = LayoutPixelHeight(m);
  if (turned) font.Escapement = 900;
  c.SetFont(font);
  c.SetCharExtra(m.CharSpacing);
  TfrStrings& lines = LayoutLines();
  lines.clear();
  const int fh = c.FontPixelHeight();
  // A damaged file may give any spacing, gap or size: the sums saturate
  // instead of wrapping.
  m.LineStep = Saturated32(std::int64_t{m.LineSpacing} + fh);
  const int limit = Saturated32(turned ? std::int64_t{m.Height} - 2 * std::int64_t{m.GapY}
                                     : std::int64_t{m.Width} - 2 * std::int64_t{m.GapX});
  const bool wrap = (m.Flags & flWordWrap) != 0;
  // Editing tools show a lone bracketed expression unbroken.
  const bool oneBracket = !DocumentMode() && m.OutputText.size() == 1 && m.OutputText[0].starts_with("[") &&
                          c.TextWidth(m.OutputText[0]) > limit;
  for (const std::string& line : m.OutputText) {
    if (m.LaidOut) lines.push_back(line);
    else if (wrap && !oneBracket) WrapParagraph(m, c, line, limit, lines);
    else lines.push_back(line + kParagraphEnd);
  }
  const std::int32_t count = static_cast<std::int32_t>(lines.size());
  m.TextHeight = Saturated32(std::int64_t{count} * m.LineStep + 2 * std::int64_t{turned ? m.GapX : m.GapY});
  c.SetCharExtra(0);
}

void SetDrawingFont(TfrMemoView& m, Canvas& c, bool turned) {
  c.SetOpaque(false);
  CanvasFont font = FontOf(m);
  if (!m.Printing) {
    const double px = m.Font.Size * 96.0 / 72.0 * m.DrawScaleY;
    font.PixelHeight = m.DrawScaleY == 1.0 ? RoundHalfEven(px) : static_cast<int>(std::trunc(px));
    if (font.PixelHeight <= 0) font.PixelHeight = 1;
  }
  if (turned) font.Escapement = 900;
  c.SetFont(font);
  c.SetCharExtra(RoundHalfEven(m.CharSpacing * m.DrawScaleX));
}

namespace {

// A trailing paragraph mark comes off; the line ends a paragraph when it
// had one or is empty.
bool TakeMark(std::string& line) {
  if (!line.empty() && line.back() == kParagraphEnd) {
    line.pop_back();
    return true;
  }
  return line.empty();
}

int Blanks(std::string_view line) {
  int n = 0;
  for (std::size_t i = 0; i < line.size();) {
    const auto b = static_cast<unsigned char>(line[i]);
    if (IsLeadByte(b) && i + 1 < line.size()) {
      i += 2;
    } else {
      if (b == 0x20 || b == 0xA0) ++n;
      ++i;
    }
  }
  return n;
}

std::uint16_t LineFrameBits(std::uint16_t bits, std::size_t i, std::size_t count) {
  if (count <= 1) return bits;
  if (i == 0) return bits & ~frbBottom;
  if (i + 1 == count) return bits & ~frbTop;
  return bits & ~(frbBottom | frbTop);
}

// A line spacing on the device: one a damaged file makes larger than any
// device is kept to the device's reach.
int DeviceSpacing(double spacing) {
  return RoundHalfEven(std::clamp(spacing, -double{kMaxDevicePixels}, double{kMaxDevicePixels}));
}

}  // namespace

void DrawTextLines(TfrMemoView& m, Canvas& c) {
  const bool turnedFont = Turned(m);
  SetDrawingFont(m, c, turnedFont);
  const TfrRect& dr = m.DrawRect;
  const TfrRect clip{dr.Left + 1, dr.Top, dr.Right - 2, dr.Bottom - 1};
  // As the object's own geometry on the device (BeginPaint), the text's
  // height stays within reach of the sums made of it.
  m.TextHeight = RoundHalfEven(std::clamp(m.TextHeight * m.DrawScaleY, -double{1 << 28}, double{1 << 28}));
  const std::int32_t savedAlignment = m.Alignment, savedLeft = m.Left, savedTop = m.Top;
  const bool middle = (m.Alignment & frtaMiddle) != 0, down = (m.Alignment & frtaDown) != 0;
  if (middle || down) {
    m.Alignment &= 7;
    if (middle != down) {
      if (Turned(m)) {
        if (middle) m.Left += ((dr.Right - dr.Left) - m.TextHeight) / 2;
        else m.Left = dr.Right - m.TextHeight;
      } else if (!m.FitOnly) {
        if (middle) m.Top += ((dr.Bottom - dr.Top) - m.TextHeight) / 2;
        else m.Top = dr.Bottom - m.TextHeight - 1;
      }
    }
  }
  const bool rtl = (m.Flags & flRTLReading) != 0;
  TfrExportFilter* filter = m.Exporting ? CurrentExportFilter() : nullptr;
  const int drWidth = dr.Right - dr.Left, drHeight = dr.Bottom - dr.Top;
  const std::size_t count = m.OutputText.size();
  m.LinesDrawn = 0;

  if (!Turned(m)) {
    int y = m.Top + m.GapY;
    m.LineStep = DeviceSpacing(m.LineSpacing * m.DrawScaleY) + c.FontPixelHeight();
    const bool oneBracket = !DocumentMode() && count == 1 && m.OutputText[0].starts_with("[") &&
                            c.TextWidth(m.OutputText[0]) > clip.Right - clip.Left;
    for (std::size_t i = 0; i < count; ++i) {
      if (m.FitOnly && y + m.LineStep > clip.Bottom) break;
      std::string line = m.OutputText[i];
      const bool paragraphEnd = TakeMark(line);
      const int width = c.TextWidth(line);
      int x;
      const int a = oneBracket ? frtaRight : m.Alignment;
      if (a == 0 || a == 3) x = m.Left + m.GapX;
      else if (a == 1) x = m.Left + drWidth - 1 - m.GapX - width;
      else x = m.Left + m.GapX + (drWidth - 2 * m.GapX - width) / 2;
      if (m.Exporting) {
        if (filter) filter->ExportTextLine(dr, x, y, line, LineFrameBits(m.FrameTyp, i, count), m);
      } else if (!m.FitOnly) {
        const int blanks = Blanks(line);
        if (a == 3 && blanks > 0 && !paragraphEnd) c.SetTextJustification(drWidth - 2 * m.GapX - width, blanks);
        c.TextOut(x, y, line, clip, rtl);
        c.SetTextJustification(0, 0);
      }
      ++m.LinesDrawn;
      y = Saturated32(std::int64_t{y} + m.LineStep);
    }
  } else {
    int x = m.Left + m.GapX;
    m.LineStep = DeviceSpacing(m.LineSpacing * m.DrawScaleX) + c.FontPixelHeight();
    for (std::size_t i = 0; i < count; ++i) {
      std::string line = m.OutputText[i];
      const bool paragraphEnd = TakeMark(line);
      const int width = c.TextWidth(line);
      int y;
      bool justify = false;
      switch (m.Alignment) {
        case 4: y = dr.Bottom - m.GapY; break;
        case 5: y = m.Top + m.GapY + width; break;
        case 6: y = dr.Bottom - m.GapY - ((drHeight - 2 * m.GapY - width) / 2) - 1; break;
        default:
          y = m.Top + drHeight - m.GapY;
          justify = !paragraphEnd;
          break;
      }
      if (m.Exporting) {
        if (filter) filter->ExportTextLine(dr, x, y, line, 0, m);
      } else if (!m.FitOnly) {
        const int blanks = Blanks(line);
        if (justify && blanks > 0) c.SetTextJustification(drHeight - 2 * m.GapY - width, blanks);
        c.TextOut(x, y, line, clip, rtl);
        c.SetTextJustification(0, 0);
      }
      ++m.LinesDrawn;
      x = Saturated32(std::int64_t{x} + m.LineStep);
    }
  }
  m.Alignment = savedAlignment;
  m.Left = savedLeft;
  m.Top = savedTop;
}

void DrawUnderlines(TfrMemoView& m, Canvas& c) {
  if ((m.Flags & flUnderlines) == 0) return;
  SetDrawingFont(m, c, false);
  const int fh = c.FontPixelHeight();
  c.SetPen(CanvasPen{m.FrameColor, RoundHalfEven(m.FrameWidth), PenStyle::Solid});
  const int step = DeviceSpacing(m.LineSpacing * m.DrawScaleY) + fh;
  const int d = RoundHalfEven(2 * m.DrawScaleY) + fh;
  if (step <= 0) return;
  // The rules run down the whole height, however tall a damaged file makes
  // it; only those that can show are drawn: inside the clip region, and
  // never further out than a device reaches.
  const std::int64_t first = std::int64_t{m.Top} + m.GapY + d;
  std::int64_t top = -kMaxDevicePixels, bottom = kMaxDevicePixels;
  if (const auto& clip = c.ClipRect()) {
    top = std::max<std::int64_t>(top, clip->Top);
    bottom = std::min<std::int64_t>(bottom, std::int64_t{clip->Bottom} - 1);
  }
  const std::int64_t from = top > first ? (top - first + step - 1) / step : 0;
  const std::int64_t to = bottom < first ? -1 : std::min<std::int64_t>(m.Height / step - 1, (bottom - first) / step);
  for (std::int64_t i = from; i <= to; ++i) {
    const int y = static_cast<int>(first + i * step);
    c.Line(m.Left, y, m.Left + m.Width - 1, y);
  }
}

std::int32_t MeasureTextWidth(TfrMemoView& m, const TfrStrings& lines, Canvas& c) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  std::erase(text, kParagraphEnd);
  if (text.size() > 2 && text.ends_with("\r\n")) text.resize(text.size() - 2);
  SetDrawingFont(m, c, false);
  c.SetCharExtra(RoundHalfEven(m.CharSpacing * m.DrawScaleX));
  const int widest = c.MultiLineWidth(text);
  const double sx = m.DrawScaleX != 0 ? m.DrawScaleX : 1.0;
  return RoundHalfEven(widest / sx + m.FrameWidth + 2.0 * m.GapX + 1);
}

void RenderMemo(TfrMemoView& m, Canvas& c) {
  const bool doc = DocumentMode();
  const bool autoWidth = (m.Flags & flAutoWidth) != 0;
  if (autoWidth && !m.Memo.empty() && doc) {
    const std::int32_t a = MeasureTextWidth(m, m.Memo, c);
    if (Turned(m)) {
      m.Height = a;
    } else {
      if (m.Alignment & 1) m.Left = Saturated32(std::int64_t{m.Left} + m.Width - a);
      m.Width = a;
    }
  }
  SettleBandAlign(m, c);
  m.FitOnly = false;
  m.OutputText = m.Memo;
  if (!m.OutputText.empty()) {
    m.LaidOut = false;
    for (const std::string& line : m.OutputText)
      if (line.find(kParagraphEnd) != std::string::npos) m.LaidOut = true;
    if (m.OutputText.back() == std::string(1, kParagraphEnd)) m.OutputText.pop_back();
    const double sx = m.DrawScaleX, sy = m.DrawScaleY;
    m.DrawScaleX = m.DrawScaleY = 1.0;
    BeginPaint(m);
    if (autoWidth && doc) m.Width += 100;
    LayoutText(m);
    m.DrawScaleX = sx;
    m.DrawScaleY = sy;
    EndPaint(m);
    m.OutputText = LayoutLines();
  }
  BeginPaint(m);
  if (!m.Exporting) {
    PaintBackground(m, c);
    PaintFrame(m, c);
    DrawUnderlines(m, c);
  }
  if (!m.OutputText.empty()) DrawTextLines(m, c);
  c.SetCharExtra(0);
  EndPaint(m);
}

void RunViewScript(TfrView& view) {
  if (view.ScriptCode.empty()) return;
  EngineState().CurrentObject = &view;
  EngineInterpreter().RunScript(view.ScriptCode);
}

void PrepareMemoText(TfrMemoView& m, bool measuring) {
  TfrReport* report = EngineState().CurrentReport;
  const bool handler = report != nullptr && report->OnBeforePrint;
  bool changed = false;
  if (measuring || handler) {
    m.OutputText = m.Memo;
    if (m.BoundDataSet != nullptr && !m.BoundField.empty()) {
      const int field = m.BoundDataSet->FieldIndex(m.BoundField);
      if (field >= 0) m.LoadBlob(m.BoundDataSet->FieldBytes(field));
    }
    if (handler) {
      const TfrStrings before = m.OutputText;
      report->OnBeforePrint(m.OutputText, &m);
      changed = m.OutputText != before;
    }
  }
  if (changed) return;
  if (ActiveResolver() != nullptr) ExpandMemoView(m);
  else m.OutputText = m.Memo;
}

bool ApplyHighlight(TfrMemoView& m) {
  if (m.HighlightCondition.empty()) return false;
  try {
    const Variant v = m.HighlightPostfix.empty() ? EngineParser().Evaluate(m.HighlightCondition)
                                                 : EngineParser().EvaluatePostfix(m.HighlightPostfix);
    if (v.AsFloat() == 0) return false;
  } catch (const std::exception&) {
    return false;
  }
  m.Font.Style = m.HighlightFontStyle;
  m.Font.Color = m.HighlightFontColor;
  m.FillColor = m.HighlightFillColor;
  return true;
}

std::int32_t MemoContentHeight(TfrMemoView& m) {
  m.EvalState = 1;
  SettleBandAlign(m, ScratchCanvas());
  RunViewScript(m);
  if (!m.Visible) return 0;
  PrepareMemoText(m, true);
  const TfrFont font = m.Font;
  const TColor fill = m.FillColor;
  ApplyHighlight(m);
  std::int32_t result = 0;
  BeginPaint(m);
  if (!m.OutputText.empty()) {
    m.LaidOut = false;
    LayoutText(m);
    m.OutputText = LayoutLines();
    result = m.TextHeight;
    if (m.Flags & flSuppress) {
      const std::string text = JoinLines(m.OutputText);
      if (text == m.LastPrintedText) result = 0;
      if (EngineState().PreparatoryPass) m.LastPrintedText = text;
    }
  }
  EndPaint(m);
  m.Font = font;
  m.FillColor = fill;
  return result;
}

std::int32_t MemoMinimumHeight(TfrMemoView& m) {
  m.LineStep = m.LineSpacing + LayoutPixelHeight(m);
  return m.LineStep + 2 * m.GapY + RoundHalfEven(2.0 * m.FrameWidth);
}

std::int32_t MemoRemainingHeight(TfrMemoView& m) {
  m.LineStep = m.LineSpacing + LayoutPixelHeight(m);
  const std::int32_t frame = RoundHalfEven(2.0 * m.FrameWidth);
  // A line step of zero or less leaves no whole line to count.
  const std::int32_t rest = m.LineStep > 0 ? (m.Height - frame - 2 * m.GapY) % m.LineStep : 0;
  return rest + 2 * m.GapY + frame;
}

int FitContinuedLines(TfrMemoView& m) {
  Canvas& c = ScratchCanvas();
  m.FitOnly = true;
  BeginPaint(m);
  DrawTextLines(m, c);
  const std::size_t n = static_cast<std::size_t>(m.LinesDrawn);
  LayoutLines() = m.OutputText;
  m.OutputText.resize(std::min(n, m.OutputText.size()));
  bool marked = false;
  for (const std::string& line : m.OutputText)
    if (line.find(kParagraphEnd) != std::string::npos) marked = true;
  if (!marked) m.OutputText.push_back(std::string(1, kParagraphEnd));
  EndPaint(m);
  return m.LinesDrawn;
}

void DropPrintedLines(TfrMemoView& m) {
  TfrStrings rest = LayoutLines();
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(m.LinesDrawn, 0)), rest.size());
  rest.erase(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(n));
  m.OutputText = std::move(rest);
}

}  // namespace talven
