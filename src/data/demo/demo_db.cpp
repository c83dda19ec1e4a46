#include "data/demo/demo_db.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "base/datetime.h"
#include "base/error.h"
#include "base/jpeg.h"
#include "base/text.h"
#include "data/demo/demo_names.h"
#include "data/demo/demo_photo.h"
#include "data/ini_file.h"
#include "data/paths.h"

namespace talven::demo {
namespace {

namespace fs = std::filesystem;

// SplitMix64: small, fast and the same on every platform, so that a seed
// always gives the same installation.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 … n-1
  int Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t state_;
};

std::uint64_t Hash(std::uint64_t seed, std::string_view text) {
  std::uint64_t h = 0xCBF29CE484222325ull ^ seed;
  for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  return Random(h).Next();
}

std::string Padded(long value, int width) {
  std::string digits = std::to_string(value);
  return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(digits.size()))), '0') + digits;
}

int DigitsOf(long value) { return static_cast<int>(std::to_string(value).size()); }

// The name without its last character (市, 区, 州), UTF-8.
std::string Stem(std::string_view city) {
  std::size_t cut = city.size();
  if (cut >= 3 && (city.substr(cut - 3) == "市" || city.substr(cut - 3) == "区" || city.substr(cut - 3) == "州"))
    cut -= 3;
  return std::string(city.substr(0, cut));
}

std::string FillPattern(std::string_view pattern, const std::string& stem) {
  std::string out(pattern);
  std::size_t at = out.find("{}");
  if (at != std::string::npos) out.replace(at, 2, stem);
  return out;
}

class Database {
 public:
  explicit Database(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
      std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw Error(Utf8ToGbk("Cannot create the demo database " + path + ": " + message));
    }
  }
  ~Database() { sqlite3_close(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  void Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
      std::string text = message ? message : sqlite3_errmsg(db_);
      sqlite3_free(message);
      throw Error(Utf8ToGbk("Demo database: " + text));
    }
  }
  sqlite3* handle() const { return db_; }
  [[noreturn]] void Fail() const { throw Error(Utf8ToGbk(std::string("Demo database: ") + sqlite3_errmsg(db_))); }

 private:
  sqlite3* db_ = nullptr;
};

// A prepared insert; Row binds its values in order and runs it.
class Insert {
 public:
  Insert(Database& db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK) db.Fail();
  }
  ~Insert() { sqlite3_finalize(stmt_); }
  Insert(const Insert&) = delete;
  Insert& operator=(const Insert&) = delete;

  struct Value {
    enum { Null, Text, Integer, Float } kind;
    std::string_view text;
    long long integer = 0;
    double number = 0;
    Value(std::nullptr_t) : kind(Null) {}
    Value(std::string_view t) : kind(Text), text(t) {}
    Value(const std::string& t) : kind(Text), text(t) {}
    Value(const char* t) : kind(Text), text(t) {}
    Value(int i) : kind(Integer), integer(i) {}
    Value(double d) : kind(Float), number(d) {}
  };

  void Row(std::initializer_list<Value> values) {
    int i = 1;
    for (const Value& v : values) {
      switch (v.kind) {
        case Value::Null: sqlite3_bind_null(stmt_, i); break;
        case Value::Text:
          sqlite3_bind_text(stmt_, i, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
          break;
        case Value::Integer: sqlite3_bind_int64(stmt_, i, v.integer); break;
        case Value::Float: sqlite3_bind_double(stmt_, i, v.number); break;
      }
      ++i;
    }
    if (sqlite3_step(stmt_) != SQLITE_DONE) db_.Fail();
    sqlite3_reset(stmt_);
  }

 private:
  Database& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// The schema in the types a SQL Server exam database declares: codes and
// names in (plain) character columns, counts and seats as integers, the
// exam duration as a float. Views where the host's database has views.
// The candidates' centre and room and the merged rooms are char columns,
// whose values SQL Server pads with blanks to their width, as it does in
// real exam databases; the other tables hold the same codes unpadded.
// "$T" stands where a text column's collation goes.
constexpr const char kSchema[] = R"sql(
create table t_version (dbversion varchar(10)$T);
create table t_setting (ParamName varchar(20)$T not null primary key, ParamValue varchar(200)$T);
create table t_scbjg (
  dm varchar(6)$T not null, jb int not null, dwmc varchar(60)$T, dm2 varchar(6)$T, szds varchar(4)$T,
  primary key (jb, dm));
create index ix_scbjg_dm2 on t_scbjg (dm2);
create index ix_scbjg_szds on t_scbjg (szds);
create view v_ssjg as select dm, dwmc from t_scbjg where jb = 1;
create view v_dsjg as select dm, dwmc from t_scbjg where jb = 2;
create view v_kdjg as select dm, dwmc, szds from t_scbjg where jb = 3;
create table Tc_jbyy (jbyydm varchar(2)$T not null primary key, jbyy varchar(40)$T, bssj float);
create table t_bskc (
  kddm varchar(6)$T not null, bskch varchar(8)$T not null, ksrs int not null, mbh varchar(4)$T, zws int,
  primary key (kddm, bskch));
create table t_bskcsy (kddm varchar(6)$T not null, bskch varchar(8)$T not null, kcwz varchar(60)$T,
  primary key (kddm, bskch));
create index ix_bskcsy_bskch on t_bskcsy (bskch);
create table t_bshhkc (kddm varchar(6)$T not null, bskch char(8)$T not null, hhkch char(8)$T not null,
  primary key (kddm, bskch));
create index ix_bshhkc_hhkch on t_bshhkc (hhkch);
create view v_bskc as
  select r.kddm, r.bskch, r.ksrs, r.mbh, r.zws from t_bskc r
  where not exists (select 1 from t_bshhkc h where h.kddm = r.kddm collate rtrim and h.bskch = r.bskch collate rtrim);
create table t_ksxx (
  zkzh varchar(16)$T not null primary key, bmh varchar(16)$T, xm varchar(20)$T, xb char(1)$T, csrq varchar(10)$T,
  sfzh varchar(18)$T, kd char(6)$T not null, jb varchar(2)$T, kch char(8)$T, wzh int, blcjzl char(1)$T not null);
create index ix_ksxx_kd_kch on t_ksxx (kd, kch);
create view v_ksxx as select kd, jb, zkzh, bmh, xm, xb, csrq, sfzh, kch, wzh, blcjzl from t_ksxx;
)sql";

// The char(n) columns above, padded to their width as SQL Server stores them.
constexpr int kCentreWidth = 6;  // t_ksxx.kd
constexpr int kRoomWidth = 8;    // t_ksxx.kch, t_bshhkc.bskch and hhkch

std::string PadTo(const std::string& code, int width) {
  return code.size() >= static_cast<std::size_t>(width) ? code : code + std::string(width - code.size(), ' ');
}

}  // namespace

std::string ExamSchemaSql(TextCollation collation) {
  return ReplaceAll(kSchema, "$T", collation == TextCollation::Rtrim ? " collate rtrim" : "");
}

namespace {

struct RoomPlan {
  std::string code;  // level-language
  int candidates = 0;
  bool listed = true;  // false: merged into a host room
  int seatOffset = 0;
  int hostIndex = -1;  // for merged rooms: the host room's index
  std::string number;  // bskch
};

// The identity-card check character (ISO 7064 MOD 11-2).
char IdCheck(std::string_view first17) {
  static constexpr std::array<int, 17> kWeights = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
  int sum = 0;
  for (std::size_t i = 0; i < 17; ++i) sum += (first17[i] - '0') * kWeights[i];
  return "10X98765432"[sum % 11];
}

void Validate(const DemoOptions& o) {
  auto range = [](const char* what, int v, int lo, int hi) {
    if (v < lo || v > hi)
      throw Error(std::string("demo-db: ") + what + " must be from " + std::to_string(lo) + " to " +
                  std::to_string(hi) + ", not " + std::to_string(v));
  };
  if (o.outDir.empty()) throw Error("demo-db: no output folder given");
  range("--schema", o.schema, 1, 2);
  range("--provinces", o.provinces, 1, static_cast<int>(kProvinces.size()));
  range("--centres-per-city", o.centresPerCity, 1, o.schema == 1 ? 24 : 99);
  range("--rooms-per-centre", o.roomsPerCentre, 1, 900);
  range("--candidates-per-room", o.candidatesPerRoom, 1, 999);
}

class Generator {
 public:
  Generator(const DemoOptions& options, const std::function<void(const std::string&)>& progress)
      : o_(options), progress_(progress), random_(options.seed) {}

  DemoSummary Run() {
    Validate(o_);
    fs::path out(o_.outDir);
    std::error_code ec;
    fs::create_directories(out, ec);
    if (!fs::is_directory(out)) throw Error(Utf8ToGbk("Cannot create the folder " + o_.outDir));
    summary_.databasePath = (out / kDemoDatabaseName).string();
    summary_.photoDir = (out / "相片" / kDemoPhotoSubfolder).string() + "/";
    const std::string part = summary_.databasePath + ".part";
    fs::remove(part, ec);
    {
      Database db(part);
      WriteDatabase(db);
    }
    fs::rename(part, summary_.databasePath, ec);
    if (ec) throw Error(Utf8ToGbk("Cannot write " + summary_.databasePath + ": " + ec.message()));
    IniFile(Utf8ToGbk((out / kHostIniName).string())).WriteString("setting", "PhotoPath", "相片"_gbk);
    if (o_.photos) WritePhotos();
    return summary_;
  }

 private:
  void Note(const std::string& text) {
    if (progress_) progress_(text);
  }

  void WriteDatabase(Database& db) {
    db.Exec("pragma journal_mode = off; pragma synchronous = off;");
    db.Exec(ExamSchemaSql(o_.collation).c_str());
    db.Exec("begin");
    Insert version(db, "insert into t_version values (?)");
    version.Row({o_.schema == 1 ? "2.00" : "3.00"});
    Insert levels(db, "insert into Tc_jbyy values (?, ?, ?)");
    for (const LevelLanguage& l : kLevelLanguages) levels.Row({l.code, l.name, l.minutes});
    Insert bodies(db, "insert into t_scbjg values (?, ?, ?, ?, ?)");
    bodies.Row({"00", 0, "全国考试管理中心", nullptr, nullptr});
    Insert rooms(db, "insert into t_bskc values (?, ?, ?, ?, ?)");
    Insert details(db, "insert into t_bskcsy values (?, ?, ?)");
    Insert merged(db, "insert into t_bshhkc values (?, ?, ?)");
    Insert candidates(db,
                      "insert into t_ksxx (zkzh, bmh, xm, xb, csrq, sfzh, kd, jb, kch, wzh, blcjzl) "
                      "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

    // Room numbers are unique in the whole database (the level-language code
    // and a running number), so that a host room's number names one room.
    const long roomsBound = static_cast<long>(o_.provinces) * 4 * o_.centresPerCity * (o_.roomsPerCentre + 2);
    roomWidth_ = std::max(3, DigitsOf(roomsBound));
    seatWidth_ = std::max(2, DigitsOf(o_.candidatesPerRoom));

    int centreIndex = 0;
    for (int p = 0; p < o_.provinces; ++p) {
      const Province& province = kProvinces[static_cast<std::size_t>(p)];
      bodies.Row({province.code, 1, province.name, nullptr, nullptr});
      ++summary_.provinces;
      long registration = 0;
      for (int c = 0; c < 4; ++c) {
        const std::string city = std::string(province.code) + Padded(c + 1, 2);
        const std::string cityName(province.cities[static_cast<std::size_t>(c)]);
        bodies.Row({city, 2, cityName, nullptr, nullptr});
        ++summary_.cities;
        const int patternStart = random_.Below(static_cast<int>(kCentreNamePatterns.size()));
        for (int k = 0; k < o_.centresPerCity; ++k, ++centreIndex) {
          const std::string centre = o_.schema == 1 ? std::string(province.code) + Padded(c * o_.centresPerCity + k + 1, 2)
                                                    : city + Padded(k + 1, 2);
          std::string name = FillPattern(
              kCentreNamePatterns[static_cast<std::size_t>(patternStart + k) % kCentreNamePatterns.size()],
              Stem(cityName));
          if (k >= static_cast<int>(kCentreNamePatterns.size()))
            name += std::to_string(k / static_cast<int>(kCentreNamePatterns.size()) + 1) + "分校";
          bodies.Row({centre, 3, name, centre, city});
          ++summary_.centres;
          if (summary_.firstCentre.empty()) summary_.firstCentre = centre;

          std::vector<RoomPlan> plan = PlanCentre(centreIndex == 0);
          for (RoomPlan& room : plan) room.number = room.code + Padded(++roomSerial_, roomWidth_);
          for (std::size_t r = 0; r < plan.size(); ++r) {
            const RoomPlan& room = plan[r];
            int count = room.candidates;
            if (room.listed)
              for (const RoomPlan& m : plan)
                if (m.hostIndex == static_cast<int>(r)) count += m.candidates;
            rooms.Row({centre, room.number, count, "01", 30});
            const std::string location = std::string(kBuildings[static_cast<std::size_t>(random_.Below(8))]) +
                                         std::to_string(1 + random_.Below(6)) + Padded(1 + random_.Below(20), 2) +
                                         "室";
            details.Row({centre, room.number, location});
            if (room.listed) ++summary_.rooms;
            for (int s = 1; s <= room.candidates; ++s) {
              const int seat = room.seatOffset + s;
              const std::string ticket =
                  room.code + centre + Padded(static_cast<long>(r) + 1, 3) + Padded(seat, seatWidth_);
              WriteCandidate(candidates, province, city, centre, room, seat, ticket, ++registration);
            }
          }
          for (const RoomPlan& room : plan)
            if (room.hostIndex >= 0) {
              merged.Row({centre, PadTo(room.number, kRoomWidth),
                          PadTo(plan[static_cast<std::size_t>(room.hostIndex)].number, kRoomWidth)});
              ++summary_.mergedRooms;
            }
        }
      }
      Note("province " + std::string(province.code) + " " + std::string(province.name) + ": " +
           std::to_string(summary_.candidates) + " candidates so far");
    }

    Insert settings(db, "insert into t_setting values (?, ?)");
    settings.Row({"jb", "3"});
    settings.Row({"dm", summary_.firstCentre});
    settings.Row({"kc", kDemoPhotoSubfolder});
    settings.Row({"date", "2025-03-29"});
    settings.Row({"time", "9:00"});
    settings.Row({"BSKCQD", "0"});
    settings.Row({"ksjc", "2025年3月"});
    db.Exec("commit");
  }

  // The rooms of one test centre: roomsPerCentre listed rooms grouped by a
  // few level-languages; sometimes a host room with two rooms merged into it
  // (appended, not listed). The first centre of the installation always has
  // a host room, a room of an unlisted level-language and an empty room.
  std::vector<RoomPlan> PlanCentre(bool first) {
    const int rooms = o_.roomsPerCentre;
    const int perRoom = o_.candidatesPerRoom;
    std::vector<int> pick(kLevelLanguages.size());
    for (std::size_t i = 0; i < pick.size(); ++i) pick[i] = static_cast<int>(i);
    for (std::size_t i = pick.size(); i > 1; --i) std::swap(pick[i - 1], pick[static_cast<std::size_t>(random_.Below(static_cast<int>(i)))]);
    const int kinds = std::max(2, std::min(rooms, 1 + random_.Below(4)));
    std::vector<std::string> codes;
    for (int i = 0; i < kinds; ++i) codes.emplace_back(kLevelLanguages[static_cast<std::size_t>(pick[static_cast<std::size_t>(i)])].code);
    std::sort(codes.begin(), codes.end());

    std::vector<RoomPlan> plan(static_cast<std::size_t>(rooms));
    for (int r = 0; r < rooms; ++r) {
      plan[static_cast<std::size_t>(r)].code = codes[static_cast<std::size_t>(r * kinds / rooms)];
      plan[static_cast<std::size_t>(r)].candidates = perRoom;
    }
    int host = -1;
    if (first) {
      if (rooms >= 2) plan.back().candidates = 0;
      if (rooms >= 3) {
        plan[static_cast<std::size_t>(rooms - 2)].code = std::string(kUnlistedLevelCode);
        plan[static_cast<std::size_t>(rooms - 2)].candidates = std::max(1, perRoom / 2);
      }
      if (rooms >= 4) host = rooms - 3;
    } else if (rooms >= 4 && random_.Below(3) == 0) {
      host = random_.Below(rooms);
    }
    if (host >= 0) {
      RoomPlan& h = plan[static_cast<std::size_t>(host)];
      h.candidates = 0;
      const std::string a = h.code;
      const std::string b = codes[0] == a ? codes[1] : codes[0];
      RoomPlan first{a, std::max(1, perRoom / 3), false, 0, host, {}};
      RoomPlan second{b, std::max(1, perRoom / 2), false, first.candidates, host, {}};
      plan.push_back(first);
      plan.push_back(second);
    }
    return plan;
  }

  void WriteCandidate(Insert& insert, const Province& province, const std::string& city, const std::string& centre,
                      const RoomPlan& room, int seat, const std::string& ticket, long registration) {
    std::string name(kFamilyNames[static_cast<std::size_t>(random_.Below(static_cast<int>(kFamilyNames.size())))]);
    const int given = random_.Below(10) < 3 ? 1 : 2;
    for (int i = 0; i < given; ++i)
      name += kGivenNameChars[static_cast<std::size_t>(random_.Below(static_cast<int>(kGivenNameChars.size())))];
    const bool male = random_.Below(2) == 0;
    const DateParts birth = DecodeDate(EncodeDate(1985, 1, 1) + random_.Below(22 * 365));
    const std::string born = Padded(birth.year, 4) + Padded(birth.month, 2) + Padded(birth.day, 2);
    int sequence = random_.Below(500) * 2 + (male ? 1 : 0);
    std::string id = city + Padded(1 + random_.Below(18), 2) + born + Padded(sequence, 3);
    id += IdCheck(id);
    const std::string bornText = Padded(birth.year, 4) + "-" + Padded(birth.month, 2) + "-" + Padded(birth.day, 2);
    const char* left = random_.Below(50) == 0 ? "1" : "0";
    insert.Row({ticket, std::string(province.code) + "25" + Padded(registration, 7), name, male ? "1" : "2", bornText,
                id, PadTo(centre, kCentreWidth), room.code, PadTo(room.number, kRoomWidth), seat, left});
    tickets_.push_back(ticket);
    ++summary_.candidates;
  }

  void WritePhotos() {
    std::error_code ec;
    fs::create_directories(summary_.photoDir, ec);
    if (!fs::is_directory(summary_.photoDir)) throw Error(Utf8ToGbk("Cannot create the folder " + summary_.photoDir));
    std::atomic<std::size_t> next{0}, done{0};
    std::mutex lock;
    std::string failure;
    auto work = [&]() {
      for (;;) {
        const std::size_t i = next++;
        if (i >= tickets_.size()) return;
        const std::string& ticket = tickets_[i];
        const std::string path = summary_.photoDir + ticket + ".jpg";
        try {
          std::string jpeg = EncodeJpeg(DrawPortrait(ticket, Hash(o_.seed, ticket)), 85);
          std::ofstream file(path, std::ios::binary | std::ios::trunc);
          file.write(jpeg.data(), static_cast<std::streamsize>(jpeg.size()));
          file.close();
          if (!file) throw Error(Utf8ToGbk("Cannot write " + path));
        } catch (const std::exception& e) {
          std::lock_guard<std::mutex> guard(lock);
          if (failure.empty()) failure = MessageOf(e);
          next = tickets_.size();
          return;
        }
        const std::size_t count = ++done;
        if (count % 10000 == 0) {
          std::lock_guard<std::mutex> guard(lock);
          Note("photos: " + std::to_string(count) + " of " + std::to_string(tickets_.size()));
        }
      }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    if (!failure.empty()) throw Error(failure);
  }

  const DemoOptions& o_;
  const std::function<void(const std::string&)>& progress_;
  Random random_;
  DemoSummary summary_;
  std::vector<std::string> tickets_;
  long roomSerial_ = 0;
  int roomWidth_ = 3, seatWidth_ = 2;
};

}  // namespace

DemoSummary WriteDemoInstallation(const DemoOptions& options, const std::function<void(const std::string&)>& progress) {
  return Generator(options, progress).Run();
}

}  // namespace talven::demo
