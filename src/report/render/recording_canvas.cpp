#include "report/render/recording_canvas.h"

namespace talven {

void RecordingCanvas::Line(int x1, int y1, int x2, int y2) { items_.push_back(RecordedLine{x1, y1, x2, y2, Pen()}); }

void RecordingCanvas::FillRect(const TfrRect& r) { items_.push_back(RecordedFill{r, Brush()}); }

void RecordingCanvas::StretchImage(const TfrRect& r, const CanvasImage& image) {
  items_.push_back(RecordedImage{r, image.Width, image.Height});
}

void RecordingCanvas::Polygon(const std::vector<CanvasPoint>& points) {
  items_.push_back(RecordedShape{false, points, Pen(), Brush()});
}

void RecordingCanvas::Ellipse(const TfrRect& r) {
  items_.push_back(RecordedShape{true, {{r.Left, r.Top}, {r.Right, r.Bottom}}, Pen(), Brush()});
}

}  // namespace talven
