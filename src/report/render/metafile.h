// Windows metafiles (placeable WMF and EMF) played record by record onto a
// canvas, mapped from the metafile's frame into an area: lines, polylines,
// polygons, rectangles, ellipses, text and bitmaps. A record that is not
// supported is skipped; damaged data ends the playing, never the program.
#pragma once

#include "report/model/graphic.h"
#include "report/render/canvas.h"

namespace talven {

void PlayMetafile(Canvas& canvas, const TfrRect& area, const TfrGraphic& metafile);

}  // namespace talven
