// PDF files written through the cairo canvas, read back with the PDF tools
// of scripts/setup.sh (qpdf, poppler-utils). Needs the CJK fonts.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/jpeg.h"
#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/prepare_state.h"
#include "report/render/cairo/pdf_document.h"
#include "report/render/render_view.h"
#include "support/fixture.h"

namespace talven {

// The output of a shell command (stdout and stderr) and its exit code.
struct Ran {
  std::string Out;
  int Code = -1;
};

inline Ran Shell(const std::string& command) {
  Ran ran;
  std::FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return ran;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, p)) ran.Out.append(buffer, n);
  const int status = pclose(p);
  ran.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return ran;
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A photograph-like JPEG: a colour gradient, w × h.
inline std::string PhotoJpeg(int w, int h, std::uint8_t red) {
  RgbImage image;
  image.width = w;
  image.height = h;
  image.pixels.resize(std::size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &image.pixels[(std::size_t(y) * w + x) * 3];
      p[0] = red;
      p[1] = static_cast<std::uint8_t>(x * 255 / w);
      p[2] = static_cast<std::uint8_t>(y * 255 / h);
    }
  return EncodeJpeg(image, 85);
}

using Objects = std::vector<std::unique_ptr<TfrView>>;

inline TfrMemoView& AddMemo(Objects& page, int left, int top, int width, int height, const std::string& text) {
  auto m = std::make_unique<TfrMemoView>();
  m->Left = left;
  m->Top = top;
  m->Width = width;
  m->Height = height;
  m->Memo = {text};
  m->Font.Name = "宋体"_gbk;
  page.push_back(std::move(m));
  return static_cast<TfrMemoView&>(*page.back());
}

inline TfrPictureView& AddPicture(Objects& page, int left, int top, int width, int height, const std::string& jpeg) {
  auto p = std::make_unique<TfrPictureView>();
  p->Left = left;
  p->Top = top;
  p->Width = width;
  p->Height = height;
  p->Picture = TfrGraphic::FromBytes(TfrGraphicKind::Jpeg, jpeg);
  page.push_back(std::move(p));
  return static_cast<TfrPictureView&>(*page.back());
}

// One page of the paper size (tenths of a millimetre, as the page lies) with
// the objects drawn on it as a prepared page draws them: document mode,
// scaled from report units to the page's pixels.
inline void DrawObjects(PdfDocument& pdf, int widthTenths, int heightTenths, Objects& objects) {
  Canvas& canvas = pdf.BeginPage(TenthsToPoints(widthTenths), TenthsToPoints(heightTenths));
  const TfrRect r = pdf.PageRect();
  const double sx = double(r.Right) / TenthsToUnits(widthTenths);
  const double sy = double(r.Bottom) / TenthsToUnits(heightTenths);
  for (auto& v : objects) {
    v->DrawScaleX = sx;
    v->DrawScaleY = sy;
    v->DrawOffsetX = v->DrawOffsetY = 0;
    RenderView(*v, canvas);
  }
  pdf.EndPage();
}

// The engine in document mode, and a temporary folder.
class PdfTest : public ::testing::Test {
 protected:
  PdfTest() {
    EngineState().Reset();
    StartRenderEngine();
    EngineState().DocMode = TfrDocMode::Printing;
  }
  ~PdfTest() override { EngineState().Reset(); }

  test::TempDir dir;
};

}  // namespace talven
