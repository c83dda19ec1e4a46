// The shell seam on Qt: a link target opens with the desktop's default
// action (QDesktopServices). A target that is no address is a file name,
// relative to the working folder.
#pragma once

#include "report/pages/shell.h"

namespace talven {

class QtShell : public TfrShell {
 public:
  void Open(std::string_view target) override;
};

}  // namespace talven
