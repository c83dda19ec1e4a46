#include "data/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "base/error.h"
#include "base/format.h"
#include "base/text.h"

namespace talven {
namespace {

struct Contents {
  std::vector<std::string> lines;  // GBK, without line ends
  bool utf8 = true;
  bool bom = false;
  bool crlf = false;
  bool exists = false;
};

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    if (c < 0x80)
      n = 0;
    else if (c >= 0xC2 && c <= 0xDF)
      n = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      n = 2;
    else if (c >= 0xF0 && c <= 0xF4)
      n = 3;
    else
      return false;
    if (i + n >= s.size() && n > 0) return false;
    for (std::size_t k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n + 1;
  }
  return true;
}

std::string SystemName(const std::string& gbk) { return GbkToUtf8(gbk); }

Contents Load(const std::string& fileName) {
  Contents c;
  std::ifstream in(SystemName(fileName), std::ios::binary);
  if (!in) return c;
  c.exists = true;
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string bytes = buffer.str();
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    c.bom = true;
    bytes.erase(0, 3);
  }
  // ASCII reads the same either way; new text then goes in as UTF-8.
  c.utf8 = IsValidUtf8(bytes);
  std::string text = c.utf8 ? Utf8ToGbk(bytes) : bytes;
  c.crlf = text.find("\r\n") != std::string::npos;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    c.lines.push_back(std::move(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return c;
}

// The section name of a "[name]" line.
std::optional<std::string> SectionOf(const std::string& line) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

// The key and value of a "key=value" line.
bool KeyOf(const std::string& line, std::string& key, std::string& value) {
  std::string t = TrimLeft(line);
  if (t.empty() || t[0] == ';') return false;
  std::size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return true;
}

[[noreturn]] void CannotWrite(const std::string& fileName) {
  throw Error(Format("Unable to write to %s", {fileName}));
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void Save(const std::string& fileName, const Contents& c) {
  std::string text;
  const char* eol = c.crlf ? "\r\n" : "\n";
  for (const std::string& line : c.lines) text += line + eol;
  std::string bytes = c.utf8 ? GbkToUtf8(text) : text;
  if (c.bom) bytes.insert(0, "\xEF\xBB\xBF");

  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target(SystemName(fileName));
  if (fs::symlink_status(target, ec).type() == fs::file_type::symlink) {
    target = fs::canonical(target, ec);  // the file the link names is the one to replace
    if (ec) CannotWrite(fileName);
  }
  mode_t mode = 0644;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    // A file that may not be written is not replaced behind its back.
    if (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0) CannotWrite(fileName);
    mode = st.st_mode & 07777;
  }
  std::string temp = target.string() + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) CannotWrite(fileName);
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    CannotWrite(fileName);
  }
}

}  // namespace

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
  Contents c = Load(fileName_);
  bool inSection = false;
  for (const std::string& line : c.lines) {
    if (auto name = SectionOf(line)) {
      inSection = SameText(*name, section);
      continue;
    }
    std::string k, v;
    if (inSection && KeyOf(line, k, v) && SameText(k, key)) return v;
  }
  return std::string(fallback);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Contents c = Load(fileName_);
  const std::string entry = std::string(key) + "=" + std::string(value);
  bool inSection = false, found = false;
  std::size_t insertAt = std::string::npos;  // after the section's last entry
  for (std::size_t i = 0; i < c.lines.size(); ++i) {
    if (auto name = SectionOf(c.lines[i])) {
      if (inSection) break;  // the key goes at the end of the first matching section
      inSection = SameText(*name, section);
      if (inSection) insertAt = i + 1;
      continue;
    }
    if (!inSection) continue;
    std::string k, v;
    if (KeyOf(c.lines[i], k, v) && SameText(k, key)) {
      c.lines[i] = k + "=" + std::string(value);
      found = true;
      break;
    }
    if (!Trim(c.lines[i]).empty()) insertAt = i + 1;
  }
  if (!found) {
    if (insertAt != std::string::npos) {
      c.lines.insert(c.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    } else {
      if (!c.lines.empty() && !Trim(c.lines.back()).empty()) c.lines.emplace_back();
      std::string header(1, '[');
      header.append(section).push_back(']');
      c.lines.push_back(std::move(header));
      c.lines.push_back(entry);
    }
  }
  Save(fileName_, c);
}

}  // namespace talven
