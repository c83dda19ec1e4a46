// What the fuzz targets share: the engine started once, as the program
// starts it, and a text cut into lines at "\n", as a template's lists hold
// them.
#pragma once

#include <string>
#include <vector>

#include "report/print/printer.h"

namespace talven::fuzz {

inline void StartEngineOnce() {
  static const bool started = [] {
    StartReportEngine(nullptr);
    return true;
  }();
  (void)started;
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace talven::fuzz
