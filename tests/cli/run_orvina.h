#pragma once

// Runs the orvina program built beside the test program, as a user runs it.

#include <cstdio>
#include <filesystem>
#include <string>

namespace clitest {

inline std::filesystem::path OrvinaPath() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "orvina";
}

struct Result {
  std::string out;  // standard output and standard error together
  int status = -1;  // as pclose reports it
};

inline Result Orvina(const std::string& args) {
  Result r;
  const std::string command = OrvinaPath().string() + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  r.status = pclose(pipe);
  return r;
}

}  // namespace clitest
