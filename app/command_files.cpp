#include "app/command_files.h"

#include <fstream>
#include <iterator>
#include <optional>

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

int BuildFromJson(const Args& args, const std::string& what, const std::string& usage,
                  std::string (*build)(const std::string& json)) {
  std::optional<std::string> file, output;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
    else if (!file && !args[i].starts_with("-")) file = args[i];
    else return UsageError(what + " build: unexpected argument '" + args[i] + "'");
  }
  if (!file || !output) return UsageError(what + " build: usage is " + usage);
  WriteCommandFile(*output, build(ReadCommandFile(*file)));
  return 0;
}

}  // namespace talven::app
