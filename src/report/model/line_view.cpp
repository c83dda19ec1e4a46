#include "report/model/line_view.h"

namespace talven {

TfrLineView::TfrLineView() {
  NameStem = "Line";
  TypeCode = gtLine;
  FrameTyp = frbLeft;
  FillColor = clWhite;
}

void TfrLineView::Normalize() {
  if (Width > Height) {
    Height = 0;
    FrameTyp = frbTop;
  } else {
    Width = 0;
    FrameTyp = frbLeft;
  }
}

}  // namespace talven
