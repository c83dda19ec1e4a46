#include "report/model/progress_box.h"

#include <cstdio>

#include "base/text.h"

namespace talven {

namespace {
ProgressBoxFactory& Factory() {
  static ProgressBoxFactory factory;
  return factory;
}
}  // namespace

void StderrProgressBox::Start(int maximum, const std::string& message, bool, bool) {
  std::fprintf(stderr, "%s (%d)\n", GbkToUtf8(message).c_str(), maximum);
}

std::unique_ptr<TfrProgress> NewProgressBox() {
  if (Factory()) return Factory()();
  return std::make_unique<SilentProgressBox>();
}

ProgressBoxFactory SetProgressBoxFactory(ProgressBoxFactory factory) {
  ProgressBoxFactory previous = std::move(Factory());
  Factory() = std::move(factory);
  return previous;
}

}  // namespace talven
