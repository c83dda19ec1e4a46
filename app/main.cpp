// talven: the stand-in host program and the command-line tools of the
// sign-in sheet module.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include "app/command.h"
#include "base/error.h"
#include "base/text.h"
#include "base/version.h"

namespace talven::app {
namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: talven [--version] [--help] <command> [arguments]\n"
               "\n"
               "Prints the sign-in sheets of written-exam rooms; also the tools around them.\n"
               "\n"
               "commands:\n");
  std::size_t width = std::strlen("--version");
  for (const Command& c : Commands()) width = std::max(width, std::strlen(c.name));
  for (const Command& c : Commands()) std::fprintf(out, "  %-*s  %s\n", static_cast<int>(width), c.name, c.summary);
  std::fprintf(out, "\n  %-*s  print the module's version\n", static_cast<int>(width), "--version");
  std::fprintf(out, "\n\"talven <command> --help\" shows the command's usage and options.\n");
}

}  // namespace

const std::vector<Command>& Commands() { return Registry(); }

CommandRegistration::CommandRegistration(Command command) {
  auto& list = Registry();
  auto at = std::lower_bound(list.begin(), list.end(), command,
                             [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
  list.insert(at, command);
}

bool AsksForHelp(const Args& args) {
  if (!args.empty() && args[0] == "-h") return true;
  for (const std::string& a : args) {
    if (a == "--") return false;
    if (a == "--help") return true;
  }
  return false;
}

std::string CommandHelp(const Command& command) {
  std::string text = std::string("usage: talven ") + command.usage + "\n\n" + command.summary + "\n";
  if (command.help != nullptr && *command.help != 0) text += std::string("\n") + command.help;
  return text;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "talven: %s\n(see talven --help)\n", message.c_str());
  return 2;
}

}  // namespace talven::app

int main(int argc, char** argv) {
  using namespace talven::app;
  if (argc < 2) {
    PrintHelp(stderr);
    return 2;
  }
  std::string first = argv[1];
  if (first == "--version" || first == "-v") {
    std::printf("%s\n", talven::kModuleVersion);
    return 0;
  }
  if (first == "--help" || first == "-h" || first == "help") {
    PrintHelp(stdout);
    return 0;
  }
  for (const Command& c : Commands()) {
    if (first != c.name) continue;
    Args args(argv + 2, argv + argc);
    if (AsksForHelp(args)) {
      std::fputs(CommandHelp(c).c_str(), stdout);
      return 0;
    }
    try {
      return c.run(args);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "talven %s: %s\n", c.name, talven::GbkToUtf8(talven::MessageOf(e)).c_str());
      return 1;
    }
  }
  return UsageError("unknown command '" + first + "'");
}
