// The word lists of the demo exam database: provinces and their cities,
// family and given names, test-centre and room names, level-languages. UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace talven::demo {

struct Province {
  std::string_view code;  // 2 digits
  std::string_view name;
  std::array<std::string_view, 4> cities;  // city codes are code + 01 … 04
};
extern const std::array<Province, 31> kProvinces;

struct LevelLanguage {
  std::string_view code;  // 2 digits
  std::string_view name;
  double minutes;
};
extern const std::array<LevelLanguage, 8> kLevelLanguages;
// A level-language code that Tc_jbyy does not list (a newly added level).
inline constexpr std::string_view kUnlistedLevelCode = "98";

extern const std::array<std::string_view, 80> kFamilyNames;
extern const std::array<std::string_view, 160> kGivenNameChars;
// "{}" stands for the city's name without its last character (市, 区, 州).
extern const std::array<std::string_view, 12> kCentreNamePatterns;
extern const std::array<std::string_view, 8> kBuildings;

}  // namespace talven::demo
