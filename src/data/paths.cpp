#include "data/paths.h"

#include <filesystem>
#include <optional>

#include "base/text.h"
#include "data/ini_file.h"

namespace talven {
namespace {

std::optional<std::string>& ExeDirOverride() {
  static std::optional<std::string> dir;
  return dir;
}

}  // namespace

std::string HostExeDir() {
  if (ExeDirOverride()) return *ExeDirOverride();
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return AddTrailingBackslash(ec ? std::string("/") : Utf8ToGbk(exe.parent_path().string()));
}

void SetHostExeDir(std::string_view dir) {
  if (dir.empty())
    ExeDirOverride().reset();
  else
    ExeDirOverride() = AddTrailingBackslash(dir);
}

bool IsAbsolutePath(std::string_view path) { return !path.empty() && path[0] == '/'; }

std::string AddTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '/') out += '/';
  return out;
}

std::string ResolveAgainstExeDir(std::string_view path) {
  if (IsAbsolutePath(path)) return AddTrailingBackslash(path);
  return AddTrailingBackslash(HostExeDir() + std::string(path));
}

std::string GetPhotoPath() {
  IniFile ini(HostExeDir() + kHostIniName);
  std::string value = ini.ReadString("setting", "PhotoPath", "相片"_gbk);
  std::string result = ResolveAgainstExeDir(value);
  ini.WriteString("setting", "PhotoPath", value);
  return result;
}

}  // namespace talven
