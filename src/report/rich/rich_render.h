// The rich-text object (TfrRichView) in the engine: drawing, the heights
// the band engine asks for, bracket replacement and emitting (continued
// parts of a split band included). StartRichEngine registers all of it for
// the class.
//
// The object's text stays Rich Text Format bytes (RichText); these steps read
// it into documents (rtf.h) and lay them out (rich_layout.h) in twips at 96
// report units an inch: an area of w units is 15 × w twips wide, drawn at
// the object's drawing scale, as a memo's text is. Measuring
// works on one engine-wide scratch document, which holds the evaluated
// text of the object measured or emitted last.
//
// A continued part prints the characters [PartStart, PartEnd) of the
// evaluated text; each part begins where the previous one ended, and the
// object returns to EvalState 0 after every emit, as a memo does.
#pragma once

#include <QTextDocument>

#include <cstdint>
#include <functional>

#include "report/model/rich_view.h"
#include "report/render/canvas.h"

namespace talven {

// The engine start of rich text, idempotent (StartReportEngine calls it).
void StartRichEngine();

// The engine-wide scratch document.
QTextDocument& ScratchRichText();

// Formats the document from `from` into a rectangle of width × height twips
// and returns the first character that did not fit (the text's length when
// all did).
int FormatRichRange(const QTextDocument& doc, int from, int widthTwips, int heightTwips);

// The smallest height (report units, gaps included) that holds the scratch
// text from the object's FormatFrom at its width: a binary search over
// heights of up to 1,000,000, each step one formatting; 8 when even the
// smallest height holds it (an empty text).
std::int32_t MeasureRichHeight(TfrRichView& rich);

// Replaces every bracketed expression of the document's text by its value
// (the bound resolver's BracketValue); the value takes the formatting of
// the opening bracket with the engine's character set (1). Searching goes
// on after the inserted text. Without a bound resolver nothing changes.
void ReplaceRichBrackets(QTextDocument& doc);

// The object's rich text, evaluated for the current record, into the
// scratch document (brackets replaced unless TextOnly).
void LoadScratchRichText(TfrRichView& rich);

void RenderRich(TfrRichView& rich, Canvas& canvas);

std::int32_t RichContentHeight(TfrRichView& rich);
std::int32_t RichMinimumHeight(TfrRichView& rich);
std::int32_t RichRemainingHeight(TfrRichView& rich);

// The object's own step of emitting: its evaluated text (a continued part:
// the part that fits its current height) as the rich text written.
void EmitRich(TfrRichView& rich, const std::function<void()>& write);

}  // namespace talven
