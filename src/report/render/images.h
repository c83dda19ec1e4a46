// Pictures of report objects as pixels: bitmaps (BMP files: 1, 4, 8, 16, 24
// and 32 bits, uncompressed, run-length or bit-field coded), icons (the
// largest image of the file, with its mask) and JPEG images. Damaged or
// unsupported data gives no picture rather than an error, so that a page
// still draws.
#pragma once

#include <optional>
#include <string_view>

#include "report/model/graphic.h"
#include "report/render/canvas.h"

namespace talven {

std::optional<CanvasImage> DecodeBmp(std::string_view file);
// A device-independent bitmap without the file header (as icons and
// metafile records hold them); `masked` takes the second half of the rows as
// the transparency mask of an icon.
std::optional<CanvasImage> DecodeDib(std::string_view dib, bool masked = false);
// A bitmap whose header and pixels lie apart in a record (metafiles).
std::optional<CanvasImage> DecodeDibParts(std::string_view record, std::size_t header, std::size_t bits);
std::optional<CanvasImage> DecodeIcon(std::string_view file);
std::optional<CanvasImage> DecodeGraphicImage(const TfrGraphic& graphic);

}  // namespace talven
