// Layout and drawing on fixed-width metrics: every byte one unit wide, the
// scratch canvas measuring with them, the engine idle before and after.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/render/canvas.h"
#include "report/render/render_view.h"
#include "report/render/recording_canvas.h"

namespace talven {

class FixedLayout : public ::testing::Test {
 protected:
  FixedLayout() {
    EngineState().Reset();
    SetScratchMetrics(&metrics);
    StartRenderEngine();
  }
  ~FixedLayout() override {
    SetScratchMetrics(nullptr);
    EngineState().Reset();
  }

  // Lines with the paragraph mark shown as "|".
  static std::vector<std::string> Shown(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (std::string l : lines) {
      for (char& c : l)
        if (c == '\x01') c = '|';
      out.push_back(l);
    }
    return out;
  }

  // Puts an object at (left, top) with the given size.
  static void Place(TfrView& v, int left, int top, int width, int height) {
    v.Left = left;
    v.Top = top;
    v.Width = width;
    v.Height = height;
  }

  FixedTextMetrics metrics;
  RecordingCanvas canvas{metrics};
};

}  // namespace talven
