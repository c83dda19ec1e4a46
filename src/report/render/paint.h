// The drawing steps every report object shares: the geometry step from
// report units to device pixels (BeginPaint, EndPaint), the background, the
// frame lines and the BandAlign positions.
#pragma once

#include "report/model/view.h"
#include "report/render/canvas.h"

namespace talven {

// Objects use their drawing scale and offset (prepared pages are being
// drawn, printed or exported, or a report is prepared); otherwise they draw
// 1:1 for editing tools.
bool DocumentMode();

// Keeps Left, Top, Width, Height, FrameWidth, GapX and GapY, scales them by
// the drawing scale and offset, and computes DrawRect inside the frame
// lines. Pairs with EndPaint, never nested.
void BeginPaint(TfrView& view);
// Puts back what BeginPaint kept.
void EndPaint(TfrView& view);

// Fills the object with FillColor (nothing for no colour in document mode,
// nothing in the preparatory pass).
void PaintBackground(TfrView& view, Canvas& canvas);
// The frame lines that FrameTyp asks for: right, left, bottom, top.
void PaintFrame(TfrView& view, Canvas& canvas);
// One frame line in the current pen, by FrameStyle: dashed styles as
// parallel 1-pixel lines, double as two lines with the middle erased.
void DrawFrameLine(TfrView& view, Canvas& canvas, int x1, int y1, int x2, int y2);

// Settles the object's position for its BandAlign: left, right, centred,
// full width or the rest between its neighbours (the other objects of the
// page, or of the current band in document mode, that have the same Top;
// Tops are compared as they stand). Makes the object the engine's current
// object.
void SettleBandAlign(TfrView& view, Canvas& canvas);

}  // namespace talven
