#pragma once

// Runs the orvina program built beside the test program, as a user runs it.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace clitest {

inline std::filesystem::path OrvinaPath() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "orvina";
}

struct Result {
  std::string out;  // standard output, and standard error unless left out
  int status = -1;  // as pclose reports it
};

// Any shell command; with `errorsToo` its standard error is in `out` as well.
inline Result Shell(const std::string& command, bool errorsToo = true) {
  Result r;
  FILE* pipe = popen((command + (errorsToo ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  r.status = pclose(pipe);
  return r;
}

inline Result Orvina(const std::string& args) { return Shell(OrvinaPath().string() + " " + args); }

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace clitest
