// What the subcommands that read and write files share: whole files by
// their command-line (UTF-8) names, and the Qt application that drawing
// into PDF and PNG files needs, offscreen when there is no display.
#pragma once

#include <memory>
#include <string>

class QGuiApplication;

namespace talven::app {

// Fail with "cannot open NAME" / "cannot write NAME".
std::string ReadCommandFile(const std::string& path);
void WriteCommandFile(const std::string& path, const std::string& bytes);

// A QGuiApplication for the command's lifetime; without a display it runs
// on the offscreen platform.
class GuiForFiles {
 public:
  GuiForFiles();
  ~GuiForFiles();
  GuiForFiles(const GuiForFiles&) = delete;
  GuiForFiles& operator=(const GuiForFiles&) = delete;

 private:
  std::unique_ptr<QGuiApplication> app_;
};

}  // namespace talven::app
