// The font layer on the installed fonts (needs the CJK fonts of
// scripts/setup.sh: AR PL UMing, WenQuanYi Zen Hei, Liberation).
#include "report/render/font_faces.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/render/canvas.h"
#include "report/render/memo_layout.h"

namespace talven {
namespace {

TEST(Fonts, FamiliesOfTemplatesResolveToInstalledFacesWithChineseGlyphs) {
  struct Case {
    std::string family;
    bool bold;
    const char* face;
    bool syntheticBold;
  };
  const Case cases[] = {
      {"宋体"_gbk, false, "AR PL UMing CN", false},
      {"宋体"_gbk, true, "AR PL UMing CN", true},
      {"黑体"_gbk, false, "WenQuanYi Zen Hei", false},
      {"Arial", true, "Liberation Sans", false},
      {"No Such Family", false, "AR PL UMing CN", false},
  };
  for (const Case& c : cases) {
    FaceInfo face = ResolveFace(c.family, c.bold, false);
    EXPECT_EQ(face.Family, c.face) << c.family;
    EXPECT_EQ(face.SyntheticBold, c.syntheticBold) << c.family;
    EXPECT_NE(OpenFace(face.File, face.Index), nullptr) << face.File;
  }
  EXPECT_TRUE(ResolveFace("宋体"_gbk, false, true).SyntheticItalic);
  EXPECT_FALSE(ResolveFace("Arial", false, true).SyntheticItalic);
}

TEST(Fonts, WidthsAreTheFacesAdvancesAndChineseFallsBackToTheSongFace) {
  CanvasFont song;
  song.Name = "宋体"_gbk;
  const FontMeasure& s13 = ProductionMetrics().MeasureFor(song, 13);
  EXPECT_EQ(TextWidthOf(s13, "中文"_gbk, 0), 26);
  // A text cut after a lead byte counts an ideograph for it.
  EXPECT_EQ(TextWidthOf(s13, "中"_gbk + "\xCE", 0), 26);

  CanvasFont arial;
  const FontMeasure& a13 = ProductionMetrics().MeasureFor(arial, 13);
  const auto& glyph = a13.Faces().Lookup(0xD6D0);  // 中
  EXPECT_EQ(a13.Faces().Faces()[glyph.Face].Family, "AR PL UMing CN");
  EXPECT_NE(glyph.Index, 0u);
  EXPECT_EQ(TextWidthOf(a13, "中"_gbk, 0), 13);
  // Latin letters keep the face's own, fractional advances: ten of them are
  // not ten rounded ones.
  EXPECT_EQ(TextWidthOf(a13, "iiiiiiiiii", 0), Round64(std::int64_t{10} * a13.Advance64('i')));
  EXPECT_EQ(TextWidthOf(a13, "ab", 2), TextWidthOf(a13, "ab", 0) + 4);
  // A character spacing from a damaged file saturates instead of wrapping.
  EXPECT_EQ(TextWidthOf(a13, "ab", 1347440720), 1 << 30);
  EXPECT_EQ(TextWidthOf(a13, "ab", -1347440720), -(1 << 30));
}

TEST(Fonts, AChineseMemoWrapsByTheFontsWidths) {
  SetScratchMetrics(nullptr);
  TfrMemoView m;
  m.Font.Name = "宋体"_gbk;
  m.Width = 60;  // 56 inside the gaps: four characters of 13
  m.Height = 100;
  m.OutputText = {"准考证号考生姓名"_gbk};
  LayoutText(m);
  ASSERT_EQ(LayoutLines().size(), 2u);
  EXPECT_EQ(LayoutLines()[0], "准考证号"_gbk);
}

}  // namespace
}  // namespace talven
