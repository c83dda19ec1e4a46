#include "report/model/graphic.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/error.h"
#include "base/text.h"

namespace talven {

namespace {

std::uint32_t U32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}
std::uint16_t U16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    (static_cast<unsigned char>(b[at + 1]) << 8));
}
std::int32_t I32(std::string_view b, std::size_t at) { return static_cast<std::int32_t>(U32(b, at)); }
std::int16_t I16(std::string_view b, std::size_t at) { return static_cast<std::int16_t>(U16(b, at)); }

[[noreturn]] void Invalid(const char* what) { throw Error(std::string("Invalid ") + what + " data"); }

// Windows bitmap file: file header, then a core (12 bytes) or info (40 or
// more bytes) header.
void ReadBitmapSize(std::string_view b, int& w, int& h) {
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') Invalid("bitmap");
  std::uint32_t headerSize = U32(b, 14);
  if (headerSize == 12) {
    w = U16(b, 18);
    h = U16(b, 20);
  } else if (headerSize >= 40 && b.size() >= 26) {
    std::int64_t sw = I32(b, 18), sh = I32(b, 22);
    if (sw <= 0 || sh == 0 || sw > 0x7FFF || std::llabs(sh) > 0x7FFF) Invalid("bitmap");
    w = static_cast<int>(sw);
    h = static_cast<int>(std::llabs(sh));
  } else {
    Invalid("bitmap");
  }
}

// Icon file: reserved 0, type 1, a count, then 16-byte directory entries.
void ReadIconSize(std::string_view b, int& w, int& h) {
  if (b.size() < 6 || U16(b, 0) != 0 || U16(b, 2) != 1) Invalid("icon");
  std::size_t count = U16(b, 4);
  if (count == 0 || b.size() < 6 + 16 * count) Invalid("icon");
  unsigned char bw = static_cast<unsigned char>(b[6]), bh = static_cast<unsigned char>(b[7]);
  w = bw == 0 ? 256 : bw;
  h = bh == 0 ? 256 : bh;
}

// A placeable metafile (key 0x9AC6CDD7, bounds in logical units and units
// per inch), a plain Windows metafile (no size) or an enhanced metafile
// (record 1 with the " EMF" signature, bounds in device pixels).
void ReadMetafileSize(std::string_view b, int& w, int& h, bool& enhanced) {
  if (b.size() >= 22 && U32(b, 0) == 0x9AC6CDD7u) {
    int left = I16(b, 6), top = I16(b, 8), right = I16(b, 10), bottom = I16(b, 12);
    int inch = U16(b, 14);
    if (inch == 0) inch = 1440;
    w = static_cast<int>((static_cast<long long>(right) - left) * 96 / inch);
    h = static_cast<int>((static_cast<long long>(bottom) - top) * 96 / inch);
    if (w < 0) w = -w;
    if (h < 0) h = -h;
    enhanced = false;
    return;
  }
  if (b.size() >= 88 && U32(b, 0) == 1 && U32(b, 40) == 0x464D4520u) {
    long long left = I32(b, 8), top = I32(b, 12), right = I32(b, 16), bottom = I32(b, 20);
    long long ww = right - left + 1, hh = bottom - top + 1;
    w = static_cast<int>(ww < 0 ? 0 : (ww > 0x7FFF ? 0x7FFF : ww));
    h = static_cast<int>(hh < 0 ? 0 : (hh > 0x7FFF ? 0x7FFF : hh));
    enhanced = true;
    return;
  }
  if (b.size() >= 18 && (U16(b, 0) == 1 || U16(b, 0) == 2) && U16(b, 2) == 9) {
    w = h = 0;
    enhanced = false;
    return;
  }
  Invalid("metafile");
}

}  // namespace

TfrGraphic TfrGraphic::EmptyOf(TfrGraphicKind kind) {
  TfrGraphic g;
  g.kind_ = kind;
  return g;
}

TfrGraphic TfrGraphic::FromBytes(TfrGraphicKind kind, std::string bytes) {
  TfrGraphic g = EmptyOf(kind);
  if (bytes.empty() || kind == TfrGraphicKind::None) return g;
  switch (kind) {
    case TfrGraphicKind::Bitmap: ReadBitmapSize(bytes, g.width_, g.height_); break;
    case TfrGraphicKind::Icon: ReadIconSize(bytes, g.width_, g.height_); break;
    case TfrGraphicKind::Metafile: ReadMetafileSize(bytes, g.width_, g.height_, g.enhanced_); break;
    case TfrGraphicKind::Jpeg: JpegSize(bytes, g.width_, g.height_); break;
    case TfrGraphicKind::None: break;
  }
  g.bytes_ = std::move(bytes);
  return g;
}

TfrGraphic TfrGraphic::LoadFromFile(const std::string& fileName) {
  std::size_t dot = fileName.rfind('.');
  std::optional<TfrGraphicKind> kind;
  if (dot != std::string::npos) kind = GraphicKindOfExtension(std::string_view(fileName).substr(dot));
  if (!kind) throw Error("Unknown picture file extension (" + (dot == std::string::npos ? "" : fileName.substr(dot)) + ")");
  return FromBytes(*kind, ReadWholeFile(fileName));
}

TfrGraphic TfrGraphic::FromImage(const RgbImage& image, int quality) {
  return FromBytes(TfrGraphicKind::Jpeg, EncodeJpeg(image, quality));
}

RgbImage TfrGraphic::DecodeJpeg() const {
  if (kind_ != TfrGraphicKind::Jpeg) throw Error("Not a JPEG image");
  return talven::DecodeJpeg(bytes_);
}

std::optional<TfrGraphicKind> GraphicKindOfExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  if (SameText(extension, "bmp")) return TfrGraphicKind::Bitmap;
  if (SameText(extension, "ico")) return TfrGraphicKind::Icon;
  if (SameText(extension, "wmf") || SameText(extension, "emf")) return TfrGraphicKind::Metafile;
  if (SameText(extension, "jpg") || SameText(extension, "jpeg")) return TfrGraphicKind::Jpeg;
  return std::nullopt;
}

const char* GraphicKindName(TfrGraphicKind kind) {
  switch (kind) {
    case TfrGraphicKind::Bitmap: return "bitmap";
    case TfrGraphicKind::Metafile: return "metafile";
    case TfrGraphicKind::Icon: return "icon";
    case TfrGraphicKind::Jpeg: return "jpeg";
    case TfrGraphicKind::None: break;
  }
  return "";
}

std::optional<TfrGraphicKind> GraphicKindFromName(std::string_view name) {
  for (TfrGraphicKind k : {TfrGraphicKind::None, TfrGraphicKind::Bitmap, TfrGraphicKind::Metafile,
                           TfrGraphicKind::Icon, TfrGraphicKind::Jpeg})
    if (SameText(name, GraphicKindName(k))) return k;
  return std::nullopt;
}

std::string ReadWholeFile(const std::string& fileName) {
  std::ifstream in(std::filesystem::path(GbkToUtf8(fileName)), std::ios::binary);
  if (!in) throw Error("Cannot open file \"" + fileName + "\"");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Error("Cannot read file \"" + fileName + "\"");
  return bytes;
}

bool FileExists(const std::string& fileName) {
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(GbkToUtf8(fileName)), ec);
}

}  // namespace talven
