// talven demo-db: writes the demo installation (exam database, ini file and
// photographs) into a folder.
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/command.h"
#include "base/text.h"
#include "data/demo/demo_db.h"
#include "sheets/sheet_templates.h"

namespace talven::app {
namespace {

bool ParseNumber(const std::string& text, long long lo, long long hi, long long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != 0 || v < lo || v > hi) return false;
  out = v;
  return true;
}

const char kHelp[] =
    "Writes a demo installation into DIR: the exam database exam.db (SQLite), qelvane.ini, the two\n"
    "sign-in sheet templates under 报表/ and one photograph per candidate under 相片/202503/. The\n"
    "same options give the same installation.\n"
    "\n"
    "  --seed N                 the random seed (default 1)\n"
    "  --provinces N            provinces, 1 to 31, each with 4 cities (default 2)\n"
    "  --centres-per-city N     test centres in every city (default 2)\n"
    "  --rooms-per-centre N     written-exam rooms in every test centre (default 6)\n"
    "  --candidates-per-room N  candidates in an ordinary room (default 30)\n"
    "  --schema 1|2             2: dbversion 3.00 and 6-character centre codes (default);\n"
    "                           1: dbversion 2.00 and 4-character centre codes\n";

int RunDemoDb(const Args& args) {
  demo::DemoOptions options;
  struct NumberOption {
    const char* name;
    long long lo, hi;
    std::function<void(long long)> set;
  };
  const NumberOption numbers[] = {
      {"--seed", 0, INT64_MAX, [&](long long v) { options.seed = static_cast<std::uint64_t>(v); }},
      {"--provinces", 1, 31, [&](long long v) { options.provinces = static_cast<int>(v); }},
      {"--centres-per-city", 1, 99, [&](long long v) { options.centresPerCity = static_cast<int>(v); }},
      {"--rooms-per-centre", 1, 900, [&](long long v) { options.roomsPerCentre = static_cast<int>(v); }},
      {"--candidates-per-room", 1, 999, [&](long long v) { options.candidatesPerRoom = static_cast<int>(v); }},
      {"--schema", 1, 2, [&](long long v) { options.schema = static_cast<int>(v); }},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (i + 1 >= args.size()) return UsageError("demo-db: " + option + " needs a value");
    const std::string& value = args[++i];
    if (option == "--out") {
      options.outDir = value;
      continue;
    }
    const NumberOption* known = nullptr;
    for (const NumberOption& n : numbers)
      if (option == n.name) known = &n;
    if (known == nullptr) return UsageError("demo-db: unknown option " + option);
    long long n = 0;
    if (!ParseNumber(value, known->lo, known->hi, n))
      return UsageError("demo-db: " + option + " wants a number from " + std::to_string(known->lo) + " to " +
                        std::to_string(known->hi) + ", not '" + value + "'");
    known->set(n);
  }
  if (options.outDir.empty()) return UsageError("demo-db: --out DIR is required");
  const auto start = std::chrono::steady_clock::now();
  demo::DemoSummary s = demo::WriteDemoInstallation(options, [](const std::string& note) {
    std::fprintf(stderr, "demo-db: %s\n", note.c_str());
  });
  talven::WriteSheetTemplates(Utf8ToGbk(options.outDir));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %d provinces, %d cities, %d test centres, %d rooms (%d merged away), %d candidates\n",
              s.databasePath.c_str(), s.provinces, s.cities, s.centres, s.rooms, s.mergedRooms, s.candidates);
  std::printf("photos in %s; templates in %s/报表/; own unit: test centre %s; %.1f s\n", s.photoDir.c_str(),
              options.outDir.c_str(), s.firstCentre.c_str(), seconds);
  return 0;
}

}  // namespace

TALVEN_COMMAND(demo_db, "demo-db",
               "demo-db --out DIR [options]",
               "write a demo installation: exam database, ini file, templates, photos", RunDemoDb, kHelp);

}  // namespace talven::app
