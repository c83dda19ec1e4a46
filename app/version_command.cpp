#include <cstdio>

#include "app/command.h"
#include "base/version.h"

namespace talven::app {
namespace {

int RunVersion(const Args&) {
  std::printf("%s\n", kModuleVersion);
  return 0;
}

}  // namespace

TALVEN_COMMAND(version, "version", "version", "print the module's version", RunVersion);

}  // namespace talven::app
