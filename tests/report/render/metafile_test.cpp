// Metafiles played onto the recording canvas: the records drawn, the mapping
// into the area, records skipped, damaged data survived.
#include "report/render/metafile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "base/text.h"
#include "report/model/memo_view.h"
#include "render_fixture.h"

namespace talven {
namespace {

using Metafile = FixedLayout;

struct Writer {
  std::string d;
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) d += static_cast<char>(v >> (8 * i));
  }
  void U16(std::uint16_t v) {
    d += static_cast<char>(v);
    d += static_cast<char>(v >> 8);
  }
  void Emf(std::uint32_t type, std::initializer_list<std::int32_t> fields, const std::string& tail = {}) {
    U32(type);
    U32(static_cast<std::uint32_t>(8 + 4 * fields.size() + tail.size()));
    for (std::int32_t f : fields) U32(static_cast<std::uint32_t>(f));
    d += tail;
  }
  void Wmf(std::uint16_t function, std::initializer_list<std::int16_t> params, const std::string& tail = {}) {
    U32(static_cast<std::uint32_t>(3 + params.size() + tail.size() / 2));
    U16(function);
    for (std::int16_t p : params) U16(static_cast<std::uint16_t>(p));
    d += tail;
  }
};

// An enhanced metafile 1000 × 1000 reference pixels (10 to the millimetre):
// a red line, a green rectangle and an ellipse, an unknown record, a text.
std::string SampleEmf() {
  Writer w;
  w.Emf(1, {0, 0, 999, 999, 0, 0, 10000, 10000, 0x464D4520, 0x10000, 0, 0, 3, 0, 0, 0, 1000, 1000, 100, 100});
  w.Emf(38, {1, 0, 10, 0, 0x0000FF});
  w.Emf(37, {1});
  w.Emf(27, {100, 200});
  w.Emf(54, {500, 200});
  w.Emf(39, {2, 0, 0x00FF00, 0});
  w.Emf(37, {2});
  w.Emf(43, {0, 0, 300, 300});
  w.Emf(42, {500, 500, 900, 900});
  w.Emf(200, {1, 2, 3});
  // A font 200 high in handle 3, which the header's count of 3 leaves out;
  // the record stops after the plain logical font.
  std::string face = "\xD1\x9E\x53\x4F";  // 黑体 in UTF-16
  face += std::string(60, '\0');
  w.Emf(82, {3, -200, 0, 0, 0, 700, -0x7A000000, 0}, face);  // character set 134
  w.Emf(37, {3});
  std::string text = "A";
  text += '\0';
  text += "\x2D\x4E";  // 中
  text += std::string(8, '\0');
  w.Emf(84, {0, 0, 0, 0, 1, 0, 0, 100, 600, 2, 76, 0, 0, 0, 0, 0, 80}, text);
  w.Emf(14, {0, 0, 20});
  const auto size = static_cast<std::uint32_t>(w.d.size());
  for (int i = 0; i < 4; ++i) w.d[48 + i] = static_cast<char>(size >> (8 * i));
  return w.d;
}

TEST_F(Metafile, EnhancedRecordsDrawMappedIntoTheArea) {
  const TfrGraphic emf = TfrGraphic::FromBytes(TfrGraphicKind::Metafile, SampleEmf());
  PlayMetafile(canvas, TfrRect{0, 0, 100, 100}, emf);
  ASSERT_EQ(canvas.Lines().size(), 1u);
  EXPECT_EQ(canvas.Lines()[0], (RecordedLine{10, 20, 50, 20, {0x0000FF, 1, PenStyle::Solid}}));
  const auto shapes = canvas.Shapes();
  ASSERT_EQ(shapes.size(), 2u);
  EXPECT_EQ(shapes[0].Points, (std::vector<CanvasPoint>{{0, 0}, {30, 0}, {30, 30}, {0, 30}}));
  EXPECT_EQ(shapes[0].Brush.Color, 0x00FF00);
  EXPECT_TRUE(shapes[1].Ellipse);
  EXPECT_EQ(shapes[1].Points, (std::vector<CanvasPoint>{{50, 50}, {90, 90}}));
  ASSERT_EQ(canvas.Texts().size(), 1u);
  EXPECT_EQ(canvas.Texts()[0].Text, "A中"_gbk);
  EXPECT_EQ(canvas.Texts()[0].X, 10);
  EXPECT_EQ(canvas.Texts()[0].Font.Name, "黑体"_gbk);
  EXPECT_EQ(canvas.Texts()[0].Font.PixelHeight, 20);
  EXPECT_EQ(canvas.Texts()[0].Font.Style, fsBoldBit);
  EXPECT_EQ(canvas.ClipRect(), std::nullopt);  // the clip comes back
}

TEST_F(Metafile, DamagedMetafilesDrawWhatPrecedesTheDamage) {
  const std::string emf = SampleEmf();
  for (std::size_t cut : {std::size_t{100}, std::size_t{137}, emf.size() - 30}) {
    canvas.Clear();
    PlayMetafile(canvas, TfrRect{0, 0, 100, 100}, TfrGraphic::FromBytes(TfrGraphicKind::Metafile, emf.substr(0, cut)));
    EXPECT_LE(canvas.Items().size(), 4u) << cut;
  }
  // Bytes changed at random past the header: whatever is drawn, nothing is
  // read outside the data (the sanitizer build watches).
  std::uint32_t seed = 12345;
  for (int round = 0; round < 300; ++round) {
    std::string bad = emf;
    for (int k = 0; k < 4; ++k) {
      seed = seed * 1664525 + 1013904223;
      bad[88 + seed % (bad.size() - 88)] = static_cast<char>(seed >> 24);
    }
    canvas.Clear();
    PlayMetafile(canvas, TfrRect{0, 0, 100, 100}, TfrGraphic::FromBytes(TfrGraphicKind::Metafile, bad));
  }
}

TEST_F(Metafile, PlaceableWindowsMetafilesMapTheirBoxIntoTheArea) {
  Writer w;
  w.U32(0x9AC6CDD7);
  for (std::int16_t v : {0, 0, 0, 1000, 1000, 1440}) w.U16(static_cast<std::uint16_t>(v));
  w.U32(0);
  w.U16(0);  // checksum (not checked)
  for (std::uint16_t v : {1, 9, 0x300}) w.U16(v);
  w.U32(0);
  w.U16(2);
  w.U32(0);
  w.U16(0);
  w.Wmf(0x02FA, {0, 20, 0, 0x00FF, 0});           // pen: red, 20 wide
  w.Wmf(0x012D, {0});                              // select it
  w.Wmf(0x0214, {500, 100});                       // move to (100, 500)
  w.Wmf(0x0213, {500, 900});                       // line to (900, 500)
  w.Wmf(0x0324, {3, 0, 0, 1000, 0, 0, 1000});      // a triangle
  w.Wmf(0x0777, {1, 2, 3});                        // not drawn here
  w.Wmf(0x0521, {2, 0x6261, 300, 200});            // "ab" at (200, 300)
  w.Wmf(0x0000, {});
  PlayMetafile(canvas, TfrRect{10, 10, 110, 110}, TfrGraphic::FromBytes(TfrGraphicKind::Metafile, w.d));
  ASSERT_EQ(canvas.Lines().size(), 1u);
  EXPECT_EQ(canvas.Lines()[0], (RecordedLine{20, 60, 100, 60, {0x0000FF, 2, PenStyle::Solid}}));
  ASSERT_EQ(canvas.Shapes().size(), 1u);
  EXPECT_EQ(canvas.Shapes()[0].Points, (std::vector<CanvasPoint>{{10, 10}, {110, 10}, {10, 110}}));
  ASSERT_EQ(canvas.Texts().size(), 1u);
  EXPECT_EQ(canvas.Texts()[0].Text, "ab");
  EXPECT_EQ(canvas.Texts()[0].X, 30);
  EXPECT_EQ(canvas.Texts()[0].Y, 40);
}

}  // namespace
}  // namespace talven
