// The text of a PDF file as poppler's pdftotext gives it (UTF-8), and
// whether the tool ran.
#pragma once

#include <cstdio>
#include <string>

namespace talven {

struct PdfTextResult {
  std::string text;
  bool ok = false;
};

inline PdfTextResult PdfText(const std::string& pdf) {
  PdfTextResult result;
  const std::string command = "pdftotext -enc UTF-8 '" + pdf + "' -";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[512];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) result.text.append(buffer, n);
  result.ok = pclose(pipe) == 0;
  return result;
}

}  // namespace talven
