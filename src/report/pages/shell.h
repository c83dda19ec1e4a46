// The seam through which a click on a link object opens its target (a file,
// a folder or an address) with the desktop's default action. Logic calls
// CurrentShell(); a window installs the Qt implementation
// (report/preview/qt_shell.h), tests install a RecordingShell, and otherwise
// a HeadlessShell only says on stderr what it would open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace talven {

class TfrShell {
 public:
  virtual ~TfrShell() = default;
  // The target as a link object's Tag holds it (GBK).
  virtual void Open(std::string_view target) = 0;
};

class HeadlessShell : public TfrShell {
 public:
  void Open(std::string_view target) override;
};

class RecordingShell : public TfrShell {
 public:
  void Open(std::string_view target) override { opened.emplace_back(target); }
  std::vector<std::string> opened;
};

// The installed shell (a HeadlessShell until one is installed);
// SetShell(nullptr) returns to it. The caller keeps ownership.
TfrShell& CurrentShell();
void SetShell(TfrShell* shell);

// Installs a shell for the lifetime of the guard and restores the previous.
class ShellScope {
 public:
  explicit ShellScope(TfrShell& shell);
  ~ShellScope();
  ShellScope(const ShellScope&) = delete;
  ShellScope& operator=(const ShellScope&) = delete;

 private:
  TfrShell* previous_;
};

}  // namespace talven
