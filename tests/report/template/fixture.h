// Fixtures kept beside the template tests.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace talven {

inline std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(TALVEN_TEMPLATE_FIXTURES) + "/" + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace talven
