// Stream routines of the template format and the graphics kept in
// templates.
#include <gtest/gtest.h>

#include "base/jpeg.h"
#include "report/model/graphic.h"
#include "report/model/prepare_state.h"
#include "report/model/stream.h"

namespace talven {
namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s.push_back(static_cast<char>(v));
  return s;
}

struct VersionScope {
  explicit VersionScope(int v) { EngineState().StreamVersion = v; }
  ~VersionScope() { EngineState().StreamVersion = 25; }
};

TEST(Stream, TextListLayouts) {
  TfrStream s;
  WriteStreamTextList(s, {});
  WriteStreamTextList(s, {"a", "bc"});
  EXPECT_EQ(s.Bytes(), Bytes({0, 0, 0, 2, 0, 1, 0, 'a', 13, 2, 0, 'b', 'c', 0}));
  s.Seek(0);
  EXPECT_TRUE(ReadStreamTextList(s).empty());
  EXPECT_EQ(ReadStreamTextList(s), (TfrStrings{"a", "bc"}));
  EXPECT_TRUE(s.AtEnd());
}

TEST(Stream, OldFormsOfVersions21And22) {
  VersionScope v(22);
  TfrStream s(std::string("abc\0x\ry\r\0z\r\r\0", 13));
  EXPECT_EQ(ReadStreamString(s), "abc");
  EXPECT_EQ(ReadStreamTextList(s), (TfrStrings{"x", "y"}));  // the empty last line is dropped
  EXPECT_EQ(ReadStreamTextList(s), (TfrStrings{"z", ""}));
  TfrStream unterminated(std::string("abc"));
  EXPECT_THROW(ReadStreamString(unterminated), TfrStreamError);
}

TEST(Stream, ReadsNeverPassTheEnd) {
  TfrStream s(Bytes({5, 0, 'a', 'b'}));
  EXPECT_THROW(ReadStreamString(s), TfrStreamError);
  s.Seek(0);
  EXPECT_EQ(s.ReadU16(), 5);
  EXPECT_THROW(s.ReadI32(), TfrStreamError);
  EXPECT_EQ(s.Position(), 2u);  // a failed read does not move
  s.Seek(100);
  EXPECT_THROW(s.ReadU8(), TfrStreamError);
}

TEST(Stream, EndPositionsMustLieAheadInsideTheStream) {
  for (std::int32_t end : {-1, 3, 200}) {
    TfrStream s(std::string(8, '\0'));
    s.WriteI32(end);
    s.Seek(0);
    EXPECT_THROW(ReadEndPosition(s), TfrStreamError) << end;
  }
  TfrStream ok(Bytes({6, 0, 0, 0, 9, 9}));
  EXPECT_EQ(ReadEndPosition(ok), 6u);
}

TEST(Stream, OverlongTextsAreCutNotMiswritten) {
  TfrStream s;
  std::string text(0x10000, 'x');
  text[0xFFFE] = static_cast<char>(0xB0);  // a double-byte character across the limit
  text[0xFFFF] = static_cast<char>(0xA1);
  WriteStreamString(s, text);
  s.Seek(0);
  EXPECT_EQ(ReadStreamString(s), std::string(0xFFFE, 'x'));
  TfrStrings many(70000, "");
  TfrStream list;
  WriteStreamTextList(list, many);
  list.Seek(0);
  EXPECT_EQ(ReadStreamTextList(list).size(), many.size());
}

TEST(Stream, LinesSplitAtEveryKindOfBreak) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (TfrStrings{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (TfrStrings{"a"}));
  EXPECT_EQ(SplitLines("\r\n\r\n"), (TfrStrings{"", ""}));
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb");
}

TEST(Graphic, KeepsItsBytesAndReadsItsSize) {
  // A 2 × 3 bitmap header (core form), an icon directory, a placeable
  // metafile of 2 × 1 inches, an enhanced metafile header.
  std::string bmp = "BM" + std::string(12, '\0') + Bytes({12, 0, 0, 0, 2, 0, 3, 0, 1, 0, 24, 0});
  TfrGraphic b = TfrGraphic::FromBytes(TfrGraphicKind::Bitmap, bmp);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Height(), 3);
  EXPECT_EQ(b.Bytes(), bmp);

  std::string ico = Bytes({0, 0, 1, 0, 1, 0, 0, 16}) + std::string(14, '\0');
  TfrGraphic i = TfrGraphic::FromBytes(TfrGraphicKind::Icon, ico);
  EXPECT_EQ(i.Width(), 256);
  EXPECT_EQ(i.Height(), 16);

  std::string wmf = Bytes({0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0x40, 0x0B, 0xA0, 0x05, 0xA0, 0x05}) +
                    std::string(6, '\0');
  TfrGraphic w = TfrGraphic::FromBytes(TfrGraphicKind::Metafile, wmf);
  EXPECT_EQ(w.Width(), 192);
  EXPECT_EQ(w.Height(), 96);
  EXPECT_FALSE(w.Enhanced());

  std::string emf(88, '\0');
  emf[0] = 1;
  emf[16] = 99;  // right edge of the bounds
  emf[20] = 49;
  emf.replace(40, 4, " EMF");
  TfrGraphic e = TfrGraphic::FromBytes(TfrGraphicKind::Metafile, emf);
  EXPECT_TRUE(e.Enhanced());
  EXPECT_EQ(e.Width(), 100);
  EXPECT_EQ(e.Height(), 50);

  RgbImage image{5, 4, std::vector<std::uint8_t>(60, 90)};
  TfrGraphic j = TfrGraphic::FromImage(image);
  EXPECT_EQ(j.Kind(), TfrGraphicKind::Jpeg);
  EXPECT_EQ(j.Width(), 5);
  EXPECT_EQ(j.DecodeJpeg().width, 5);
}

TEST(Graphic, RejectsDataOfAnotherKind) {
  for (TfrGraphicKind kind : {TfrGraphicKind::Bitmap, TfrGraphicKind::Icon, TfrGraphicKind::Metafile,
                              TfrGraphicKind::Jpeg})
    EXPECT_THROW(TfrGraphic::FromBytes(kind, "not a picture at all, just text"), Error)
        << GraphicKindName(kind);
  EXPECT_TRUE(TfrGraphic::FromBytes(TfrGraphicKind::Jpeg, "").Empty());
  EXPECT_EQ(TfrGraphic::FromBytes(TfrGraphicKind::Jpeg, "").Kind(), TfrGraphicKind::Jpeg);
  EXPECT_EQ(GraphicKindOfExtension(".JPEG"), TfrGraphicKind::Jpeg);
  EXPECT_EQ(GraphicKindOfExtension("emf"), TfrGraphicKind::Metafile);
  EXPECT_FALSE(GraphicKindOfExtension(".png"));
}

}  // namespace
}  // namespace talven
