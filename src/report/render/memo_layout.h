// Memo text: evaluation for measuring and emitting, layout into lines
// (wrapping, hyphenation, line spacing), drawing the lines (alignment,
// justification, turned text, clipping, rule lines), automatic width, and
// the heights the band engine asks for.
//
// Layout happens on the engine's scratch canvas at 96 pixels per inch: a
// font of s points is round(s × 96 / 72) pixels high, and these pixels are
// report units. Every layout puts its lines into LayoutLines(), which stays
// valid until the next layout.
//
// Laid-out lines carry marks: a line that ends a paragraph ends with the
// character 1, a line produced by breaking a paragraph has none, and one
// produced by hyphenation ends with "-".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/model/memo_view.h"
#include "report/render/canvas.h"

namespace talven {

// The engine-wide lines of the last layout.
TfrStrings& LayoutLines();

// The paragraph-end mark.
constexpr char kParagraphEnd = '\x01';

// The memo's text for the current record into OutputText: Memo, the bound
// data field's content (when the field exists), the report's OnBeforePrint;
// then, unless the handler changed the text, the memo's lines with their
// brackets expanded (TextOnly lines as they stand). When emitting, the
// field and the handler are used only when the report has a handler; when
// measuring always. Without a report being prepared the text stays Memo.
void PrepareMemoText(TfrMemoView& memo, bool measuring);

// Applies the highlight attributes when HighlightCondition holds (errors in
// the condition are ignored: no highlight). True when applied.
bool ApplyHighlight(TfrMemoView& memo);

// Runs the object's compiled BeforePrintScript with the object current.
void RunViewScript(TfrView& view);

// Breaks OutputText into LayoutLines(); sets TextHeight and LineStep.
// Works on the geometry as it stands (call it inside BeginPaint/EndPaint).
void LayoutText(TfrMemoView& memo);
// Appends the wrapped lines of one paragraph to `out`, measured on the
// canvas's current font and character spacing.
void WrapParagraph(const TfrMemoView& memo, Canvas& canvas, std::string_view s, int limit, TfrStrings& out);
// Hyphenation positions of a word (1-based: a break may follow the byte),
// by the rule for single-byte Cyrillic letters of code page 1251.
std::vector<int> BreakWord(std::string_view word);

// The drawing font of the memo on a canvas (96 per inch and the drawing
// scale; the point size when printing), transparent text background and the
// scaled character spacing.
void SetDrawingFont(TfrMemoView& memo, Canvas& canvas, bool turned);
// Draws the laid-out OutputText inside DrawRect (after BeginPaint), or hands
// the lines to the current export filter when Exporting. Sets LinesDrawn.
void DrawTextLines(TfrMemoView& memo, Canvas& canvas);
// Rule lines under the text lines (Underlines).
void DrawUnderlines(TfrMemoView& memo, Canvas& canvas);
// The width the widest of the lines needs, report units, frame and gaps
// included (AutoWidth, CALCWIDTH).
std::int32_t MeasureTextWidth(TfrMemoView& memo, const TfrStrings& lines, Canvas& canvas);

// Draws the memo: AutoWidth, BandAlign, layout, background, frame, rule
// lines and text.
void RenderMemo(TfrMemoView& memo, Canvas& canvas);

// The heights of the band engine.
std::int32_t MemoContentHeight(TfrMemoView& memo);
std::int32_t MemoMinimumHeight(TfrMemoView& memo);
std::int32_t MemoRemainingHeight(TfrMemoView& memo);

// A continued part of a split memo (EvalState 2, OutputText laid out): the
// number of leading lines that fit the memo's current Height. OutputText
// keeps those lines (with a paragraph-end line added when none of them has
// the mark); the full text goes to LayoutLines() until DropPrintedLines.
int FitContinuedLines(TfrMemoView& memo);
// After the part was written: OutputText := the full text without the lines
// just printed.
void DropPrintedLines(TfrMemoView& memo);

}  // namespace talven
