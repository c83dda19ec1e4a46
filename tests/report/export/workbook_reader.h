// Reading an exported workbook back with a real reader (openpyxl, through
// read_workbook.py beside this file) as JSON.
#pragma once

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

namespace talven::test {

inline nlohmann::json ReadWorkbook(const std::string& path) {
  const std::string command = std::string("/usr/bin/python3 '") + TALVEN_READ_WORKBOOK + "' '" + path + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return nullptr;
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe.get())) > 0;) out.append(buf, n);
  nlohmann::json j = nlohmann::json::parse(out, nullptr, false);
  if (j.is_discarded()) ADD_FAILURE() << "reading " << path << " failed:\n" << out;
  return j;
}

}  // namespace talven::test
