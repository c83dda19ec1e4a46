#include "support/fixture.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "base/error.h"

namespace talven::test {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/talven-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void MakeDatabase(const std::string& path, std::string_view script) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
  char* message = nullptr;
  int rc = sqlite3_exec(db, std::string(script).c_str(), nullptr, nullptr, &message);
  std::string text = message ? message : "";
  sqlite3_free(message);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("fixture script failed: " + text);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string SqliteUrl(const std::string& path) { return "sqlite:" + path; }
std::string OdbcUrl(const std::string& path) { return "odbc:DRIVER={SQLite3};Database=" + path + ";?dialect=sqlite"; }

demo::DemoOptions DemoSize(const std::string& dir, int provinces, int centresPerCity, int roomsPerCentre,
                           int candidatesPerRoom) {
  demo::DemoOptions options;
  options.outDir = dir;
  options.provinces = provinces;
  options.centresPerCity = centresPerCity;
  options.roomsPerCentre = roomsPerCentre;
  options.candidatesPerRoom = candidatesPerRoom;
  options.photos = false;
  return options;
}

const demo::DemoSummary& SmallDemo() {
  static std::unique_ptr<TempDir> dir;
  static demo::DemoSummary summary;
  if (!dir) {
    dir = std::make_unique<TempDir>();
    summary = demo::WriteDemoInstallation(DemoSize(dir->path(), 1, 2, 5, 8));
  }
  return summary;
}

}  // namespace talven::test
