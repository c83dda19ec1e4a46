// Papers of the device settings as Qt page sizes, for the printers that
// paint through Qt.
#pragma once

#include <QPageSize>
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

}  // namespace talven
