#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace CLI {
class App;
}

// Each command file registers its subcommands with a static Registrar, so adding a command
// never touches main.
using CommandSetup = std::function<void(CLI::App& app)>;

std::vector<std::pair<int, CommandSetup>>& CommandSetups();

struct Registrar {
  // `order` sorts the commands in the help text.
  Registrar(int order, CommandSetup setup) { CommandSetups().emplace_back(order, std::move(setup)); }
};

// A failure reported to the user as one line "subject: message" with exit code 1.
class CliError : public std::runtime_error {
 public:
  CliError(const std::string& subject, const std::string& message)
      : std::runtime_error(subject.empty() ? message : subject + ": " + message) {}
};

// The subcommand `name` of `app` (made on first use), so several files can add commands
// under one group such as "cut".
CLI::App& CommandGroup(CLI::App& app, const std::string& name, const std::string& description);

// Parses the arguments (argv[0] is the program) and runs the command they name: 0 on
// success; on failure 1, with one line on standard error.
int RunCommandLine(int argc, char** argv);
