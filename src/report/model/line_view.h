// TfrLineView: a straight line, drawn as one frame line.
#pragma once

#include "report/model/view.h"

namespace talven {

class TfrLineView : public TfrStretcheable {
 public:
  TfrLineView();
  const char* ClassName() const override { return "TfrLineView"; }

  // What drawing does first: a box wider than high becomes a horizontal line
  // along its top edge (height 0, the top frame line), any other a vertical
  // line along its left edge (width 0, the left frame line).
  void Normalize();

  std::int32_t ContentHeight() override { return Height; }
  std::int32_t MinimumHeight() override { return 1; }
  std::int32_t RemainingHeight() override { return 0; }
};

}  // namespace talven
