// Papers of the device settings as Qt page sizes, for the printers that
// paint through Qt.
#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QRect>
#include <QSizeF>

#include "report/print/printer_system.h"

namespace talven {

// A custom size (code 256, or a size set) is the sheet as it lies.
bool IsCustomPaper(const PrinterDeviceSettings& s);
// Whether the sheet lies landscape: a custom one when it is wider than
// long, any other by its orientation.
bool SheetIsLandscape(const PrinterDeviceSettings& s);
// The page size of a custom paper or of a paper of the paper table (its
// size, in portrait); fails with an Error for a code the table lacks.
QPageSize TablePageSize(const PrinterDeviceSettings& s);

// The page geometry of a layout at a resolution. Qt keeps page sizes in
// whole points, so a custom size would come back up to a third of a
// millimetre off and no longer match its own pages: its sheet is taken
// from the settings exactly, with the layout's margins.
PrinterPageGeometry GeometryOf(const QPageLayout& layout, int resolution, const PrinterDeviceSettings& s);

}  // namespace talven
