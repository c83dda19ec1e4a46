// The subcommands of the talven program. Each subcommand lives in a file of
// its own and registers itself with a static TALVEN_COMMAND entry, so adding
// one touches nothing else.
#pragma once

#include <string>
#include <vector>

namespace talven::app {

// Arguments after the subcommand's name, as UTF-8 texts from the command line.
using Args = std::vector<std::string>;

// "talven NAME --help" (or -h first) is answered for every command before
// its run is called: the usage line, the summary and, when given, the help
// text. A command therefore never sees --help ahead of a "--" argument.
struct Command {
  const char* name;
  const char* usage;    // e.g. "demo-db --out DIR [--seed N]"
  const char* summary;  // one line for --help
  int (*run)(const Args& args);
  // More for "talven NAME --help": options and what they do, lines ending
  // in "\n"; may be null.
  const char* help = nullptr;
};

// Whether the arguments ask for the command's help: "--help" before any
// "--", or "-h" as the first argument.
bool AsksForHelp(const Args& args);
// The text "talven NAME --help" prints.
std::string CommandHelp(const Command& command);

// The registered commands in name order.
const std::vector<Command>& Commands();

struct CommandRegistration {
  explicit CommandRegistration(Command command);
};

// Prints "talven: <message>" on stderr and returns the exit code 2 for a
// command line that cannot be used.
int UsageError(const std::string& message);

}  // namespace talven::app

#define TALVEN_COMMAND(id, ...) \
  static const ::talven::app::CommandRegistration talven_command_##id{::talven::app::Command{__VA_ARGS__}}
