// The one table that maps the font family names used by templates and
// windows onto faces installed here. fontconfig maps none of 宋体, SimSun or
// Arial by itself; the Qt layers install these as font substitutions.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talven {

struct FontFace {
  const char* family;     // as templates and windows name it (UTF-8)
  const char* installed;  // the installed face that stands in for it
};

// The whole table, in UTF-8.
const std::vector<FontFace>& FontFaces();

// The installed face for a family name (UTF-8, compared without regard to
// ASCII case), or the name itself when the table has no entry.
std::string InstalledFaceFor(std::string_view family);

}  // namespace talven
