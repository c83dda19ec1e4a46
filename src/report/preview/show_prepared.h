// ShowPrepared: the report's prepared pages in the preview window.
#pragma once

namespace talven {

class TfrReport;

// Opens the preview on the report's prepared pages; nothing when it has
// none. A modal preview (the report's ModalPreview) returns when it is
// closed, and its pages go with it: the report is left with an empty list.
// A modeless one returns at once and goes when it is closed. Needs a
// QApplication; without one it fails with an Error.
void ShowPrepared(TfrReport& report);

}  // namespace talven
