#include "report/print/qt/cups_sources.h"

#include <cups/cups.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace talven {

std::vector<int> CupsBinCodes(const std::vector<std::string>& keywords) {
  static const std::map<std::string, int> usual = {
      {"auto", 7},     {"manual", 4}, {"by-pass-tray", 4}, {"envelope", 5},         {"top", 1},
      {"main", 1},     {"middle", 3}, {"bottom", 2},       {"large-capacity", 11},
  };
  std::vector<int> codes;
  int next = 257;
  for (const std::string& k : keywords) {
    auto it = usual.find(k);
    int code = it != usual.end() ? it->second : 0;
    if (code == 0 || std::find(codes.begin(), codes.end(), code) != codes.end()) code = next++;
    codes.push_back(code);
  }
  return codes;
}

namespace {

// "tray-1" → "Tray 1", for printers that bring no names of their own.
std::string NameOfKeyword(const std::string& keyword) {
  std::string name = keyword;
  std::replace(name.begin(), name.end(), '-', ' ');
  if (!name.empty()) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  return name;
}

}  // namespace

std::vector<CupsSource> CupsMediaSources(const std::string& printerName) {
  std::vector<CupsSource> out;
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printerName.c_str(), nullptr);
  if (dest == nullptr) return out;
  cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
  if (info != nullptr) {
    ipp_attribute_t* sources = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "media-source");
    std::vector<std::string> keywords;
    for (int i = 0; sources != nullptr && i < ippGetCount(sources); ++i)
      if (const char* k = ippGetString(sources, i, nullptr)) keywords.emplace_back(k);
    const std::vector<int> codes = CupsBinCodes(keywords);
    for (std::size_t i = 0; i < keywords.size(); ++i) {
      const char* localized =
          cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, dest, info, "media-source", keywords[i].c_str());
      std::string name = localized != nullptr && keywords[i] != localized ? localized : NameOfKeyword(keywords[i]);
      out.push_back({keywords[i], name, codes[i]});
    }
    cupsFreeDestInfo(info);
  }
  cupsFreeDests(1, dest);
  return out;
}

}  // namespace talven
