// Installs the export's windows for a program with widgets: the workbook
// options dialog, the progress box and opening saved workbooks with the
// desktop's program (QDesktopServices). Until then exports run headless.
#pragma once

class QWidget;

namespace talven {

// The parent of the dialog and the boxes; it may be none.
void InstallExportWindows(QWidget* parent);
// Back to the headless seams.
void RemoveExportWindows();

}  // namespace talven
