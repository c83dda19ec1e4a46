#include "report/pages/shell.h"

#include <cstdio>
#include <string>

#include "base/text.h"

namespace talven {

namespace {

TfrShell* installed = nullptr;

}  // namespace

void HeadlessShell::Open(std::string_view target) {
  std::fprintf(stderr, "open: %s\n", GbkToUtf8(std::string(target)).c_str());
}

TfrShell& CurrentShell() {
  static HeadlessShell headless;
  return installed != nullptr ? *installed : headless;
}

void SetShell(TfrShell* shell) { installed = shell; }

ShellScope::ShellScope(TfrShell& shell) : previous_(installed) { installed = &shell; }

ShellScope::~ShellScope() { installed = previous_; }

}  // namespace talven
