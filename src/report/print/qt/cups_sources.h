// The paper sources (bins) a CUPS printer offers, which Qt's printer
// information does not tell: the printer's "media-source" values, with the
// bin codes the printer adapter uses for them and names to show.
#pragma once

#include <string>
#include <vector>

namespace talven {

struct CupsSource {
  std::string Keyword;  // the value a job asks for ("tray-1", "manual")
  std::string Name;     // UTF-8, e.g. "Tray 1"
  int Code = 0;         // the adapter's bin code
};

// The sources of the printer (UTF-8 name) on the scheduler the environment
// names; none when it has none or cannot be asked.
std::vector<CupsSource> CupsMediaSources(const std::string& printerName);

// Bin codes for source keywords: the usual codes for the usual trays
// (auto 7, manual 4, envelope 5, top 1, middle 3, bottom 2, large capacity
// 11), others from 257 on in the order the printer gives them.
std::vector<int> CupsBinCodes(const std::vector<std::string>& keywords);

}  // namespace talven
