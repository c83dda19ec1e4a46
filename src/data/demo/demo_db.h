// The demo installation: an SQLite exam database with every table and view
// the module reads, filled with synthetic but realistic data, the host's ini
// file and one photograph per candidate. The same options (seed included)
// give the same database and the same pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace talven::demo {

inline constexpr const char kDemoDatabaseName[] = "exam.db";
inline constexpr const char kDemoPhotoSubfolder[] = "202503";  // the "kc" setting

// How the text columns of the exam database compare: ignoring trailing
// blanks (the RTRIM collation, as SQL Server compares char and varchar, and
// what the demo writes), or byte for byte (SQLite's default, as in an exam
// database converted without collations).
enum class TextCollation { Rtrim, Binary };

struct DemoOptions {
  std::string outDir;  // UTF-8; created when missing
  std::uint64_t seed = 1;
  int provinces = 2;  // 1 … 31, in code order; every province has 4 cities
  int centresPerCity = 2;
  int roomsPerCentre = 6;  // rooms listed in v_bskc (rooms merged away come on top)
  int candidatesPerRoom = 30;
  int schema = 2;  // 2: dbversion 3.00, 6-character centre codes; 1: 2.00, 4 characters
  bool photos = true;
  TextCollation collation = TextCollation::Rtrim;
};

struct DemoSummary {
  std::string databasePath;  // UTF-8
  std::string photoDir;      // UTF-8, ending in "/"
  int provinces = 0, cities = 0, centres = 0;
  int rooms = 0;        // listed in v_bskc
  int mergedRooms = 0;  // rows of t_bshhkc
  int candidates = 0;
  std::string firstCentre;  // its code: the installation's own unit (jb 3)
};

// The SQL that creates every table, view and index of the exam database, in
// the column types the host's database declares (SQLite's dialect). The
// views compare their codes ignoring trailing blanks either way.
std::string ExamSchemaSql(TextCollation collation = TextCollation::Rtrim);

// Writes the installation; fails with Error on bad options or a file that
// cannot be written. The database is written beside its final name and takes
// it only when complete. progress, when given, receives short notes (UTF-8).
DemoSummary WriteDemoInstallation(const DemoOptions& options,
                                  const std::function<void(const std::string&)>& progress = {});

}  // namespace talven::demo
