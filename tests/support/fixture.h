// Fixtures of the tests that need a database: a temporary folder, small SQLite
// databases made from SQL scripts, and a small generated demo installation.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "data/demo/demo_db.h"
#include "support/error_of.h"

namespace talven::test {

// A fresh folder "talven-test-XXXXXX" under the system's temporary folder,
// removed with all it holds when the object goes, and also when the process
// ends without unwinding (exit, abort, a crash, SIGTERM). Only the process
// that made it removes it: a forked child that exits leaves it alone.
// path() is UTF-8 and ends without "/".
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
  int owner_ = 0;  // the process id of its maker
  int slot_ = -1;  // its place in the list of folders removed at the end
};

// Creates the database file at path (UTF-8) and runs the script (UTF-8) in it.
void MakeDatabase(const std::string& path, std::string_view script);

// The connection URLs of both routes to one SQLite file.
std::string SqliteUrl(const std::string& path);
std::string OdbcUrl(const std::string& path);

// The bytes of a file (UTF-8 name); empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Options of a demo installation of the given size in dir, without
// photographs.
demo::DemoOptions DemoSize(const std::string& dir, int provinces, int centresPerCity, int roomsPerCentre,
                           int candidatesPerRoom);

// A small demo installation (2 centres a city, 5 rooms a centre, 8
// candidates a room, one province), written once per test program into its
// own temporary folder; without photographs unless asked.
const demo::DemoSummary& SmallDemo();

}  // namespace talven::test
