#include "support/fixture.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "base/error.h"

namespace talven::test {

namespace {

// The folders this process made and has not removed yet, in fixed slots so
// that a dying process can remove them without allocating: when it ends
// through exit() without unwinding, or on a fatal signal (an abort, a
// crash, a kill with SIGTERM). A child process that inherits the slots (a
// fork) never touches its parent's folders: each slot names its owner.
struct Slot {
  std::atomic<pid_t> owner{0};
  char path[PATH_MAX];
};
constexpr int kSlots = 256;
Slot slots[kSlots];

// Removes a folder and everything below it with system calls only (safe in
// a signal handler). Best effort: what cannot be removed stays.
void RemoveTree(int parent, const char* name) {
  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    ::unlinkat(parent, name, 0);
    return;
  }
  ::fchmod(fd, S_IRWXU);
  alignas(8) char buffer[4096];
  for (;;) {
    const long n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
    if (n <= 0) break;
    bool removed = false;
    for (long at = 0; at < n;) {
      struct Entry {
        std::uint64_t inode;
        std::int64_t offset;
        unsigned short length;
        unsigned char type;
        char name[1];
      };
      const auto* e = reinterpret_cast<const Entry*>(buffer + at);
      at += e->length;
      if (std::strcmp(e->name, ".") == 0 || std::strcmp(e->name, "..") == 0) continue;
      if (e->type == DT_DIR) RemoveTree(fd, e->name);
      else ::unlinkat(fd, e->name, 0);
      removed = true;
    }
    // Entries removed while reading: read the folder again from its start.
    if (removed) ::lseek(fd, 0, SEEK_SET);
  }
  ::close(fd);
  ::unlinkat(parent, name, AT_REMOVEDIR);
}

void RemoveOwnFolders() {
  const pid_t self = ::getpid();
  for (Slot& slot : slots) {
    pid_t owner = self;
    if (slot.owner.compare_exchange_strong(owner, 0)) RemoveTree(AT_FDCWD, slot.path);
  }
}

struct sigaction previous[NSIG];

void OnFatalSignal(int signal) {
  RemoveOwnFolders();
  // The signal's earlier handling (the default: end the process) takes
  // over; a fault raises itself again when the handler returns.
  ::sigaction(signal, &previous[signal], nullptr);
  if (signal != SIGSEGV && signal != SIGBUS && signal != SIGFPE && signal != SIGILL) ::raise(signal);
}

void InstallCleanupOnce() {
  static const bool installed = [] {
    std::atexit(RemoveOwnFolders);
    std::vector<int> signals = {SIGABRT, SIGTERM, SIGINT, SIGHUP, SIGQUIT};
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizers report faults themselves (and abort afterwards).
    signals.insert(signals.end(), {SIGSEGV, SIGBUS, SIGFPE, SIGILL});
#endif
    for (int signal : signals) {
      struct sigaction action {};
      action.sa_handler = OnFatalSignal;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_NODEFER;
      ::sigaction(signal, &action, &previous[signal]);
    }
    return true;
  }();
  (void)installed;
}

}  // namespace

TempDir::TempDir() {
  InstallCleanupOnce();
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/talven-test-XXXXXX";
  if (pattern.size() >= PATH_MAX || ::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  owner_ = ::getpid();
  for (int i = 0; i < kSlots; ++i) {
    // Reserved (-1) while the path is written, so that a handler never
    // reads half a path.
    pid_t free = 0;
    if (!slots[i].owner.compare_exchange_strong(free, -1)) continue;
    std::memcpy(slots[i].path, path_.c_str(), path_.size() + 1);
    slots[i].owner.store(owner_);
    slot_ = i;
    break;
  }
}

TempDir::~TempDir() {
  // Only the process that made the folder removes it.
  if (::getpid() != owner_) return;
  if (slot_ >= 0) {
    pid_t owner = owner_;
    if (!slots[slot_].owner.compare_exchange_strong(owner, 0)) return;  // removed already, at exit
  }
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
