#include "data/paths.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/error.h"
#include "base/text.h"
#include "support/fixture.h"

namespace talven {
namespace {

using test::ReadFile;

using test::TempDir;

// Points the host's folder at a test folder for the lifetime of the guard.
struct ExeDirScope {
  explicit ExeDirScope(const std::string& utf8) { SetHostExeDir(Utf8ToGbk(utf8)); }
  ~ExeDirScope() { SetHostExeDir(""); }
};

TEST(Paths, AbsolutePathsAndTrailingSlashes) {
  struct Case {
    const char* path;
    bool absolute;
    const char* trailing;
  } cases[] = {{"/srv/photos", true, "/srv/photos/"}, {"/", true, "/"},        {"", false, "/"},
               {"pics", false, "pics/"},              {"a/b/", false, "a/b/"}, {"./x", false, "./x/"},
               {"\\\\server\\share", false, "\\\\server\\share/"},            {"相片", false, "相片/"}};
  for (const Case& c : cases) {
    const std::string path = Utf8ToGbk(c.path);
    EXPECT_EQ(IsAbsolutePath(path), c.absolute) << c.path;
    EXPECT_EQ(AddTrailingBackslash(path), Utf8ToGbk(c.trailing)) << c.path;
  }
}

TEST(Paths, RelativePathsResolveAgainstTheHostProgramsFolder) {
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
  EXPECT_EQ(HostExeDir(), Utf8ToGbk(exe));
  ExeDirScope scope("/opt/宿主");
  EXPECT_EQ(HostExeDir(), "/opt/宿主/"_gbk);
  struct Case {
    const char* path;
    const char* resolved;
  } cases[] = {{"pics", "/opt/宿主/pics/"},       {"相片", "/opt/宿主/相片/"}, {"", "/opt/宿主/"},
               {"/srv/photos", "/srv/photos/"}, {"/srv/p/", "/srv/p/"},     {"a/b", "/opt/宿主/a/b/"}};
  for (const Case& c : cases) EXPECT_EQ(ResolveAgainstExeDir(Utf8ToGbk(c.path)), Utf8ToGbk(c.resolved)) << c.path;
}

TEST(Paths, ThePhotoFolderDefaultsToPhotosAndTheValueIsWrittenBack) {
  TempDir dir;
  ExeDirScope scope(dir.path());
  const std::string ini = dir.File("qelvane.ini");
  EXPECT_EQ(GetPhotoPath(), Utf8ToGbk(dir.path() + "/相片/"));
  EXPECT_EQ(ReadFile(ini), "[setting]\nPhotoPath=相片\n");

  std::ofstream(ini, std::ios::binary) << "[host]\nname=x\n\n[setting]\nPhotoPath=/srv/photos\nother=1\n";
  EXPECT_EQ(GetPhotoPath(), "/srv/photos/");
  EXPECT_EQ(ReadFile(ini), "[host]\nname=x\n\n[setting]\nPhotoPath=/srv/photos\nother=1\n");

  std::ofstream(ini, std::ios::binary) << "[SETTING]\r\nphotopath = pics \r\n";
  EXPECT_EQ(GetPhotoPath(), Utf8ToGbk(dir.path() + "/pics/"));
  EXPECT_EQ(ReadFile(ini), "[SETTING]\r\nphotopath=pics\r\n");
}

TEST(Paths, AnIniFileThatCannotBeWrittenFailsWithItsFullName) {
  TempDir dir;
  {
    ExeDirScope scope(dir.path() + "/missing");
    try {
      GetPhotoPath();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), Utf8ToGbk("Unable to write to " + dir.path() + "/missing/qelvane.ini"));
    }
  }
  ExeDirScope scope(dir.path());
  std::filesystem::create_directory(dir.File("qelvane.ini"));
  EXPECT_THROW(GetPhotoPath(), Error);
}

// The test folders go with the process that made them however it ends,
// and never with a child that merely inherited them.
TEST(TempDirs, GoWithTheirProcessHoweverItEnds) {
  for (int way = 0; way < 3; ++way) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      TempDir dir;
      std::filesystem::create_directories(dir.File("sub/deeper"));
      std::ofstream(dir.File("sub/deeper/file")) << "x";
      (void)!::write(pipe[1], dir.path().c_str(), dir.path().size());
      ::close(pipe[1]);
      if (way == 0) std::abort();           // a failed check, an uncaught exception
      if (way == 1) std::exit(3);           // exit without unwinding
      ::raise(SIGTERM);                     // a test runner's kill
      ::_exit(0);
    }
    ::close(pipe[1]);
    char path[4096] = {};
    const ssize_t n = ::read(pipe[0], path, sizeof path - 1);
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_GT(n, 0) << way;
    EXPECT_FALSE(std::filesystem::exists(path)) << "way " << way << ": " << path;
  }

  TempDir mine;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) std::exit(0);  // runs the exit handlers in the child
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(std::filesystem::is_directory(mine.path()));
}

}  // namespace
}  // namespace talven
