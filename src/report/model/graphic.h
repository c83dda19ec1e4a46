// The graphic of a picture object: a bitmap (BMP file form), a Windows
// metafile (placeable WMF or EMF), an icon or a JPEG image. A graphic keeps
// the exact bytes it was read from and writes them back unchanged, so that
// templates and prepared pages round-trip byte for byte; reading checks the
// header of the kind and takes the picture's size from it. JPEG images are
// decoded and encoded through libjpeg (base/jpeg.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/jpeg.h"

namespace talven {

// The graphic kinds of the picture record.
enum class TfrGraphicKind : std::uint8_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, Jpeg = 4 };

class TfrGraphic {
 public:
  TfrGraphic() = default;

  // An empty graphic of a kind (no bytes, size 0).
  static TfrGraphic EmptyOf(TfrGraphicKind kind);
  // The graphic held by the bytes of a file of that kind; empty bytes give
  // an empty graphic. Fails with an Error naming the kind when the header
  // is not one of that kind.
  static TfrGraphic FromBytes(TfrGraphicKind kind, std::string bytes);
  // Loads a file (GBK name), the kind following the extension: .bmp,
  // .ico, .wmf, .emf, .jpg, .jpeg. Fails for another extension or an
  // unreadable file.
  static TfrGraphic LoadFromFile(const std::string& fileName);
  // A JPEG image encoded from pixels.
  static TfrGraphic FromImage(const RgbImage& image, int quality = 90);

  TfrGraphicKind Kind() const { return kind_; }
  // No graphic at all, or a graphic without bytes.
  bool Empty() const { return bytes_.empty(); }
  const std::string& Bytes() const { return bytes_; }
  // Size in pixels (for metafiles at 96 pixels to the inch).
  int Width() const { return width_; }
  int Height() const { return height_; }
  // A metafile in the enhanced form.
  bool Enhanced() const { return enhanced_; }

  // The pixels of a JPEG image; fails for other kinds.
  RgbImage DecodeJpeg() const;

  bool operator==(const TfrGraphic& o) const { return kind_ == o.kind_ && bytes_ == o.bytes_; }

 private:
  TfrGraphicKind kind_ = TfrGraphicKind::None;
  std::string bytes_;
  int width_ = 0;
  int height_ = 0;
  bool enhanced_ = false;
};

// The kind a file extension (with or without the point, any case) stands
// for, or none.
std::optional<TfrGraphicKind> GraphicKindOfExtension(std::string_view extension);
// "bitmap", "metafile", "icon", "jpeg", or "" for none.
const char* GraphicKindName(TfrGraphicKind kind);
std::optional<TfrGraphicKind> GraphicKindFromName(std::string_view name);

// Reads a whole file named in GBK; fails with "Cannot open file "<name>"".
std::string ReadWholeFile(const std::string& fileName);
bool FileExists(const std::string& fileName);

}  // namespace talven
