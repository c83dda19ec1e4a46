// The font layer: from a family name of a template to font files and
// FreeType faces, and the production text metrics on them. No Qt: the Qt
// canvas and the PDF canvas both draw with what this layer decides.
//
// A family goes through the program's face table (InstalledFaceFor) and
// fontconfig to a file. A family that is not installed becomes the Song
// face, never a face without Chinese glyphs; characters that a face lacks
// come from the Song face. Bold or italic asked of a face that has no such
// variant is drawn synthetically (FaceInfo's flags) with the regular face's
// advances.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "report/render/text_metrics.h"

namespace talven {

// The installed face for a family (GBK), with bold and italic asked for.
FaceInfo ResolveFace(const std::string& family, bool bold, bool italic);
// The Song face, which every family falls back to.
const FaceInfo& SongFace();

// The FreeType face of a font file, opened once for the process.
FT_Face OpenFace(const std::string& file, int index);

// The face set a font is measured and drawn with.
const FaceSet& FaceSetFor(const CanvasFont& font);

// FreeType metrics: unhinted advances at the pixel size.
class FreeTypeMetrics : public TextMetrics {
 public:
  const FontMeasure& MeasureFor(const CanvasFont& font, int pixelHeight) override;
};

}  // namespace talven
