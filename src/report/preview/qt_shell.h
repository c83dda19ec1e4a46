// The shell seam on the desktop: a link object's target opened with its
// default application (a file or folder path, or an address).
#pragma once

#include "report/pages/shell.h"

namespace talven {

class QtShell : public TfrShell {
 public:
  void Open(std::string_view target) override;
};

}  // namespace talven
