#include "app/command_files.h"

#include <QGuiApplication>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "base/error.h"
#include "base/text.h"

namespace talven::app {

std::string ReadCommandFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(Utf8ToGbk("cannot open " + path));
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteCommandFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw Error(Utf8ToGbk("cannot write " + path));
}

namespace {

int argc = 1;
char name[] = "talven";
char* argv[] = {name, nullptr};

}  // namespace

GuiForFiles::GuiForFiles() {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  app_ = std::make_unique<QGuiApplication>(argc, argv);
}

GuiForFiles::~GuiForFiles() = default;

}  // namespace talven::app
