// Drawing report objects by class, and the start of text layout in the
// engine.
//
// RenderView draws any object through a small registry keyed by class name
// (TfrView::ClassName): the built-in classes are registered by
// StartRenderEngine, and an add-in class registers its own drawing and, for
// a stretching object, its heights.
#pragma once

#include <functional>
#include <string>

#include "report/model/graphic.h"
#include "report/model/prepare_state.h"
#include "report/model/view.h"
#include "report/render/canvas.h"

namespace talven {

class TfrLineView;
class TfrPage;
class TfrPictureView;
class TfrSubReportView;

struct TfrViewRenderer {
  std::function<void(TfrView& view, Canvas& canvas)> Render;
  // Heights of a stretching class; empty: the design height (and nothing
  // remaining).
  std::function<std::int32_t(TfrStretcheable& view, TfrHeightKind kind)> Height;
  // A class's own step of emitting an object into a prepared page, called
  // once the object is evaluated, visible and placed: it puts its printed
  // form in place, calls write, and puts the object back after. Empty: the
  // object is written as it stands.
  std::function<void(TfrView& view, const std::function<void()>& write)> Emit;
};

// Registers (or replaces) the drawing of a class.
void RegisterViewRenderer(const std::string& className, TfrViewRenderer renderer);
const TfrViewRenderer* FindViewRenderer(const std::string& className);

// Draws the object on the canvas; a class without drawing draws nothing.
void RenderView(TfrView& view, Canvas& canvas);

void RenderPicture(TfrPictureView& picture, Canvas& canvas);
void RenderLine(TfrLineView& line, Canvas& canvas);
void RenderSubReport(TfrSubReportView& subReport, Canvas& canvas);

// Hands an object of an exported page to the current export filter
// (ExportObject with its position); a memo then draws itself once onto the
// scratch canvas in export mode, which gives the filter its lines.
void ExportView(TfrView& view);

// Draws a graphic stretched into the area: bitmaps, icons and JPEG images
// as pictures (a JPEG image as its own data when the canvas takes it),
// metafiles by playing their records onto the canvas. When
// printing, an icon is not drawn. A graphic that cannot be decoded draws
// nothing.
void DrawGraphic(Canvas& canvas, const TfrRect& area, const TfrGraphic& graphic, bool printing);

// Draws the objects of a template page as they stand (document mode, design
// values: brackets are not evaluated), scaled from report units to device
// pixels and offset; every object gets its geometry and text back after.
void DrawTemplatePage(TfrPage& page, Canvas& canvas, double scaleX, double scaleY, int offsetX = 0, int offsetY = 0);

// The engine start of drawing, idempotent: registers the built-in classes
// and installs the model's height hook and the expressions' CALCWIDTH.
void StartRenderEngine();

}  // namespace talven
