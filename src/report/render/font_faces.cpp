#include "report/render/font_faces.h"

#include <fontconfig/fontconfig.h>

#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <map>
#include <memory>
#include <tuple>

#include "base/error.h"
#include "base/fontfaces.h"
#include "base/text.h"
#include "report/model/memo_view.h"

namespace talven {

namespace {

// Advances are kept in 1/65536 em, whatever the face's own units, so that a
// character of the fallback face adds up with the others.
constexpr int kUnitsPerEm = 1 << 16;

const char* const kSongFamily = "AR PL UMing CN";

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) throw Error("FreeType cannot start");
    return lib;
  }();
  return library;
}

std::string FcText(FcPattern* p, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(p, object, 0, &value) != FcResultMatch || value == nullptr) return {};
  return reinterpret_cast<const char*>(value);
}

bool HasFamily(FcPattern* p, const std::string& family) {
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(p, FC_FAMILY, i, &value) == FcResultMatch; ++i)
    if (SameText(reinterpret_cast<const char*>(value), family)) return true;
  return false;
}

// fontconfig's best match for an installed family, or nothing when the match
// is another family.
bool Match(const std::string& family, bool bold, bool italic, FaceInfo& out) {
  static const bool ready = FcInit();
  if (!ready) return false;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  bool found = HasFamily(match, family);
  if (found) {
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcBool embolden = FcFalse;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    // fontconfig reports the weight asked for when it would embolden a
    // lighter face itself.
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    FcMatrix* matrix = nullptr;
    const bool sheared = FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix != nullptr &&
                         matrix->xy != 0;
    out.Family = family;
    out.File = FcText(match, FC_FILE);
    out.Index = index;
    out.SyntheticBold = bold && (weight < FC_WEIGHT_DEMIBOLD || embolden == FcTrue);
    out.SyntheticItalic = italic && (slant == FC_SLANT_ROMAN || sheared);
    found = !out.File.empty();
  }
  FcPatternDestroy(match);
  return found;
}

std::int32_t NormalizedUnits(FT_Face face, std::int64_t units) {
  const std::int64_t em = face->units_per_EM > 0 ? face->units_per_EM : 1000;
  return static_cast<std::int32_t>((units * kUnitsPerEm * 2 + em) / (2 * em));
}

// A family's faces: the primary one and, unless it is the Song face itself,
// the Song face for the characters it lacks.
class FreeTypeFaceSet : public FaceSet {
 public:
  explicit FreeTypeFaceSet(const CanvasFont& font) {
    const bool bold = (font.Style & fsBoldBit) != 0, italic = (font.Style & fsItalicBit) != 0;
    FaceInfo primary = ResolveFace(font.Name, bold, italic);
    faces_.push_back(primary);
    ft_.push_back(OpenFace(primary.File, primary.Index));
    if (!SameText(primary.Family, kSongFamily)) {
      FaceInfo song = SongFace();
      song.SyntheticBold = bold;
      song.SyntheticItalic = italic;
      if (FT_Face f = OpenFace(song.File, song.Index)) {
        faces_.push_back(song);
        ft_.push_back(f);
      }
    }
    unitsPerEm_ = kUnitsPerEm;
    FT_Face face = ft_[0];
    if (face != nullptr) {
      auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        ascender_ = NormalizedUnits(face, os2->usWinAscent);
        descender_ = NormalizedUnits(face, os2->usWinDescent);
      } else {
        ascender_ = NormalizedUnits(face, face->ascender);
        descender_ = NormalizedUnits(face, -face->descender);
      }
    } else {
      ascender_ = kUnitsPerEm * 4 / 5;
      descender_ = kUnitsPerEm / 5;
    }
    // The width of an ideograph stands for a character cut after its lead
    // byte.
    loneLead_ = Resolve(0xD2BB).Units;  // 一
    if (loneLead_ == 0) loneLead_ = kUnitsPerEm;
  }

 protected:
  Glyph Resolve(std::uint16_t code) const override {
    const char32_t cp = GbkCharToUnicode(code);
    std::size_t use = ft_.size();
    FT_UInt gi = 0;
    for (std::size_t i = 0; i < ft_.size() && use == ft_.size(); ++i) {
      if (ft_[i] == nullptr || cp == 0) continue;
      gi = FT_Get_Char_Index(ft_[i], cp);
      if (gi != 0) use = i;
    }
    // A character that no face has is drawn as the first face's missing
    // glyph.
    if (use == ft_.size()) {
      use = 0;
      gi = 0;
      while (use < ft_.size() && ft_[use] == nullptr) ++use;
      if (use == ft_.size()) return Glyph{0, code > 0xFF ? kUnitsPerEm : kUnitsPerEm / 2, 0};
    }
    FT_Fixed advance = 0;
    FT_Get_Advance(ft_[use], gi, FT_LOAD_NO_SCALE, &advance);
    return Glyph{gi, NormalizedUnits(ft_[use], advance), static_cast<std::uint8_t>(use)};
  }

 private:
  std::vector<FT_Face> ft_;
};

}  // namespace

FaceInfo ResolveFace(const std::string& family, bool bold, bool italic) {
  FaceInfo face;
  const std::string installed = InstalledFaceFor(GbkToUtf8(family));
  if (Match(installed, bold, italic, face)) return face;
  face = SongFace();
  face.SyntheticBold = bold;
  face.SyntheticItalic = italic;
  return face;
}

const FaceInfo& SongFace() {
  static const FaceInfo song = [] {
    FaceInfo face;
    if (!Match(kSongFamily, false, false, face)) face.Family = kSongFamily;
    return face;
  }();
  return song;
}

FT_Face OpenFace(const std::string& file, int index) {
  static std::map<std::pair<std::string, int>, FT_Face> faces;
  if (file.empty()) return nullptr;
  auto key = std::make_pair(file, index);
  auto it = faces.find(key);
  if (it != faces.end()) return it->second;
  FT_Face face = nullptr;
  if (FT_New_Face(Library(), file.c_str(), index, &face) != 0) face = nullptr;
  faces.emplace(key, face);
  return face;
}

const FaceSet& FaceSetFor(const CanvasFont& font) {
  static std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<FreeTypeFaceSet>> sets;
  auto key = std::make_tuple(UpperCase(font.Name), (font.Style & fsBoldBit) != 0, (font.Style & fsItalicBit) != 0);
  auto it = sets.find(key);
  if (it == sets.end()) it = sets.emplace(key, std::make_unique<FreeTypeFaceSet>(font)).first;
  return *it->second;
}

const FontMeasure& FreeTypeMetrics::MeasureFor(const CanvasFont& font, int pixelHeight) {
  static std::map<std::pair<const FaceSet*, int>, std::unique_ptr<FontMeasure>> measures;
  const FaceSet& set = FaceSetFor(font);
  auto key = std::make_pair(&set, pixelHeight);
  auto it = measures.find(key);
  if (it == measures.end()) {
    auto scale = [&](std::int64_t units) {
      return static_cast<std::int32_t>((units * pixelHeight * 64 * 2 + kUnitsPerEm) / (2 * kUnitsPerEm));
    };
    it = measures
             .emplace(key, std::make_unique<FontMeasure>(set, std::int64_t{pixelHeight} * 64, kUnitsPerEm, pixelHeight,
                                                         scale(set.AscenderUnits()), scale(set.DescenderUnits())))
             .first;
  }
  return *it->second;
}

TextMetrics& ProductionMetrics() {
  static FreeTypeMetrics metrics;
  return metrics;
}

}  // namespace talven
