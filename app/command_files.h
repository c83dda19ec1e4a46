// What the subcommands that read and write files share: whole files by
// their command-line (UTF-8) names, and building a file from JSON.
#pragma once

#include <string>

#include "app/command.h"

namespace talven::app {

// Fail with "cannot open NAME" / "cannot write NAME".
std::string ReadCommandFile(const std::string& path);
void WriteCommandFile(const std::string& path, const std::string& bytes);

// "WHAT build FILE.json -o OUT": the document read, made into file bytes by
// `build`, and written; `what` names the command in messages, `usage` is
// its usage line.
int BuildFromJson(const Args& args, const std::string& what, const std::string& usage,
                  std::string (*build)(const std::string& json));

}  // namespace talven::app
