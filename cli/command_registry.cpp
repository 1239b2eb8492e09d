// The command line's registry and its one run, shared by the program and the tests.
#include "cli/command_registry.h"

#include <algorithm>
#include <cstdio>

#include <CLI/CLI.hpp>

std::vector<std::pair<int, CommandSetup>>& CommandSetups() {
  static std::vector<std::pair<int, CommandSetup>> setups;
  return setups;
}

CLI::App& CommandGroup(CLI::App& app, const std::string& name, const std::string& description) {
  for (CLI::App* sub : app.get_subcommands({})) {
    if (sub->get_name() == name) return *sub;
  }
  CLI::App* group = app.add_subcommand(name, description);
  group->require_subcommand(1);
  return *group;
}

int RunCommandLine(int argc, char** argv) {
  CLI::App app{"orvina: inspect, build, render, compile and decode Orvina files"};
  app.require_subcommand(1);
  auto& setups = CommandSetups();
  std::stable_sort(setups.begin(), setups.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [order, setup] : setups) setup(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "orvina: %s\n", e.what());
    return 1;
  } catch (const CliError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "orvina: %s\n", e.what());
    return 1;
  }
  return 0;
}
